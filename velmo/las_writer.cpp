// Streaming LAS writer: records gathered in a buffer, header rewritten at the
// end, the file written aside and renamed into place.
#include "las_writer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <unistd.h>

namespace velmo {

namespace {

// Global encoding bits saying where waveform packets are; the writer never
// carries waveform packets, so neither may be set in what it writes.
constexpr uint16_t kWaveformBits = 0x0002 | 0x0004;
// Extended VLRs are copied into pieces only up to this size.
constexpr size_t kEvlrCopyLimit = 16u << 20;

template <typename T> void put(uint8_t *bytes, size_t at, T value)
{
    std::memcpy(bytes + at, &value, sizeof value);
}

template <typename T> T get(const uint8_t *bytes, size_t at)
{
    T value;
    std::memcpy(&value, bytes + at, sizeof value);
    return value;
}

void put_text(uint8_t *bytes, size_t at, const std::string &text, size_t size)
{
    std::memcpy(bytes + at, text.data(), std::min(text.size(), size));
}

bool write_fully(int fd, uint64_t at, const uint8_t *bytes, size_t size)
{
    while (size > 0) {
        ssize_t done = ::pwrite(fd, bytes, size, static_cast<off_t>(at));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        at += static_cast<uint64_t>(done);
        size -= static_cast<size_t>(done);
    }
    return true;
}

uint16_t header_size_of(uint8_t minor)
{
    return minor >= 4 ? LAS_HEADER_SIZE_14 : minor == 3 ? LAS_HEADER_SIZE_13 : LAS_HEADER_SIZE_12;
}

size_t size_of(const std::shared_ptr<const std::string> &bytes)
{
    return bytes ? bytes->size() : 0;
}

bool spec_is_valid(const LasWriteSpec &s, size_t vlr_size)
{
    if (s.version_major != 1 || s.version_minor > 4 || s.point_format > 10)
        return false;
    if (s.point_format >= 6 && s.version_minor < 4)
        return false;
    if (s.record_length < las_format_record_size(s.point_format))
        return false;
    for (int axis = 0; axis < 3; axis++) {
        if (!std::isfinite(s.scale[axis]) || s.scale[axis] == 0.0 || !std::isfinite(s.offset[axis]))
            return false;
    }
    uint64_t offset_to_points = header_size_of(s.version_minor) + uint64_t(vlr_size);
    return offset_to_points <= UINT32_MAX && (size_of(s.evlr_bytes) == 0 || s.version_minor >= 4);
}

// LAS 1.0 marks the start of the points with two bytes, counted in the
// offset to the points.
std::string vlrs_to_write(const LasWriteSpec &s)
{
    if (s.version_minor == 0 && size_of(s.vlr_bytes) == 0)
        return std::string("\xDD\xCC", 2);
    return s.vlr_bytes ? *s.vlr_bytes : std::string();
}

void put_creation_date(uint8_t *bytes)
{
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    put<uint16_t>(bytes, LAS_CREATION_DAY, static_cast<uint16_t>(utc.tm_yday + 1));
    put<uint16_t>(bytes, LAS_CREATION_YEAR, static_cast<uint16_t>(utc.tm_year + 1900));
}

} // namespace

LasWriteSpec las_write_spec_like(const LasFile &source)
{
    const LasHeader &h = source.header();
    LasWriteSpec spec;
    spec.version_major = h.version_major;
    spec.version_minor = h.version_minor;
    spec.point_format = h.point_format;
    spec.record_length = h.record_length;
    for (int axis = 0; axis < 3; axis++) {
        spec.scale[axis] = h.scale[axis];
        spec.offset[axis] = h.offset[axis];
    }
    spec.global_encoding = h.global_encoding;
    spec.file_source_id = h.file_source_id;
    spec.guid = source.header_bytes().substr(LAS_GUID, 16);
    spec.system_identifier = "EXTRACTION";
    spec.vlr_bytes = std::make_shared<const std::string>(source.vlr_bytes());
    spec.vlr_count = h.vlr_count;
    auto evlrs = std::make_shared<std::string>();
    if (h.version_minor >= 4 && h.evlr_count > 0 && source.read_evlrs(kEvlrCopyLimit, evlrs.get(), &spec.evlr_count))
        spec.evlr_bytes = std::move(evlrs);
    else
        spec.evlr_count = 0;
    return spec;
}

void las_encode_point(const LasPoint &p, uint8_t format, uint16_t record_length, uint8_t *record)
{
    const LasRecordLayout layout = las_format_layout(format);
    std::memset(record, 0, record_length);
    put<int32_t>(record, 0, p.X);
    put<int32_t>(record, 4, p.Y);
    put<int32_t>(record, 8, p.Z);
    put<uint16_t>(record, 12, p.intensity);
    if (format < 6) {
        record[14] = static_cast<uint8_t>((p.return_number & 0x07) | ((p.number_of_returns & 0x07) << 3));
        record[15] = p.classification & 0x1f;
        record[16] = static_cast<uint8_t>(static_cast<int8_t>(std::clamp<int>(p.scan_angle, -128, 127)));
        record[17] = p.user_data;
        put<uint16_t>(record, 18, p.point_source_id);
    } else {
        record[14] = static_cast<uint8_t>((p.return_number & 0x0f) | ((p.number_of_returns & 0x0f) << 4));
        record[16] = p.classification;
        record[17] = p.user_data;
        put<int16_t>(record, 18, p.scan_angle);
        put<uint16_t>(record, 20, p.point_source_id);
    }
    if (layout.time)
        put<double>(record, layout.time, p.gps_time);
    if (layout.colour) {
        put<uint16_t>(record, layout.colour, p.red);
        put<uint16_t>(record, layout.colour + 2, p.green);
        put<uint16_t>(record, layout.colour + 4, p.blue);
    }
}

std::unique_ptr<LasWriter> LasWriter::create(const std::string &path, const LasWriteSpec &spec,
                                             std::string *error)
{
    std::unique_ptr<LasWriter> writer(new LasWriter());
    writer->path_ = path;
    writer->part_path_ = path + ".part";
    writer->spec_ = spec;
    LasWriteSpec &s = writer->spec_;
    if (s.record_length == 0)
        s.record_length = las_format_record_size(s.point_format);
    s.global_encoding &= static_cast<uint16_t>(~kWaveformBits);
    const std::string vlrs = vlrs_to_write(s);
    s.vlr_bytes.reset();
    if (!spec_is_valid(s, vlrs.size())) {
        if (error)
            *error = "Cannot write this kind of LAS file: " + path;
        return nullptr;
    }
    writer->buffer_size_ = std::max<size_t>(s.buffer_bytes / s.record_length, 1) * s.record_length;
    writer->points_offset_ = static_cast<uint32_t>(header_size_of(s.version_minor) + vlrs.size());
    writer->end_ = writer->points_offset_;
    std::string start = writer->header() + vlrs;
    writer->created_ = writer->open_part(O_WRONLY | O_CREAT | O_TRUNC);
    if (!writer->created_ ||
        !write_fully(writer->fd_, 0, reinterpret_cast<const uint8_t *>(start.data()), start.size())) {
        writer->fail();
        if (error)
            *error = writer->error_;
        return nullptr;
    }
    if (!s.keep_open)
        writer->close_part();
    return writer;
}

LasWriter::~LasWriter()
{
    if (!done_)
        discard();
}

bool LasWriter::open_part(int flags)
{
    if (fd_ >= 0)
        return true;
    do {
        fd_ = ::open(part_path_.c_str(), flags | O_CLOEXEC, 0644);
    } while (fd_ < 0 && errno == EINTR);
    return fd_ >= 0;
}

void LasWriter::close_part()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool LasWriter::fail()
{
    if (!failed_)
        error_ = "Cannot write file: " + path_;
    failed_ = true;
    return false;
}

void LasWriter::discard()
{
    close_part();
    if (created_ && !done_)
        ::unlink(part_path_.c_str());
    done_ = true;
    failed_ = true;
    buffer_.reset();
}

// Keeps the box and the returns of the records for the final header.
void LasWriter::note(const uint8_t *records, uint64_t count)
{
    const uint16_t length = spec_.record_length;
    const uint8_t return_mask = spec_.point_format < 6 ? 0x07 : 0x0f;
    for (uint64_t i = 0; i < count; i++) {
        const uint8_t *r = records + i * length;
        for (int axis = 0; axis < 3; axis++) {
            int32_t v = get<int32_t>(r, 4 * axis);
            min_[axis] = std::min(min_[axis], v);
            max_[axis] = std::max(max_[axis], v);
        }
        by_return_[r[14] & return_mask]++;
    }
    count_ += count;
}

bool LasWriter::flush()
{
    if (buffered_ == 0)
        return true;
    if (!open_part(O_WRONLY) || !write_fully(fd_, end_, buffer_.get(), buffered_))
        return fail();
    end_ += buffered_;
    buffered_ = 0;
    if (!spec_.keep_open)
        close_part();
    return true;
}

uint8_t *LasWriter::reserve_record()
{
    if (!buffer_)
        buffer_.reset(new uint8_t[buffer_size_]);
    if (buffered_ == buffer_size_ && !flush())
        return nullptr;
    return buffer_.get() + buffered_;
}

bool LasWriter::write(const uint8_t *records, uint64_t count)
{
    if (failed_ || done_ || completed_)
        return false;
    const uint16_t length = spec_.record_length;
    const uint8_t wave = las_format_layout(spec_.point_format).wave;
    note(records, count);
    // Large runs of records without waveform references skip the buffer.
    if (!wave && count * length >= buffer_size_) {
        if (!flush() || !open_part(O_WRONLY) || !write_fully(fd_, end_, records, count * length))
            return fail();
        end_ += count * length;
        if (!spec_.keep_open)
            close_part();
        return true;
    }
    for (uint64_t i = 0; i < count; i++) {
        uint8_t *slot = reserve_record();
        if (!slot)
            return false;
        std::memcpy(slot, records + i * length, length);
        if (wave)
            slot[wave] = 0;
        buffered_ += length;
    }
    return true;
}

bool LasWriter::write(const LasPoint &point)
{
    if (failed_ || done_ || completed_)
        return false;
    uint8_t *slot = reserve_record();
    if (!slot)
        return false;
    las_encode_point(point, spec_.point_format, spec_.record_length, slot);
    note(slot, 1);
    buffered_ += spec_.record_length;
    return true;
}

std::string LasWriter::header() const
{
    const LasWriteSpec &s = spec_;
    const uint16_t size = header_size_of(s.version_minor);
    std::string text(size, '\0');
    auto *h = reinterpret_cast<uint8_t *>(&text[0]);
    std::memcpy(h, "LASF", 4);
    if (s.version_minor >= 1) {
        put<uint16_t>(h, LAS_SOURCE_ID, s.file_source_id);
        put<uint16_t>(h, LAS_GLOBAL_ENCODING, s.global_encoding);
    }
    put_text(h, LAS_GUID, s.guid, 16);
    h[LAS_VERSION_MAJOR] = s.version_major;
    h[LAS_VERSION_MINOR] = s.version_minor;
    put_text(h, LAS_SYSTEM_ID, s.system_identifier, 31);
    put_text(h, LAS_SOFTWARE, "Corvane velmo", 31);
    put_creation_date(h);
    put<uint16_t>(h, LAS_HEADER_SIZE, size);
    put<uint32_t>(h, LAS_POINT_OFFSET, points_offset_);
    put<uint32_t>(h, LAS_VLR_COUNT, s.vlr_count);
    h[LAS_POINT_FORMAT] = s.point_format;
    put<uint16_t>(h, LAS_RECORD_LENGTH, s.record_length);
    // Formats 6 to 10 and counts beyond 32 bits live only in the 64-bit fields.
    bool legacy = s.point_format < 6 && count_ <= UINT32_MAX;
    if (legacy) {
        put<uint32_t>(h, LAS_LEGACY_COUNT, static_cast<uint32_t>(count_));
        for (int r = 1; r <= 5; r++)
            put<uint32_t>(h, LAS_LEGACY_BY_RETURN + 4 * (r - 1), static_cast<uint32_t>(by_return_[r]));
    }
    for (int axis = 0; axis < 3; axis++) {
        put<double>(h, LAS_SCALE + 8 * axis, s.scale[axis]);
        put<double>(h, LAS_OFFSET + 8 * axis, s.offset[axis]);
        double a = count_ ? min_[axis] * s.scale[axis] + s.offset[axis] : 0.0;
        double b = count_ ? max_[axis] * s.scale[axis] + s.offset[axis] : 0.0;
        put<double>(h, LAS_BOX + 16 * axis, std::max(a, b));
        put<double>(h, LAS_BOX + 16 * axis + 8, std::min(a, b));
    }
    if (s.version_minor >= 4) {
        uint64_t points_end = points_offset_ + count_ * s.record_length;
        put<uint64_t>(h, LAS_EVLR_OFFSET, size_of(s.evlr_bytes) ? points_end : 0);
        put<uint32_t>(h, LAS_EVLR_COUNT, size_of(s.evlr_bytes) ? s.evlr_count : 0);
        put<uint64_t>(h, LAS_POINT_COUNT, count_);
        for (int r = 1; r <= 15; r++)
            put<uint64_t>(h, LAS_BY_RETURN + 8 * (r - 1), by_return_[r]);
    }
    return text;
}

bool LasWriter::complete()
{
    if (failed_ || done_ || completed_)
        return false;
    if (count_ > UINT32_MAX && spec_.version_minor < 4) {
        error_ = "Too many points for this LAS version: " + path_;
        discard();
        return false;
    }
    std::string head = header();
    const size_t evlr_size = size_of(spec_.evlr_bytes);
    const auto *evlrs = evlr_size ? reinterpret_cast<const uint8_t *>(spec_.evlr_bytes->data()) : nullptr;
    bool ok = flush() && open_part(O_WRONLY) && write_fully(fd_, end_, evlrs, evlr_size) &&
              write_fully(fd_, 0, reinterpret_cast<const uint8_t *>(head.data()), head.size()) &&
              (!spec_.sync || ::fdatasync(fd_) == 0);
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    buffer_.reset();
    if (!ok) {
        fail();
        discard();
        return false;
    }
    completed_ = true;
    return true;
}

bool LasWriter::commit()
{
    if (!completed_ || done_)
        return false;
    if (std::rename(part_path_.c_str(), path_.c_str()) != 0) {
        fail();
        discard();
        return false;
    }
    done_ = true;
    return true;
}

bool LasWriter::finish()
{
    return complete() && commit();
}

} // namespace velmo
