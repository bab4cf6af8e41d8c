// The program's files are found from the build tree whatever the working
// directory: icons beside the executable, the tile reader plug-in in the lib
// folder next to it.
#include "AppResources.h"
#include "canvas_test_app.h"

#include <gtest/gtest.h>

#include <osgDB/ReaderWriter>
#include <osgDB/Registry>

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>

#include <algorithm>
#include <string>

namespace {

class AppResourcesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
        if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
            wxImage::AddHandler(new wxPNGHandler);
    }
};

TEST_F(AppResourcesTest, EveryIconOfTheWindowLoadsAtItsSizeFromAnyWorkingDirectory)
{
    const wxString saved = wxGetCwd();
    ASSERT_TRUE(wxSetWorkingDirectory("/"));
    struct Icon {
        const char *file;
        int size;
    };
    const Icon icons[] = {{"icons/new.png", 32},          {"icons/open.png", 32},
                          {"icons/book.png", 32},         {"icons/info.png", 32},
                          {"icons/import.png", 32},       {"icons/export.png", 32},
                          {"icons/colors.png", 32},       {"icons/slice.png", 32},
                          {"icons/road.png", 32},         {"icons/section.png", 32},
                          {"icons/vertical_section.png", 32}, {"icons/horizon_section.png", 32},
                          {"icons/unselected.png", 16},   {"icons/selected.png", 16},
                          {"icons/red_unselected.png", 16}, {"icons/red_selected.png", 16},
                          {"icons/disable.png", 16}};
    for (const Icon &icon : icons) {
        const wxBitmap bitmap = AppLoadBitmap(icon.file);
        ASSERT_TRUE(bitmap.IsOk()) << icon.file << " under " << AppResourceDir();
        EXPECT_EQ(icon.size, bitmap.GetWidth()) << icon.file;
        EXPECT_EQ(icon.size, bitmap.GetHeight()) << icon.file;
    }
    for (const char *picture : {"icons/corvane.png", "icons/logo.png", "icons/about.png"})
        EXPECT_TRUE(AppLoadBitmap(picture).IsOk()) << picture;
    EXPECT_TRUE(wxFileName::IsFileReadable(AppResourcePath("icons/logo.png")));
    wxSetWorkingDirectory(saved);
}

// Counts what is logged while it is the active target.
class CountingLog : public wxLog
{
public:
    int count = 0;

protected:
    void DoLogRecord(wxLogLevel, const wxString &, const wxLogRecordInfo &) override { ++count; }
};

TEST_F(AppResourcesTest, AMissingOrBrokenIconGivesAnEmptyBitmapAndNoMessage)
{
    CountingLog log;
    wxLog *previous = wxLog::SetActiveTarget(&log);
    EXPECT_FALSE(AppLoadBitmap("icons/no-such-icon.png").IsOk());
    // Not a PNG at all: the toolkit's own complaint is kept quiet.
    ASSERT_TRUE(wxFileName::IsFileReadable(AppResourcePath("icons/README")));
    EXPECT_FALSE(AppLoadBitmap("icons/README").IsOk());
    wxLog::FlushActive();
    wxLog::SetActiveTarget(previous);
    EXPECT_EQ(0, log.count);
}

TEST_F(AppResourcesTest, TheTileReaderIsFoundInTheLibFolderBesideTheProgram)
{
    const std::string dir = AppPluginLibraryDir().utf8_string();
    AppAddPluginLibraryPath();
    AppAddPluginLibraryPath();
    const osgDB::FilePathList &paths = osgDB::Registry::instance()->getLibraryFilePathList();
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(dir, paths.front());
    EXPECT_EQ(1, std::count(paths.begin(), paths.end(), dir)) << "the folder was added twice";
    EXPECT_NE(nullptr, osgDB::Registry::instance()->getReaderWriterForExtension("octree"))
        << "no octree reader under " << dir;
}

} // namespace
