#include "scene_test_support.h"

#include "test_roads.h"

#include <osg/observer_ptr>

#include <algorithm>
#include <thread>

namespace {

using SceneState = SceneTest;

void expect_section_root_in_order()
{
    ASSERT_EQ(SectionViewRoot->getNumChildren(), 4u);
    EXPECT_EQ(SectionViewRoot->getChild(0), SectionPointsGroup.get());
    EXPECT_EQ(SectionViewRoot->getChild(1), SectionBlueLineGroup.get());
    EXPECT_EQ(SectionViewRoot->getChild(2), SectionRedLineGroup.get());
    EXPECT_EQ(SectionViewRoot->getChild(3), SectionMeasureGroup.get());
}

TEST_F(SceneState, InitGivesAnEmptyWorkspaceAndEmptyScenes)
{
    ASSERT_NE(g_workspace, nullptr);
    EXPECT_EQ(g_workspace->project, nullptr);
    EXPECT_EQ(array_size(g_workspace->clouds), 0u);
    EXPECT_EQ(SceneRoot->getNumChildren(), 0u);
    for (SceneObjectTable *table : {CloudTable, RoadTable, SectionTable, OverlayTable}) {
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(treetable_size(table), 0u);
    }
    expect_section_root_in_order();
    for (osg::Group *group : {SectionPointsGroup.get(), SectionBlueLineGroup.get(), SectionRedLineGroup.get(),
                              SectionMeasureGroup.get()})
        EXPECT_EQ(group->getNumChildren(), 0u);
}

TEST_F(SceneState, DestroyThenInitStartsAfreshAndReleasesTheOldGroups)
{
    wks_road_t road = {};
    road_init(&road.road);
    test_roads::five_element_alignment(&road.road);
    SceneShowRoad(&road);
    osg::observer_ptr<osg::Group> road_group = shown_group(RoadTable, &road);
    std::vector<velmo_point_t> measured(2);
    SceneShowPolyline(measured, 1.0f);
    osg::ref_ptr<osg::Group> old_root = SceneRoot;

    SceneDestroy();
    EXPECT_EQ(g_workspace, nullptr);
    // The old root stays usable for a viewer that still draws it, but shows
    // nothing of the destroyed workspace.
    EXPECT_EQ(old_root->getNumChildren(), 0u);
    EXPECT_FALSE(road_group.valid()) << "neither the table nor the root may keep the road's group";

    SceneInit();
    EXPECT_NE(SceneRoot.get(), old_root.get());
    EXPECT_EQ(SceneRoot->getNumChildren(), 0u);
    EXPECT_EQ(treetable_size(RoadTable), 0u);
    EXPECT_NE(g_workspace, nullptr);
    expect_section_root_in_order();
    EXPECT_EQ(SectionMeasureGroup->getNumChildren(), 0u);
    road_final(&road.road);
}

TEST_F(SceneState, DestroyTwiceIsHarmless)
{
    SceneDestroy();
    SceneDestroy();
    SceneInit(); // for TearDown
}

TEST_F(SceneState, HidingWhatIsNotShownDoesNothing)
{
    velmo_t cloud = {};
    wks_road_t road = {};
    section_t section = {};
    SceneHideCloud(&cloud);
    SceneHideRoad(&road);
    SceneHideSection(&section);
    SceneShowSectionOverlay(&section, false);
    SceneHideCloud(nullptr);
    EXPECT_EQ(SceneRoot->getNumChildren(), 0u);
}

TEST_F(SceneState, LocksPassTheMutexResultAndExcludeEachOther)
{
    EXPECT_EQ(SceneLockModel(), 0);
    bool model_taken = true;
    std::thread other([&] { model_taken = pthread_mutex_trylock(&ModelSceneMutex) == 0; });
    other.join();
    EXPECT_FALSE(model_taken);
    EXPECT_EQ(SceneUnlockModel(), 0);

    EXPECT_EQ(SceneLockSection(), 0);
    bool section_taken = true;
    std::thread again([&] { section_taken = pthread_mutex_trylock(&SectionSceneMutex) == 0; });
    again.join();
    EXPECT_FALSE(section_taken);
    EXPECT_EQ(SceneUnlockSection(), 0);
}

TEST_F(SceneState, ClearingTheSectionViewKeepsTheMeasuredPolyline)
{
    section_t section = {};
    section.type = SECTION_CUSTOM;
    array_new(&section.points);
    array_new(&section.red_line);
    array_new(&section.measurements);
    velmo_point_t a = {}, b = {};
    b.u = 1;
    array_add(section.points, &a);
    array_add(section.red_line, &a);
    array_add(section.measurements, &b);
    unsigned char visible[32];
    float colours[32][4] = {};
    std::fill(visible, visible + 32, 1);
    SceneShowSectionPoints(&section, COLOR_RGB, 2, visible, colours);
    SceneShowSectionLineRed(&section, 2);
    SceneShowSectionLineBlue(&section, 2);
    SceneShowPolyline({a, b}, 2);

    SceneClearSectionView();
    EXPECT_EQ(SectionPointsGroup->getNumChildren(), 0u);
    EXPECT_EQ(SectionBlueLineGroup->getNumChildren(), 0u);
    EXPECT_EQ(SectionRedLineGroup->getNumChildren(), 0u);
    EXPECT_EQ(SectionMeasureGroup->getNumChildren(), 1u);
    SceneClearSectionView(); // on empty groups as well
    expect_section_root_in_order();

    array_destroy(section.points);
    array_destroy(section.red_line);
    array_destroy(section.measurements);
}

TEST_F(SceneState, ReloadWithoutCloudsDoesNothing)
{
    SceneReloadClouds(COLOR_HEIGHT);
    EXPECT_EQ(SceneRoot->getNumChildren(), 0u);
    EXPECT_EQ(treetable_size(CloudTable), 0u);
}

} // namespace
