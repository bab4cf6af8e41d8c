// Writing ".pm" files over existing ones: the old file survives every failed
// write, and a successful one leaves nothing beside the new file.
#include "road.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class PmWrite : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::path(::testing::TempDir()) / ("corvane_pm_write_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        test_roads::five_element_alignment(road.get());
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    static std::string Text(const fs::path &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    size_t Entries() const { return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator())); }

    fs::path dir;
    test_roads::Road road;
};

} // namespace

TEST_F(PmWrite, ReplacesTheOldFileWholeAndKeepsItsPermissions)
{
    const fs::path target = dir / "main.pm";
    std::ofstream(target) << "old contents\n";
    chmod(target.c_str(), 0640);
    ASSERT_EQ(0, road_export_haidi(road.get(), target.c_str()));
    EXPECT_EQ(Text(target).rfind("NE\n", 0), 0u);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(0, road_export_weidi(road.get(), target.c_str()));
    EXPECT_EQ(Text(target).rfind("HINTCAD5.83_PM_SHUJU_PM", 0), 0u);
    EXPECT_EQ(Entries(), 1u) << "no file left beside it";
}

TEST_F(PmWrite, FailedWritesLeaveTheOldFileAndNoDebris)
{
    const fs::path target = dir / "main.pm";
    std::ofstream(target) << "old contents\n";

    EXPECT_EQ(-1, road_export_haidi(road.get(), (dir / "missing" / "main.pm").c_str()));
    fs::create_directories(dir / "folder.pm");
    EXPECT_EQ(-1, road_export_weidi(road.get(), (dir / "folder.pm").c_str()));
    fs::remove(dir / "folder.pm");
    EXPECT_EQ(-1, road_export_haidi(road.get(), ""));

    if (geteuid() != 0) {
        chmod(target.c_str(), 0444);
        EXPECT_EQ(-1, road_export_haidi(road.get(), target.c_str())) << "a read-only file stays";
        chmod(target.c_str(), 0644);
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(-1, road_export_haidi(road.get(), target.c_str())) << "a read-only folder stays";
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    }
    EXPECT_EQ(Text(target), "old contents\n");
    EXPECT_EQ(Entries(), 1u);
}
