// The LAS file calls that need no workspace: the header summary shown before
// slicing, and the slicing itself.
#include "las_file.h"
#include "las_writer.h"
#include "velmo.h"
#include "workspace_state.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace velmo {
namespace {

constexpr int64_t kMaxPieces = VELMO_SLICE_PIECES_MAX;
constexpr size_t kChunkBytes = 32u << 20;
// Memory for the pieces' write buffers together, and for one piece at most.
constexpr size_t kPieceBufferBudget = 128u << 20;
constexpr size_t kPieceBufferMax = 1u << 20;
// Beyond this many pieces the files are opened only while being written, so
// the slicer never runs out of file descriptors.
constexpr int64_t kPiecesKeptOpen = 64;
constexpr int kProgressSteps = 100;
const char kSlicingMessage[] = "Slicing point cloud...";

bool path_is_usable(const char *path)
{
    return path && path[0] != '\0' && ::strnlen(path, VELMO_PATH_SIZE) < VELMO_PATH_SIZE;
}

class Reporter {
public:
    explicit Reporter(velmo_progress_callback_t callback) : callback_(callback) {}
    void say(int current, const std::string &message) const
    {
        if (callback_)
            callback_(kProgressSteps, current, message.c_str());
    }
    // Reports done of total only when the shown step changes.
    void step(uint64_t done, uint64_t total)
    {
        int now = total ? static_cast<int>(done * kProgressSteps / total) : kProgressSteps;
        if (now != shown_) {
            shown_ = now;
            say(now, kSlicingMessage);
        }
    }
    int shown() const { return std::max(shown_, 0); }

private:
    velmo_progress_callback_t callback_;
    int shown_ = -1;
};

// The box of the points themselves: headers may hold a box that misses
// them, or one too small to divide.
struct PointsBox {
    double min[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double max[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
};

double world_of(const uint8_t *record, int axis, const LasHeader &h)
{
    int32_t stored;
    std::memcpy(&stored, record + 4 * axis, sizeof stored);
    return stored * h.scale[axis] + h.offset[axis];
}

bool scan_box(const LasFile &las, PointsBox *box)
{
    const LasHeader &h = las.header();
    const uint64_t total = las.point_count();
    const uint64_t chunk = std::max<uint64_t>(kChunkBytes / h.record_length, 1);
    std::vector<uint8_t> buffer(std::min(chunk, std::max<uint64_t>(total, 1)) * h.record_length);
    for (uint64_t first = 0; first < total; first += chunk) {
        uint64_t count = std::min(chunk, total - first);
        if (!las.read_records(first, count, buffer.data()))
            return false;
        for (uint64_t i = 0; i < count; i++)
            for (int axis = 0; axis < 3; axis++) {
                double world = world_of(buffer.data() + i * h.record_length, axis, h);
                box->min[axis] = std::min(box->min[axis], world);
                box->max[axis] = std::max(box->max[axis], world);
            }
    }
    return true;
}

// The pieces: equal boxes of the points' box; a point on a boundary goes to
// the higher piece, and a point on or past the far side to the last.
class SliceGrid {
public:
    SliceGrid(const LasHeader &h, const PointsBox &box, const int counts[3])
    {
        for (int axis = 0; axis < 3; axis++) {
            count_[axis] = counts[axis];
            min_[axis] = box.min[axis];
            double extent = box.max[axis] - box.min[axis];
            double per_metre = counts[axis] / extent;
            per_metre_[axis] = extent > 0 && std::isfinite(per_metre) ? per_metre : 0.0;
            scale_[axis] = h.scale[axis];
            offset_[axis] = h.offset[axis];
        }
    }
    int piece_of(const uint8_t *record) const
    {
        int index[3];
        for (int axis = 0; axis < 3; axis++) {
            int32_t stored;
            std::memcpy(&stored, record + 4 * axis, sizeof stored);
            double world = stored * scale_[axis] + offset_[axis];
            double cell = std::floor((world - min_[axis]) * per_metre_[axis]);
            // Written so that a NaN lands in the first piece.
            double last = double(count_[axis] - 1);
            index[axis] = cell >= last ? count_[axis] - 1 : cell > 0.0 ? static_cast<int>(cell) : 0;
        }
        return index[0] + count_[0] * (index[1] + count_[1] * index[2]);
    }
    int64_t pieces() const { return int64_t(count_[0]) * count_[1] * count_[2]; }
    void indices(int piece, int out[3]) const
    {
        out[0] = piece % count_[0];
        out[1] = piece / count_[0] % count_[1];
        out[2] = piece / count_[0] / count_[1];
    }

private:
    int count_[3];
    double min_[3], per_metre_[3], scale_[3], offset_[3];
};

std::string piece_path(const std::string &source, const int ijk[3])
{
    std::filesystem::path p(source);
    std::string name = p.stem().string() + "_" + std::to_string(ijk[0]) + "_" + std::to_string(ijk[1]) + "_" +
                       std::to_string(ijk[2]) + ".las";
    return (p.parent_path() / name).string();
}

std::string piece_path(const std::string &source, const SliceGrid &grid, int piece)
{
    int ijk[3];
    grid.indices(piece, ijk);
    return piece_path(source, ijk);
}

class Slicer {
public:
    Slicer(const std::string &path, const LasFile &las, const PointsBox &box, const int counts[3],
           Reporter *reporter)
        : path_(path), las_(las), grid_(las.header(), box, counts), reporter_(reporter),
          writers_(static_cast<size_t>(grid_.pieces()))
    {
        spec_ = las_write_spec_like(las);
        size_t share = kPieceBufferBudget / static_cast<size_t>(grid_.pieces());
        spec_.buffer_bytes = std::clamp<size_t>(share, spec_.record_length, kPieceBufferMax);
        spec_.keep_open = grid_.pieces() <= kPiecesKeptOpen;
    }

    bool run()
    {
        const uint16_t length = las_.header().record_length;
        const uint64_t total = las_.point_count();
        const uint64_t chunk = std::max<uint64_t>(kChunkBytes / length, 1);
        std::vector<uint8_t> buffer(std::min(chunk, std::max<uint64_t>(total, 1)) * length);
        reporter_->step(0, total);
        for (uint64_t first = 0; first < total; first += chunk) {
            uint64_t count = std::min(chunk, total - first);
            if (!las_.read_records(first, count, buffer.data()))
                return stop("Cannot read file: " + path_);
            if (!route(buffer.data(), count))
                return false;
            reporter_->step(first + count, total);
        }
        return finish_all();
    }

private:
    // Hands runs of consecutive records of one piece to its writer at once.
    bool route(const uint8_t *records, uint64_t count)
    {
        const uint16_t length = las_.header().record_length;
        uint64_t run_start = 0;
        int run_piece = count ? grid_.piece_of(records) : 0;
        for (uint64_t i = 1; i <= count; i++) {
            int piece = i < count ? grid_.piece_of(records + i * length) : -1;
            if (piece == run_piece)
                continue;
            LasWriter *writer = writer_of(run_piece);
            if (!writer || !writer->write(records + run_start * length, i - run_start))
                return stop(writer ? writer->error() : error_);
            run_start = i;
            run_piece = piece;
        }
        return true;
    }

    LasWriter *writer_of(int piece)
    {
        auto &writer = writers_[static_cast<size_t>(piece)];
        if (!writer)
            writer = LasWriter::create(piece_path(path_, grid_, piece), spec_, &error_);
        return writer.get();
    }

    // All pieces are completed before any is moved into place, and pieces
    // already in place are taken back when a later one fails, so a failed
    // slicing leaves no pieces at all.
    bool finish_all()
    {
        for (auto &writer : writers_) {
            if (writer && !writer->complete())
                return stop(writer->error());
        }
        std::vector<std::string> placed;
        for (auto &writer : writers_) {
            if (!writer)
                continue;
            if (!writer->commit()) {
                for (const auto &path : placed)
                    ::unlink(path.c_str());
                return stop(writer->error());
            }
            placed.push_back(writer->path());
        }
        reporter_->say(kProgressSteps, kSlicingMessage);
        return true;
    }

    // Abandons every unfinished piece; the message says why.
    bool stop(std::string message)
    {
        writers_.clear();
        reporter_->say(reporter_->shown(), message);
        return false;
    }

    std::string path_;
    const LasFile &las_;
    SliceGrid grid_;
    Reporter *reporter_;
    LasWriteSpec spec_;
    std::vector<std::unique_ptr<LasWriter>> writers_;
    std::string error_;
};

bool counts_are_usable(const int counts[3], Reporter *reporter)
{
    if (!counts || counts[0] < 1 || counts[1] < 1 || counts[2] < 1) {
        reporter->say(0, "Slice counts must be at least 1.");
        return false;
    }
    if (int64_t(counts[0]) * counts[1] * counts[2] > kMaxPieces) {
        reporter->say(0, "Too many slices: at most " + std::to_string(kMaxPieces) + " pieces.");
        return false;
    }
    return true;
}

int slice_points(const char *path, const int counts[3], Reporter *reporter)
{
    if (!path_is_usable(path)) {
        reporter->say(0, path ? "Path is too long or empty." : "No file to slice.");
        return 0;
    }
    if (!counts_are_usable(counts, reporter))
        return 0;
    std::string error;
    auto las = LasFile::open(path, &error);
    if (!las) {
        reporter->say(0, error);
        return 0;
    }
    PointsBox box;
    if (!scan_box(*las, &box)) {
        reporter->say(0, "Cannot read file: " + std::string(path));
        return 0;
    }
    Slicer slicer(path, *las, box, counts, reporter);
    return slicer.run() ? 1 : 0;
}

} // namespace
} // namespace velmo

extern "C" int32_t velmo_read_las_facts(const char *path, double box[6], char *reason, size_t reason_size)
{
    if (box)
        std::fill(box, box + 6, 0.0);
    std::string error = "Cannot read file: " + std::string(path ? path : "");
    try {
        std::unique_ptr<velmo::LasFile> las;
        if (velmo::path_is_usable(path))
            las = velmo::LasFile::open(path, &error);
        else
            error = path ? "Path is too long or empty." : "No file given.";
        if (las) {
            const velmo::LasHeader &h = las->header();
            if (box) {
                std::copy(h.min, h.min + 3, box);
                std::copy(h.max, h.max + 3, box + 3);
            }
            return static_cast<int32_t>(std::min<uint64_t>(h.point_count, INT32_MAX));
        }
    } catch (...) {
    }
    if (reason && reason_size > 0) {
        const size_t length = std::min(error.size(), reason_size - 1);
        std::memcpy(reason, error.data(), length);
        reason[length] = '\0';
    }
    return -1;
}

extern "C" int32_t velmo_read_point_number(const char *path, double box[6])
{
    return std::max<int32_t>(velmo_read_las_facts(path, box, nullptr, 0), 0);
}

extern "C" int velmo_slice_piece_path(const char *path, const int ijk[3], char *out, size_t size)
{
    if (!path || !ijk || !out || size == 0)
        return 0;
    try {
        return velmo::copy_whole(out, size, velmo::piece_path(path, ijk)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

extern "C" int velmo_slice_points(const char *path, const int counts[3], velmo_progress_callback_t progress)
{
    velmo::Reporter reporter(progress);
    try {
        return velmo::slice_points(path, counts, &reporter);
    } catch (...) {
        reporter.say(reporter.shown(), "Cannot slice file: " + std::string(path ? path : ""));
        return 0;
    }
}
