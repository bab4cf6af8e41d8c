// Writing LAS files (versions 1.0 to 1.4, point formats 0 to 10) as a stream
// of records, with the header's counts and box filled in at the end.
#pragma once

#include "las_file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace velmo {

// The layout of a LAS file to write.
struct LasWriteSpec {
    uint8_t version_major = 1;
    uint8_t version_minor = 2;
    uint8_t point_format = 0;          // formats 6 to 10 need version 1.4
    uint16_t record_length = 0;        // 0: the format's standard size
    double scale[3] = {0.001, 0.001, 0.001};
    double offset[3] = {0, 0, 0};
    uint16_t global_encoding = 0;
    uint16_t file_source_id = 0;
    std::string guid;                  // 16 bytes, or empty for none
    std::string system_identifier = "Corvane";
    // Written as they are between header and points, and (1.4) after the
    // points; shared, since many writers may copy one source's records.
    std::shared_ptr<const std::string> vlr_bytes;
    uint32_t vlr_count = 0;
    std::shared_ptr<const std::string> evlr_bytes;
    uint32_t evlr_count = 0;
    size_t buffer_bytes = 1 << 20;     // records are gathered up to this size before each write
    bool keep_open = true;             // false: the file is opened only while a buffer is written
    bool sync = true;                  // flush to disk before the file is moved into place
};

// The layout of an existing file, with its VLRs and small extended VLRs, for
// files that hold some of its records.
LasWriteSpec las_write_spec_like(const LasFile &source);

// Encodes a point as a record of the format (record_length bytes; bytes after
// the format's standard part are zeroed).
void las_encode_point(const LasPoint &point, uint8_t point_format, uint16_t record_length, uint8_t *record);

// Writes "<path>.part" and moves it to path on finish(), so a failed or
// abandoned write leaves no file behind.  Not thread-safe.
class LasWriter {
public:
    // Null with *error set when the layout is not a valid LAS layout or the
    // file cannot be created.
    static std::unique_ptr<LasWriter> create(const std::string &path, const LasWriteSpec &spec,
                                             std::string *error);
    // Discards the file unless finish() succeeded.
    ~LasWriter();
    LasWriter(const LasWriter &) = delete;
    LasWriter &operator=(const LasWriter &) = delete;

    // Appends count raw records of the file's point format and record length.
    // Waveform packet references are cleared, since the packets are not
    // carried over.  False after a write error.
    bool write(const uint8_t *records, uint64_t count);
    bool write(const LasPoint &point);
    // Writes the remaining records, the header with the real counts and box,
    // and moves the file into place: complete() then commit().  Writers of
    // several files complete them all before committing any.
    bool finish();
    bool complete();
    bool commit();
    // Deletes the partial file; nothing is written afterwards.
    void discard();

    uint64_t point_count() const { return count_; }
    const std::string &path() const { return path_; }
    const LasWriteSpec &spec() const { return spec_; }
    // The first failure, as a message for the surveyor.
    const std::string &error() const { return error_; }

private:
    LasWriter() = default;
    bool open_part(int flags);
    void close_part();
    void note(const uint8_t *records, uint64_t count);
    uint8_t *reserve_record();
    bool flush();
    bool fail();
    std::string header() const;

    std::string path_, part_path_, error_;
    LasWriteSpec spec_;
    int fd_ = -1;
    uint64_t end_ = 0;               // bytes in the file so far
    uint32_t points_offset_ = 0;
    uint64_t count_ = 0;
    uint64_t by_return_[16] = {};
    int32_t min_[3] = {INT32_MAX, INT32_MAX, INT32_MAX};
    int32_t max_[3] = {INT32_MIN, INT32_MIN, INT32_MIN};
    std::unique_ptr<uint8_t[]> buffer_;
    size_t buffer_size_ = 0, buffered_ = 0;
    bool created_ = false, failed_ = false, completed_ = false, done_ = false;
};

} // namespace velmo
