// The import's scratch files: where the scatter leaves each leaf's points
// and where the levelling reads them back, group of leaves by group.
#include "tile_import_state.h"

#include "positioned_io.h"

#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace velmo {
namespace tile_import {
namespace {

constexpr uint64_t kMaxGroups = 16; // of leaves with scratch files of their own

// Bytes of memory the system can give without swapping, as it says; 0 when
// it does not say.
uint64_t available_memory()
{
    std::FILE *f = std::fopen("/proc/meminfo", "re");
    if (!f)
        return 0;
    char line[256];
    unsigned long long kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1)
            break;
    std::fclose(f);
    return uint64_t(kb) * 1024;
}

// A number from a file of /proc; fallback when it cannot be read.
uint64_t proc_number(const char *path, uint64_t fallback)
{
    std::FILE *f = std::fopen(path, "re");
    if (!f)
        return fallback;
    unsigned long long n = 0;
    const bool read = std::fscanf(f, "%llu", &n) == 1;
    std::fclose(f);
    return read ? uint64_t(n) : fallback;
}

// Bytes of written pages the kernel lets wait in the page cache before it
// starts writing them back to the disk.
uint64_t writeback_threshold()
{
    const uint64_t bytes = proc_number("/proc/sys/vm/dirty_background_bytes", 0);
    if (bytes > 0)
        return bytes;
    return available_memory() / 100 * proc_number("/proc/sys/vm/dirty_background_ratio", 10);
}

} // namespace

void Import::group_leaves()
{
    // Each thread keeps a file per group open: a few dozen groups at most,
    // however big the cloud.
    const uint64_t most = std::max(options_.group_points, (point_count_ + kMaxGroups - 1) / kMaxGroups);
    leaf_group_.assign(leaves_.size(), 0);
    group_first_tile_.assign(1, 0);
    uint32_t group = 0;
    uint64_t in_group = 0;
    for (size_t i = 0; i < leaves_.size(); ++i) {
        if (in_group > 0 && in_group + leaves_[i].count > most) {
            ++group;
            in_group = 0;
        }
        leaf_group_[i] = group;
        in_group += leaves_[i].count;
    }
    for (size_t t = 0; t < tiles_.size(); ++t)
        while (group_first_tile_.size() <= leaf_group_[tile_leaf_[t]])
            group_first_tile_.push_back(uint32_t(t));
    group_first_tile_.push_back(uint32_t(tiles_.size()));
    for (Scratch &s : scratch_) {
        s.spill_fd.assign(group_first_tile_.size() - 1, -1);
        s.spill_size.assign(group_first_tile_.size() - 1, 0);
    }
}

// Bytes of scratch that may be kept in memory.  None when the kernel has
// no reason to write any scratch back: scratch files on the disk are then
// read from the page cache, and faster than memory-backed ones, whose pages
// the kernel handles one at a time, which slows the store's writing down
// too (by half or more).  Half the threshold leaves room for what other
// programs write meanwhile.
uint64_t Import::spill_memory_budget() const
{
    if (options_.spill_memory != TileStoreOptions::kAutoSpillMemory)
        return options_.spill_memory;
    const uint64_t written = file_size_ + point_count_ * spill_record_;
    if (written <= writeback_threshold() / 2 && written <= free_disk_bytes())
        return 0;
    return std::min(available_memory() / 4, TileStoreOptions::kSpillMemoryCap);
}

// The last groups' scratch files are read last, after the longest wait in
// the page cache: they are the ones kept in memory while the budget allows.
void Import::keep_spill_in_memory()
{
    const size_t groups = group_first_tile_.size() - 1;
    std::vector<uint64_t> bytes(groups, 0);
    for (size_t i = 0; i < leaves_.size(); ++i)
        bytes[leaf_group_[i]] += leaves_[i].count * spill_record_;
    uint64_t budget = spill_memory_budget();
    group_in_memory_.assign(groups, 0);
    file_spill_bytes_ = 0;
    for (size_t g = groups; g-- > 0;) {
        group_in_memory_[g] = bytes[g] <= budget;
        budget = group_in_memory_[g] ? budget - bytes[g] : 0;
        file_spill_bytes_ += group_in_memory_[g] ? 0 : bytes[g];
    }
}

// Unnamed, so that nothing is left behind whatever ends the import; on the
// disk unless the group's scratch is kept in memory (or the system has no
// memory-backed files).
bool Import::open_spill(Scratch &s, uint32_t group)
{
    int &fd = s.spill_fd[group];
    fd = group_in_memory_[group] ? ::memfd_create("corvane-import", MFD_CLOEXEC) : -1;
    if (fd >= 0)
        return true;
    fd = ::open(store_folder().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) { // a file system without unnamed files
        const std::string name = part_path_ + ".spill" + std::to_string(s.index) + "-" + std::to_string(group);
        fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::unlink(name.c_str());
    }
    if (fd >= 0)
        return true;
    fail(system_error("Cannot create the tile store", part_path_));
    return false;
}

void Import::close_spills(uint32_t group)
{
    for (Scratch &s : scratch_) {
        if (group < s.spill_fd.size() && s.spill_fd[group] >= 0)
            ::close(s.spill_fd[group]);
        if (group < s.spill_fd.size())
            s.spill_fd[group] = -1;
    }
}

void Import::close_spills()
{
    for (uint32_t g = 0; g + 1 < group_first_tile_.size(); ++g)
        close_spills(g);
}

// One write per chunk and group, at the end of the thread's file for the
// group.  The chunk's runs are in leaf order, so a group's lie together.
bool Import::spill_runs(Scratch &s, uint64_t chunk)
{
    std::vector<SpillRun> &runs = chunk_runs_[chunk];
    runs.reserve(s.runs.size());
    for (size_t i = 0; i < s.runs.size();) {
        const uint32_t group = leaf_group_[s.runs[i].leaf];
        const uint32_t first = s.runs[i].start;
        uint32_t points = 0;
        size_t end = i;
        for (; end < s.runs.size() && leaf_group_[s.runs[end].leaf] == group; ++end)
            points += s.runs[end].count;
        if (s.spill_fd[group] < 0 && !open_spill(s, group))
            return false;
        const uint64_t at = s.spill_size[group];
        if (!pwrite_all(s.spill_fd[group], &s.sorted[size_t(first) * spill_record_], size_t(points) * spill_record_, at)) {
            fail(system_error("Cannot write the tile store", part_path_));
            return false;
        }
        for (; i < end; ++i) {
            const LeafRun &r = s.runs[i];
            runs.push_back({at + uint64_t(r.start - first) * spill_record_, r.leaf, r.count, s.index});
        }
        s.spill_size[group] += uint64_t(points) * spill_record_;
    }
    return true;
}

// Every leaf must get the points the first pass counted for it: more or
// fewer means the file changed between the passes.
bool Import::gather_leaf_runs()
{
    // Counted first, then placed: a large cloud has millions of runs, and
    // a table per leaf grown run by run would be copied over and over.
    leaf_run_start_.assign(leaves_.size() + 1, 0);
    std::vector<uint64_t> counts(leaves_.size(), 0);
    for (const std::vector<SpillRun> &runs : chunk_runs_)
        for (const SpillRun &r : runs) {
            ++leaf_run_start_[r.leaf + 1];
            counts[r.leaf] += r.count;
        }
    for (size_t i = 0; i < leaves_.size(); ++i)
        if (counts[i] != leaves_[i].count) {
            fail(kChanged);
            return false;
        }
    for (size_t i = 0; i < leaves_.size(); ++i)
        leaf_run_start_[i + 1] += leaf_run_start_[i];
    leaf_runs_.resize(leaf_run_start_.back());
    std::vector<uint64_t> next(leaf_run_start_.begin(), leaf_run_start_.end() - 1);
    for (std::vector<SpillRun> &runs : chunk_runs_) {
        for (const SpillRun &r : runs)
            leaf_runs_[next[r.leaf]++] = r;
        runs = std::vector<SpillRun>();
    }
    chunk_runs_ = {};
    return true;
}

// Reads a tile's points, in the order of the file, from the spill files.
bool Import::load_tile(Scratch &s, size_t index)
{
    uint64_t skip = tile_in_leaf_[index];
    const size_t n = tiles_[index].count;
    size_t left = n;
    s.spilled.resize(n * spill_record_);
    uint8_t *to = s.spilled.data();
    const uint32_t leaf = tile_leaf_[index];
    for (uint64_t k = leaf_run_start_[leaf]; k < leaf_run_start_[leaf + 1]; ++k) {
        const SpillRun &r = leaf_runs_[k];
        if (left == 0)
            break;
        if (skip >= r.count) {
            skip -= r.count;
            continue;
        }
        const size_t take = size_t(std::min<uint64_t>(r.count - skip, left));
        if (!pread_all(scratch_[r.file].spill_fd[leaf_group_[r.leaf]], to, take * spill_record_,
                       r.offset + skip * spill_record_)) {
            fail(system_error("Cannot read the tile store", part_path_));
            return false;
        }
        to += take * spill_record_;
        left -= take;
        skip = 0;
    }
    return true;
}

} // namespace tile_import
} // namespace velmo
