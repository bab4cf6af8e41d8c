// A synthetic road corridor imported into a project, shown as paged tiles
// and drawn by a viewer into a canvas: the octree reader must fill the view
// through the database pager, and a new colour mode must recolour it.  Needs
// a display (run under Xvfb).
//
// CORVANE_RENDER_HOLD_SECONDS=n keeps each colour mode on screen for n
// seconds, to look at the window or take a screenshot of it.
#include "GraphicsWindowWX.h"
#include "OSGCanvas.h"
#include "OrthoManipulator.h"
#include "SceneManager.h"
#include "canvas_test_app.h"
#include "frame_capture.h"
#include "lasgen.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <osg/Image>
#include <osgDB/DatabasePager>
#include <osgDB/Registry>
#include <osgGA/TrackballManipulator>
#include <osgViewer/Viewer>

#include <wx/frame.h>
#include <wx/sizer.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

namespace {

int CountDifferentPixels(const osg::Image &a, const osg::Image &b)
{
    int different = 0;
    for (int i = 0; i < a.s() * a.t() * 3; i += 3)
        if (!std::equal(a.data() + i, a.data() + i + 3, b.data() + i))
            ++different;
    return different;
}

class RenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
        osgDB::FilePathList &paths = osgDB::Registry::instance()->getLibraryFilePathList();
        if (std::find(paths.begin(), paths.end(), CORVANE_PLUGIN_LIBRARY_DIR) == paths.end())
            paths.push_front(CORVANE_PLUGIN_LIBRARY_DIR);

        frame = new wxFrame(nullptr, wxID_ANY, "Corvane render test", wxPoint(40, 40), wxSize(960, 640));
        canvas = new OSGCanvas(frame, wxID_ANY, nullptr, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
        auto *sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(canvas, 1, wxEXPAND);
        frame->SetSizer(sizer);
        frame->Show();
        ASSERT_TRUE(WaitUntilShown(canvas));
        SceneInit();
        CreateViewer();
    }

    void TearDown() override
    {
        if (!frame)
            return;
        // The pager must stop before the tile records it reads go.
        SceneDestroy();
        viewer = nullptr;
        frame->Destroy();
        PumpEventsFor(20);
    }

    // As the model view: perspective, black background, no lighting,
    // trackball camera, the model scene.
    void CreateViewer()
    {
        viewer = new osgViewer::Viewer;
        viewer->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
        const wxSize size = canvas->GetClientSize();
        osg::Camera *camera = viewer->getCamera();
        camera->setGraphicsContext(canvas->GetGraphicsWindow());
        camera->setViewport(0, 0, size.GetWidth(), size.GetHeight());
        camera->setProjectionMatrixAsPerspective(30.0, double(size.GetWidth()) / size.GetHeight(), 0.1, 1e12);
        camera->setClearColor(osg::Vec4(0, 0, 0, 1));
        camera->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
        camera->setFinalDrawCallback(capture.get());
        viewer->setCameraManipulator(new osgGA::TrackballManipulator(5));
        viewer->setSceneData(SceneRoot.get());
        SceneRegisterViewer(viewer.get());
    }

    // Looks down on the corridor from the south at an angle, as a surveyor
    // would turn the model view after home.
    void LookAtTheCorridor()
    {
        viewer->home();
        const osg::BoundingSphere bound = SceneRoot->getBound();
        const osg::Vec3d centre(bound.center());
        const double r = bound.radius();
        const osg::Vec3d eye = centre + osg::Vec3d(0, -2.1 * r, 2.8 * r);
        viewer->getCameraManipulator()->setByInverseMatrix(osg::Matrixd::lookAt(eye, centre, osg::Vec3d(0, 0, 1)));
    }

    // Renders until the pager has loaded every tile it asked for.
    bool RenderUntilPaged(int seconds = 60)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        int quietFrames = 0;
        int frames = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            viewer->frame();
            PumpEventsFor(2);
            ++frames;
            const osgDB::DatabasePager *pager = viewer->getDatabasePager();
            const bool busy = pager->getRequestsInProgress() || pager->getFileRequestListSize() > 0
                              || pager->getDataToCompileListSize() > 0 || pager->getDataToMergeListSize() > 0;
            quietFrames = busy ? 0 : quietFrames + 1;
            if (frames >= 10 && quietFrames >= 10)
                return true;
        }
        return false;
    }

    // A curved, rising corridor in a new project of a folder of its own.
    velmo_t *ImportCorridor()
    {
        lasgen::CorridorSpec spec;
        spec.points = 150000;
        spec.alignment = lasgen::Alignment::curved;
        spec.length = 240.0;
        spec.grade = 0.03;
        std::string error;
        if (!lasgen::write_corridor(spec, dir.file("corridor.las"), &error)) {
            ADD_FAILURE() << error;
            return nullptr;
        }
        if (!wks_create_project(g_workspace, 0, dir.file("render.qpj").c_str()))
            return nullptr;
        return wks_import_velmo(g_workspace, dir.file("corridor.las").c_str(), nullptr);
    }

    void HoldForLooking()
    {
        const char *hold = std::getenv("CORVANE_RENDER_HOLD_SECONDS");
        if (!hold)
            return;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(hold));
        while (std::chrono::steady_clock::now() < until) {
            viewer->frame();
            PumpEventsFor(20);
        }
    }

    TempDir dir;
    wxFrame *frame = nullptr;
    OSGCanvas *canvas = nullptr;
    osg::ref_ptr<osgViewer::Viewer> viewer;
    osg::ref_ptr<FrameCapture> capture = new FrameCapture;
};

TEST_F(RenderTest, CorridorIsDrawnThroughThePagerInEveryColourMode)
{
    velmo_t *cloud = ImportCorridor();
    ASSERT_NE(nullptr, cloud);
    SceneShowCloud(cloud, COLOR_RGB);
    LookAtTheCorridor();
    ASSERT_TRUE(RenderUntilPaged()) << "the pager did not settle";
    ASSERT_GT(capture->frames, 0);
    const osg::ref_ptr<osg::Image> rgb = new osg::Image(*capture->image, osg::CopyOp::DEEP_COPY_ALL);
    const PixelCounts rgbCounts = CountPixels(*rgb);
    // Hundreds of thousands of pixels in all; the corridor covers a good part.
    EXPECT_GT(rgbCounts.lit, 5000) << "no tile drawn: is osgdb_octree under " << CORVANE_PLUGIN_LIBRARY_DIR << "?";
    // Road greys, footpath and ground browns, tree greens: none is vivid.
    EXPECT_LT(rgbCounts.saturated, rgbCounts.lit / 20);
    HoldForLooking();

    SceneReloadClouds(COLOR_HEIGHT);
    ASSERT_TRUE(RenderUntilPaged()) << "the pager did not settle";
    const osg::Image &height = *capture->image;
    const PixelCounts heightCounts = CountPixels(height);
    EXPECT_GT(heightCounts.lit, 5000);
    // Every colour of the height ramp is vivid.
    EXPECT_GT(heightCounts.saturated, heightCounts.lit / 2);
    EXPECT_GT(CountDifferentPixels(*rgb, height), rgbCounts.lit / 2);
    HoldForLooking();
    const osg::ref_ptr<osg::Image> heightCopy = new osg::Image(height, osg::CopyOp::DEEP_COPY_ALL);

    // Intensity is grey and classification uses the class table: both page
    // in anew and change the picture again.
    SceneReloadClouds(COLOR_INTENSITY);
    ASSERT_TRUE(RenderUntilPaged()) << "the pager did not settle";
    const osg::ref_ptr<osg::Image> intensity = new osg::Image(*capture->image, osg::CopyOp::DEEP_COPY_ALL);
    const PixelCounts intensityCounts = CountPixels(*intensity);
    EXPECT_GT(intensityCounts.lit, 5000);
    EXPECT_LT(intensityCounts.saturated, intensityCounts.lit / 20);
    EXPECT_GT(CountDifferentPixels(*heightCopy, *intensity), intensityCounts.lit / 2);
    HoldForLooking();

    SceneReloadClouds(COLOR_CLASSIFICATION);
    ASSERT_TRUE(RenderUntilPaged()) << "the pager did not settle";
    const osg::Image &classes = *capture->image;
    EXPECT_GT(CountPixels(classes).lit, 5000);
    EXPECT_GT(CountDifferentPixels(*intensity, classes), intensityCounts.lit / 2);
    HoldForLooking();
}

} // namespace

TEST_F(RenderTest, FrontViewFitsTheWholeCorridorIntoTheWindow)
{
    velmo_t *cloud = ImportCorridor();
    ASSERT_NE(nullptr, cloud);
    SceneShowCloud(cloud, COLOR_HEIGHT);
    viewer->setCameraManipulator(new OrthoManipulator(viewer->getCamera()));
    viewer->home();
    ASSERT_TRUE(RenderUntilPaged()) << "the pager did not settle";

    const osg::Image &image = *capture->image;
    int left = image.s(), right = -1, bottom = image.t(), top = -1;
    for (int row = 0; row < image.t(); ++row)
        for (int column = 0; column < image.s(); ++column) {
            const unsigned char *pixel = image.data(column, row);
            if (pixel[0] || pixel[1] || pixel[2]) {
                left = std::min(left, column);
                right = std::max(right, column);
                bottom = std::min(bottom, row);
                top = std::max(top, row);
            }
        }
    ASSERT_GE(right, 0) << "nothing drawn";
    // The sphere around the corridor fits the shorter side with room to
    // spare, so no point reaches the window's edge.
    EXPECT_GT(left, 0);
    EXPECT_LT(right, image.s() - 1);
    EXPECT_GT(bottom, 0);
    EXPECT_LT(top, image.t() - 1);
    // The corridor is centred: its extent straddles the middle both ways.
    EXPECT_LT(left, image.s() / 2);
    EXPECT_GT(right, image.s() / 2);
    EXPECT_LT(bottom, image.t() / 2);
    EXPECT_GT(top, image.t() / 2);
    HoldForLooking();
}
