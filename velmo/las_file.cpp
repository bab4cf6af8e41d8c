// Reading LAS files: header checks, raw record ranges and record decoding.
#include "las_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "LAS fields are read in place as little-endian");

namespace velmo {

namespace {

constexpr size_t kMaxPathBytes = 1023;
constexpr uint8_t kCompressionBits = 0x80 | 0x40;

template <typename T> T field(const uint8_t *bytes, size_t at)
{
    T value;
    std::memcpy(&value, bytes + at, sizeof value);
    return value;
}

bool read_fully(int fd, uint64_t at, size_t size, void *buffer)
{
    auto *out = static_cast<uint8_t *>(buffer);
    while (size > 0) {
        ssize_t got = ::pread(fd, out, size, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        at += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool is_usable_scale(double scale) { return std::isfinite(scale) && scale != 0.0; }

uint16_t minimum_header_size(uint8_t minor)
{
    return minor >= 4 ? LAS_HEADER_SIZE_14 : LAS_HEADER_SIZE_12;
}

// Why a file was refused; turned into the surveyor's message by open().
enum class Refusal { none, cannot_open, not_las, version, laz, truncated, inconsistent, unplaceable, too_fine };

std::string refusal_text(Refusal refusal, const std::string &path, const LasHeader &h)
{
    switch (refusal) {
    case Refusal::cannot_open:
        return "Cannot open file: " + path;
    case Refusal::not_las:
        return "Not a LAS file: " + path;
    case Refusal::version:
        return "LAS version " + std::to_string(h.version_major) + "." + std::to_string(h.version_minor) +
               " is not read (versions 1.0 to 1.4 are): " + path;
    case Refusal::laz:
        return "LAZ files are not supported: " + path;
    case Refusal::truncated:
        return "LAS file is truncated: " + path;
    case Refusal::inconsistent:
        return "LAS header is inconsistent: " + path;
    case Refusal::unplaceable:
        return "LAS scale or offset cannot place points in double precision: " + path;
    case Refusal::too_fine:
        return "LAS scale factor is below 1e-12, finer than any survey measures: " + path;
    case Refusal::none:
        break;
    }
    return std::string();
}

// The fields of the standard header, from at least 227 bytes (375 for 1.4).
void parse_header(const uint8_t *bytes, LasHeader *h)
{
    h->version_major = bytes[LAS_VERSION_MAJOR];
    h->version_minor = bytes[LAS_VERSION_MINOR];
    if (h->version_minor >= 1) {
        h->file_source_id = field<uint16_t>(bytes, LAS_SOURCE_ID);
        h->global_encoding = field<uint16_t>(bytes, LAS_GLOBAL_ENCODING);
    }
    h->header_size = field<uint16_t>(bytes, LAS_HEADER_SIZE);
    h->offset_to_points = field<uint32_t>(bytes, LAS_POINT_OFFSET);
    h->vlr_count = field<uint32_t>(bytes, LAS_VLR_COUNT);
    h->point_format = bytes[LAS_POINT_FORMAT] & ~kCompressionBits;
    h->record_length = field<uint16_t>(bytes, LAS_RECORD_LENGTH);
    h->point_count = field<uint32_t>(bytes, LAS_LEGACY_COUNT);
    for (int axis = 0; axis < 3; axis++) {
        h->scale[axis] = field<double>(bytes, LAS_SCALE + 8 * axis);
        h->offset[axis] = field<double>(bytes, LAS_OFFSET + 8 * axis);
        h->max[axis] = field<double>(bytes, LAS_BOX + 16 * axis);
        h->min[axis] = field<double>(bytes, LAS_BOX + 16 * axis + 8);
    }
}

// LAS 1.4 keeps a 64-bit count beside the legacy one, which must be 0 or
// agree with it.  Some writers fill only the legacy field; that is accepted.
bool take_extended_count(const uint8_t *bytes, LasHeader *h)
{
    uint64_t legacy = h->point_count;
    uint64_t extended = field<uint64_t>(bytes, LAS_POINT_COUNT);
    h->evlr_offset = field<uint64_t>(bytes, LAS_EVLR_OFFSET);
    h->evlr_count = field<uint32_t>(bytes, LAS_EVLR_COUNT);
    if (extended == 0)
        return true;
    if (legacy != 0 && legacy != extended)
        return false;
    h->point_count = extended;
    return true;
}

bool numbers_are_sane(const LasHeader &h)
{
    for (int axis = 0; axis < 3; axis++) {
        if (!is_usable_scale(h.scale[axis]) || !std::isfinite(h.offset[axis]))
            return false;
        if (!std::isfinite(h.min[axis]) || !std::isfinite(h.max[axis]))
            return false;
    }
    return true;
}

// No surveyed coordinate comes near this many metres (or degrees); far
// beyond it the stores' quantisation and every difference of coordinates
// lose their meaning or overflow.
constexpr double kLargestCoordinate = 1e12;

// No scanner resolves anything near this (in metres, feet or degrees); far
// below it a tile's extent is so small that the cells of its grid per metre
// are no longer finite.
constexpr double kFinestScale = 1e-12;

bool scales_are_measurable(const LasHeader &h)
{
    return std::fabs(h.scale[0]) >= kFinestScale && std::fabs(h.scale[1]) >= kFinestScale &&
           std::fabs(h.scale[2]) >= kFinestScale;
}

// Every stored integer must give a finite coordinate within
// kLargestCoordinate, and one step of the scale must still tell two points
// apart there.
bool coordinates_are_placeable(const LasHeader &h)
{
    for (int axis = 0; axis < 3; axis++) {
        double step = std::fabs(h.scale[axis]);
        double farthest = std::fabs(h.offset[axis]) + step * 2147483648.0;
        if (!(farthest <= kLargestCoordinate) || !(farthest / step < 4503599627370496.0))
            return false;
    }
    return true;
}

// Every VLR must end before the points start; a chain that runs past them
// means the offset or the VLR count lies.
bool vlrs_fit(const std::string &vlrs, uint32_t count)
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(vlrs.data());
    uint64_t at = 0;
    for (uint32_t i = 0; i < count; i++) {
        if (at + LAS_VLR_HEADER_SIZE > vlrs.size())
            return false;
        at += LAS_VLR_HEADER_SIZE + field<uint16_t>(bytes, at + 20);
        if (at > vlrs.size())
            return false;
    }
    return true;
}

} // namespace

bool las_format_has_colour(uint8_t point_format)
{
    return las_format_layout(point_format).colour != 0;
}

bool las_format_has_time(uint8_t point_format)
{
    return las_format_layout(point_format).time != 0;
}

uint16_t las_format_record_size(uint8_t point_format)
{
    static const uint16_t sizes[11] = {20, 28, 26, 34, 57, 63, 30, 36, 38, 59, 67};
    return point_format <= 10 ? sizes[point_format] : 0;
}

LasRecordLayout las_format_layout(uint8_t point_format)
{
    // time, colour, near infrared, waveform packet
    static const LasRecordLayout layouts[11] = {
        {0, 0, 0, 0},   {20, 0, 0, 0},  {0, 20, 0, 0},  {20, 28, 0, 0},
        {20, 0, 0, 28}, {20, 28, 0, 34}, {22, 0, 0, 0}, {22, 30, 0, 0},
        {22, 30, 36, 0}, {22, 0, 0, 30}, {22, 30, 36, 38}};
    return point_format <= 10 ? layouts[point_format] : LasRecordLayout{};
}

namespace {

// What open() learns about a file before the LasFile is made.
struct LasOpening {
    int fd = -1;
    uint64_t size = 0;
    LasHeader header;
    std::string header_bytes;
    std::string vlr_bytes;
};

// Checks, in the order a surveyor would want to hear about them, everything a
// reader relies on before it trusts a single record.
Refusal check_header(LasOpening *o)
{
    uint8_t bytes[LAS_HEADER_SIZE_14] = {};
    if (o->size < LAS_HEADER_SIZE_12)
        return Refusal::not_las;
    if (!read_fully(o->fd, 0, std::min<uint64_t>(o->size, sizeof bytes), bytes))
        return Refusal::cannot_open;
    if (std::memcmp(bytes, "LASF", 4) != 0)
        return Refusal::not_las;
    o->header.version_major = bytes[LAS_VERSION_MAJOR];
    o->header.version_minor = bytes[LAS_VERSION_MINOR];
    if (bytes[LAS_VERSION_MAJOR] != 1 || bytes[LAS_VERSION_MINOR] > 4)
        return Refusal::version;
    if (bytes[LAS_POINT_FORMAT] & kCompressionBits)
        return Refusal::laz;
    LasHeader &h = o->header;
    parse_header(bytes, &h);
    if (h.point_format > 10 || h.header_size < minimum_header_size(h.version_minor) ||
        h.offset_to_points < h.header_size)
        return Refusal::inconsistent;
    if (h.offset_to_points > o->size)
        return Refusal::truncated;
    if (h.version_minor >= 4 && !take_extended_count(bytes, &h))
        return Refusal::inconsistent;
    if (h.record_length < las_format_record_size(h.point_format) || !numbers_are_sane(h))
        return Refusal::inconsistent;
    if (!scales_are_measurable(h))
        return Refusal::too_fine;
    if (!coordinates_are_placeable(h))
        return Refusal::unplaceable;
    if (h.point_count > (UINT64_MAX - h.offset_to_points) / h.record_length)
        return Refusal::inconsistent;
    uint64_t points_end = h.offset_to_points + h.point_count * h.record_length;
    if (h.evlr_count > 0 && h.evlr_offset != 0 && h.evlr_offset < points_end && h.evlr_offset < o->size)
        return Refusal::inconsistent;
    if (points_end > o->size)
        return Refusal::truncated;
    return Refusal::none;
}

Refusal read_layout_bytes(LasOpening *o)
{
    const LasHeader &h = o->header;
    try {
        o->header_bytes.resize(h.header_size);
        o->vlr_bytes.resize(h.offset_to_points - h.header_size);
    } catch (const std::bad_alloc &) {
        return Refusal::inconsistent;
    }
    if (!read_fully(o->fd, 0, o->header_bytes.size(), o->header_bytes.data()) ||
        !read_fully(o->fd, h.header_size, o->vlr_bytes.size(), o->vlr_bytes.data()))
        return Refusal::cannot_open;
    return vlrs_fit(o->vlr_bytes, h.vlr_count) ? Refusal::none : Refusal::inconsistent;
}

Refusal open_and_check(const std::string &path, LasOpening *o)
{
    if (path.empty() || path.size() > kMaxPathBytes)
        return Refusal::cannot_open;
    // Without O_NONBLOCK opening a named pipe would wait for a writer.
    o->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info;
    if (o->fd < 0 || ::fstat(o->fd, &info) != 0 || !S_ISREG(info.st_mode))
        return Refusal::cannot_open;
    o->size = static_cast<uint64_t>(info.st_size);
    Refusal refusal = check_header(o);
    return refusal != Refusal::none ? refusal : read_layout_bytes(o);
}

} // namespace

std::unique_ptr<LasFile> LasFile::open(const std::string &path, std::string *error)
{
    LasOpening o;
    Refusal refusal = open_and_check(path, &o);
    if (refusal != Refusal::none) {
        if (o.fd >= 0)
            ::close(o.fd);
        if (error)
            *error = refusal_text(refusal, path, o.header);
        return nullptr;
    }
    std::unique_ptr<LasFile> file(new LasFile());
    file->fd_ = o.fd;
    file->file_size_ = o.size;
    file->header_ = o.header;
    file->header_bytes_ = std::move(o.header_bytes);
    file->vlr_bytes_ = std::move(o.vlr_bytes);
    return file;
}

LasFile::~LasFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool LasFile::read_records(uint64_t first, uint64_t count, uint8_t *buffer) const
{
    if (first > header_.point_count || count > header_.point_count - first)
        return false;
    uint64_t at = header_.offset_to_points + first * header_.record_length;
    return read_fully(fd_, at, count * header_.record_length, buffer);
}

void LasFile::decode(const uint8_t *record, LasPoint *out) const
{
    const uint8_t format = header_.point_format;
    const LasRecordLayout layout = las_format_layout(format);
    out->X = field<int32_t>(record, 0);
    out->Y = field<int32_t>(record, 4);
    out->Z = field<int32_t>(record, 8);
    out->intensity = field<uint16_t>(record, 12);
    if (format < 6) {
        out->return_number = record[14] & 0x07;
        out->number_of_returns = (record[14] >> 3) & 0x07;
        out->classification = record[15] & 0x1f;
        out->scan_angle = static_cast<int8_t>(record[16]);
        out->user_data = record[17];
        out->point_source_id = field<uint16_t>(record, 18);
    } else {
        out->return_number = record[14] & 0x0f;
        out->number_of_returns = record[14] >> 4;
        out->classification = record[16];
        out->user_data = record[17];
        out->scan_angle = field<int16_t>(record, 18);
        out->point_source_id = field<uint16_t>(record, 20);
    }
    out->gps_time = layout.time ? field<double>(record, layout.time) : 0.0;
    out->has_colour = layout.colour != 0;
    if (out->has_colour) {
        out->red = field<uint16_t>(record, layout.colour);
        out->green = field<uint16_t>(record, layout.colour + 2);
        out->blue = field<uint16_t>(record, layout.colour + 4);
    } else {
        out->red = out->green = out->blue = 0;
    }
}

bool LasFile::read_evlrs(size_t limit, std::string *bytes, uint32_t *count) const
{
    bytes->clear();
    *count = 0;
    uint64_t at = header_.evlr_offset;
    for (uint32_t i = 0; i < header_.evlr_count; i++) {
        uint8_t head[LAS_EVLR_HEADER_SIZE];
        if (at > file_size_ || file_size_ - at < sizeof head || !read_fully(fd_, at, sizeof head, head))
            return false;
        uint64_t length = field<uint64_t>(head, 20);
        if (length > file_size_ - at - sizeof head)
            return false;
        // Waveform packets belong to the records' original file; they are
        // never carried over.
        bool waveform = std::memcmp(head + 2, "LASF_Spec", 10) == 0 && field<uint16_t>(head, 18) == 65535;
        if (!waveform) {
            if (bytes->size() + sizeof head + length > limit)
                return false;
            size_t start = bytes->size();
            bytes->append(reinterpret_cast<const char *>(head), sizeof head);
            bytes->resize(start + sizeof head + length);
            if (!read_fully(fd_, at + sizeof head, length, &(*bytes)[start + sizeof head]))
                return false;
            ++*count;
        }
        at += sizeof head + length;
    }
    return true;
}

} // namespace velmo
