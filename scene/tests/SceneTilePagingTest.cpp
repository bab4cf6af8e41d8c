// Tiles paged by a real viewer, and the workspace reset that must not leave
// the pager holding names of freed records.  Needs a display (a virtual one
// will do).
#include "canvas_test_app.h"
#include "scene_test_support.h"

#include <osg/PagedLOD>
#include <osgDB/DatabasePager>
#include <osgDB/Registry>
#include <osgViewer/Viewer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

class SceneTilePaging : public SceneTest {
protected:
    static void SetUpTestSuite() { use_built_plugins(); }

    void SetUp() override
    {
        SceneTest::SetUp();
        ASSERT_TRUE(HeldDisplay()) << ToolkitFailure();
        viewer = new osgViewer::Viewer;
        viewer->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
        ASSERT_TRUE(attach_context()) << "no OpenGL context on display " << getenv("DISPLAY");
        viewer->setSceneData(SceneRoot.get());
        viewer->realize();
        SceneRegisterViewer(viewer.get());
    }

    void TearDown() override
    {
        viewer = nullptr;
        SceneTest::TearDown();
    }

    bool attach_context()
    {
        if (!attach_offscreen_context(viewer->getCamera(), 128))
            return false;
        viewer->getCamera()->setProjectionMatrixAsPerspective(60, 1, 0.1, 10000);
        return true;
    }

    // Close above the tile, so its finest level is asked for.
    void look_at(tile_t *tile)
    {
        const double *b = tile->box;
        osg::Vec3d centre((b[0] + b[3]) / 2, (b[1] + b[4]) / 2, (b[2] + b[5]) / 2);
        double width = b[3] - b[0];
        viewer->getCamera()->setViewMatrixAsLookAt(centre + osg::Vec3d(0, 0, 2 * width), centre,
                                                   osg::Vec3d(0, 1, 0));
    }

    // Renders frames until one of the cloud's tiles has a child merged in.
    bool render_until_a_tile_loads(velmo_t *cloud)
    {
        osg::Group *group = shown_group(CloudTable, cloud);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            viewer->frame();
            for (unsigned int i = 0; group && i < group->getNumChildren(); i++)
                if (group->getChild(i)->asGroup()->getNumChildren() > 0)
                    return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // Whether the pager holds a request: asked for, being read, or read and
    // waiting for a frame to merge it.  One being read is in no list, only
    // its thread is busy; the merge list is read once more after the
    // threads, since a thread files what it read there before it goes idle.
    static bool holds_a_request(const osgDB::DatabasePager *pager)
    {
        return pager->getRequestsInProgress() || pager->getDataToMergeListSize() > 0;
    }

    TempDir dir;
    osg::ref_ptr<osgViewer::Viewer> viewer;
};

TEST_F(SceneTilePaging, ViewerLoadsTheTilesOfAShownCloud)
{
    velmo_t *cloud = import_corridor(dir, "corridor");
    ASSERT_NE(cloud, nullptr);
    SceneShowCloud(cloud, COLOR_HEIGHT);
    EXPECT_EQ(SceneLoadedTileCount(), 0u) << "nothing is read before a frame asks for it";
    look_at(tiles_of(cloud).front());
    ASSERT_TRUE(render_until_a_tile_loads(cloud));
    EXPECT_GT(SceneLoadedTileCount(), 0u);
    SceneHideCloud(cloud);
    EXPECT_EQ(SceneLoadedTileCount(), 0u) << "a hidden cloud's tiles are not shown";
}

TEST_F(SceneTilePaging, ResetStopsThePagerAndPagingResumesInTheNewWorkspace)
{
    velmo_t *cloud = import_corridor(dir, "corridor");
    ASSERT_NE(cloud, nullptr);
    SceneShowCloud(cloud, COLOR_RGB);
    tile_t *tile = tiles_of(cloud).front();
    look_at(tile);
    // One frame: the pager has requests, and may be reading one of them, while
    // the workspace goes.
    viewer->frame();

    osg::ref_ptr<osgDB::DatabasePager> pager = viewer->getDatabasePager();
    ASSERT_NE(pager, nullptr);
    ASSERT_TRUE(holds_a_request(pager.get())) << "one frame of a shown cloud asks for its tiles";
    SceneDestroy();
    EXPECT_FALSE(pager->isRunning()) << "no thread may still be reading a tile";
    EXPECT_EQ(pager->getFileRequestListSize(), 0u);
    EXPECT_EQ(pager->getDataToMergeListSize(), 0u);
    osgDB::DatabasePager *fresh = viewer->getDatabasePager();
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, pager.get());
    // The viewer still draws the old root until it is given the new one; it
    // must find nothing there to page.
    for (int i = 0; i < 5; i++)
        viewer->frame();
    EXPECT_EQ(fresh->getFileRequestListSize(), 0u);
    EXPECT_FALSE(fresh->getRequestsInProgress());

    SceneInit();
    viewer->setSceneData(SceneRoot.get());
    ASSERT_NE(wks_create_project(g_workspace, 0, dir.file("second.qpj").c_str()), 0);
    velmo_t *again = import_corridor(dir, "again");
    ASSERT_NE(again, nullptr);
    SceneShowCloud(again, COLOR_CLASSIFICATION);
    look_at(tiles_of(again).front());
    EXPECT_TRUE(render_until_a_tile_loads(again)) << "the pager must start again after the reset";
}

// Left at its default, a pager keeps every tile it ever loaded until some
// hundreds hold points, and a large cloud's memory grows with each view.
TEST_F(SceneTilePaging, PagerKeepsABoundedNumberOfTilesAcrossResets)
{
    ASSERT_NE(viewer->getDatabasePager(), nullptr);
    EXPECT_EQ(viewer->getDatabasePager()->getTargetMaximumNumberOfPageLOD(), (unsigned int)SCENE_MAX_PAGED_TILES);
    SceneDestroy();
    SceneInit();
    ASSERT_NE(viewer->getDatabasePager(), nullptr);
    EXPECT_EQ(viewer->getDatabasePager()->getTargetMaximumNumberOfPageLOD(), (unsigned int)SCENE_MAX_PAGED_TILES)
        << "the fresh pager after a reset keeps the bound";
}

TEST_F(SceneTilePaging, DestroyedViewerIsForgotten)
{
    osg::ref_ptr<osgViewer::Viewer> other = new osgViewer::Viewer;
    SceneRegisterViewer(other.get());
    SceneRegisterViewer(other.get());
    other = nullptr;
    SceneDestroy(); // must not touch the destroyed viewer
    SceneInit();
}

} // namespace
