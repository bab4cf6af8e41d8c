// Reading LAS files (versions 1.0 to 1.4, point formats 0 to 10).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace velmo {

// What the engine needs of a LAS header.
struct LasHeader {
    uint8_t version_major = 1;
    uint8_t version_minor = 2;
    uint8_t point_format = 0;       // 0 .. 10 (compression bits removed)
    uint16_t record_length = 0;     // bytes per point record, extra bytes included
    uint16_t header_size = 0;
    uint32_t offset_to_points = 0;
    uint64_t point_count = 0;       // legacy or 64-bit count, whichever the file uses
    double scale[3] = {0.01, 0.01, 0.01};
    double offset[3] = {0, 0, 0};
    double min[3] = {0, 0, 0};      // as written in the header
    double max[3] = {0, 0, 0};
    uint16_t global_encoding = 0;
    uint16_t file_source_id = 0;
    uint32_t vlr_count = 0;         // variable length records between header and points
    uint64_t evlr_offset = 0;       // 1.4: first extended VLR after the points, 0 when none
    uint32_t evlr_count = 0;
};

// One decoded point record: integer coordinates as stored (world value =
// integer * scale + offset), and the attributes of every point format.
struct LasPoint {
    int32_t X = 0, Y = 0, Z = 0;
    uint16_t intensity = 0;
    uint8_t return_number = 0;
    uint8_t number_of_returns = 0;
    uint8_t classification = 0;     // formats 0-5: the class bits only (flags left out)
    uint8_t user_data = 0;
    int16_t scan_angle = 0;         // degrees for formats 0-5, 0.006 degree units for 6-10
    uint16_t point_source_id = 0;
    double gps_time = 0;
    uint16_t red = 0, green = 0, blue = 0;
    bool has_colour = false;
};

// Whether a point format carries RGB and GPS time.
bool las_format_has_colour(uint8_t point_format);
bool las_format_has_time(uint8_t point_format);
// Size of the standard part of a record of the format (without extra bytes).
uint16_t las_format_record_size(uint8_t point_format);

// Byte positions of the optional fields in a record of a format; 0 where the
// format has no such field.  wave is the waveform packet's descriptor index.
struct LasRecordLayout {
    uint8_t time = 0, colour = 0, nir = 0, wave = 0;
};
LasRecordLayout las_format_layout(uint8_t point_format);

// Byte positions of the header fields that readers and writers share.
enum LasHeaderField : uint16_t {
    LAS_SOURCE_ID = 4, LAS_GLOBAL_ENCODING = 6, LAS_GUID = 8, LAS_VERSION_MAJOR = 24,
    LAS_VERSION_MINOR = 25, LAS_SYSTEM_ID = 26, LAS_SOFTWARE = 58, LAS_CREATION_DAY = 90,
    LAS_CREATION_YEAR = 92, LAS_HEADER_SIZE = 94, LAS_POINT_OFFSET = 96, LAS_VLR_COUNT = 100,
    LAS_POINT_FORMAT = 104, LAS_RECORD_LENGTH = 105, LAS_LEGACY_COUNT = 107, LAS_LEGACY_BY_RETURN = 111,
    LAS_SCALE = 131, LAS_OFFSET = 155, LAS_BOX = 179, LAS_WAVEFORM_START = 227, LAS_EVLR_OFFSET = 235,
    LAS_EVLR_COUNT = 243, LAS_POINT_COUNT = 247, LAS_BY_RETURN = 255,
    // Sizes of the header of versions 1.0-1.2, 1.3 and 1.4, and of a VLR's
    // and an extended VLR's own header.
    LAS_HEADER_SIZE_12 = 227, LAS_HEADER_SIZE_13 = 235, LAS_HEADER_SIZE_14 = 375,
    LAS_VLR_HEADER_SIZE = 54, LAS_EVLR_HEADER_SIZE = 60
};

// A LAS file opened for reading.  Records are read with pread, so any number
// of threads may read ranges at once and memory stays bounded by their
// buffers, whatever the file size.
class LasFile {
public:
    // Opens and checks the file.  On failure returns null and sets *error to
    // a message for the surveyor, one of:
    //   "Cannot open file: <path>", "Not a LAS file: <path>",
    //   "LAS version 1.5 is not read (versions 1.0 to 1.4 are): <path>",
    //   "LAZ files are not supported: <path>", "LAS file is truncated: <path>",
    //   "LAS header is inconsistent: <path>" (counts, offsets or sizes that lie),
    //   "LAS scale factor is below 1e-12, ...: <path>" and "LAS scale or
    //   offset cannot place points in double precision: <path>".
    static std::unique_ptr<LasFile> open(const std::string &path, std::string *error);
    ~LasFile();
    LasFile(const LasFile &) = delete;
    LasFile &operator=(const LasFile &) = delete;

    const LasHeader &header() const { return header_; }
    uint64_t point_count() const { return header_.point_count; }
    uint64_t file_size() const { return file_size_; }

    // Reads count raw records starting at record first into buffer (count *
    // record_length bytes).  Thread-safe.  False on a read error.
    bool read_records(uint64_t first, uint64_t count, uint8_t *buffer) const;
    // Decodes one raw record of this file.
    void decode(const uint8_t *record, LasPoint *out) const;

    // Raw header bytes and everything between the header and the points
    // (variable length records), for writers that copy the file's layout.
    const std::string &header_bytes() const { return header_bytes_; }
    const std::string &vlr_bytes() const { return vlr_bytes_; }
    // The extended VLRs after the points (LAS 1.4), waveform data left out,
    // when they are intact and take at most limit bytes.  False otherwise.
    bool read_evlrs(size_t limit, std::string *bytes, uint32_t *count) const;

private:
    LasFile() = default;
    int fd_ = -1;
    uint64_t file_size_ = 0;
    LasHeader header_;
    std::string header_bytes_;
    std::string vlr_bytes_;
};

} // namespace velmo
