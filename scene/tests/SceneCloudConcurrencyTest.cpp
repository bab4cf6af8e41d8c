// The GUI shows clouds while the worker opens them: a project being opened
// and a colour change reloading every cloud meanwhile.  Run under
// ThreadSanitizer in CI.
#include "scene_test_support.h"

#include "SceneObjects.h"

#include <atomic>
#include <thread>

namespace {

using SceneCloudConcurrency = SceneTest;

TEST_F(SceneCloudConcurrency, ShowingCloudsWhileATaskOpensThemSeesNoTableUnderConstruction)
{
    TempDir dir;
    ASSERT_NE(import_corridor(dir, "a", 20000), nullptr);
    ASSERT_NE(import_corridor(dir, "b", 20000, 500100.0), nullptr);
    ASSERT_NE(wks_export_project(g_workspace), 0);
    const std::string project = dir.file("survey.qpj");
    for (int round = 0; round < 3; round++) {
        // A fresh workspace lists the clouds; their tables come as the task
        // opens them, one after the other, as the project task does.
        SceneDestroy();
        SceneInit();
        ASSERT_NE(wks_open_project(g_workspace, project.c_str()), 0);
        ASSERT_EQ(array_size(g_workspace->clouds), 2u);
        std::atomic<bool> opened{false};
        std::thread task([&] {
            for (size_t i = 0; i < array_size(g_workspace->clouds); i++) {
                void *cloud = nullptr;
                array_get_at(g_workspace->clouds, i, &cloud);
                velmo_open_file(static_cast<velmo_t *>(cloud));
            }
            opened = true;
        });
        int mode = COLOR_RGB;
        for (bool last = false; !last; mode = (mode + 1) % 4) {
            last = opened;
            SceneReloadClouds(mode);
        }
        task.join();
        // Every cloud is shown whole, one node per tile.
        for (size_t i = 0; i < array_size(g_workspace->clouds); i++) {
            void *cloud = nullptr;
            array_get_at(g_workspace->clouds, i, &cloud);
            auto *shown = static_cast<velmo_t *>(cloud);
            ASSERT_TRUE(SceneTableContains(CloudTable, shown)) << round;
            EXPECT_EQ(shown_group(CloudTable, shown)->getNumChildren(), treetable_size(shown->tiles)) << round;
        }
    }
}

} // namespace
