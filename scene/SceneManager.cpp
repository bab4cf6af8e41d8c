#include "SceneManager.h"

#include "SceneObjects.h"

#include <osg/Camera>
#include <osg/State>
#include <osg/VertexArrayState>
#include <osg/observer_ptr>
#include <osgDB/DatabasePager>
#include <osgViewer/View>

#include <cstdlib>
#include <vector>

wks_t *g_workspace = nullptr;

osg::ref_ptr<osg::Group> SceneRoot;
SceneObjectTable *CloudTable = nullptr;
SceneObjectTable *RoadTable = nullptr;
SceneObjectTable *SectionTable = nullptr;
SceneObjectTable *OverlayTable = nullptr;

osg::ref_ptr<osg::Group> SectionViewRoot;
osg::ref_ptr<osg::Group> SectionPointsGroup;
osg::ref_ptr<osg::Group> SectionBlueLineGroup;
osg::ref_ptr<osg::Group> SectionRedLineGroup;
osg::ref_ptr<osg::Group> SectionMeasureGroup;

pthread_mutex_t ModelSceneMutex;
pthread_mutex_t SectionSceneMutex;

namespace {

// Whether SceneInit has run without a SceneDestroy since, so that a second
// SceneDestroy does not destroy the workspace or the mutexes twice.
bool scene_alive = false;

// Viewers outlive workspace resets; observer pointers let a destroyed one go.
std::vector<osg::observer_ptr<osgViewer::View>> registered_viewers;

SceneObjectTable *new_table()
{
    SceneObjectTable *table = nullptr;
    treetable_new(cc_common_cmp_ptr, &table);
    return table;
}

// Drops every entry of a table the same way hiding does, then the table.
void destroy_table(SceneObjectTable *&table)
{
    if (!table)
        return;
    TreeTableIter it;
    TreeTableEntry entry;
    treetable_iter_init(&it, table);
    while (treetable_iter_next(&it, &entry) == CC_OK) {
        osg::Group *group = static_cast<osg::Group *>(entry.value);
        SceneLockModel();
        SceneRoot->removeChild(group);
        SceneUnlockModel();
        group->unref();
    }
    treetable_destroy(table);
    table = nullptr;
}

// The scene graph hands an array to the GL only when it differs from the
// last one handed over, and tells them apart by address and modification
// count alone.  An array released after a frame and a new one built later
// at its address (a section's points replaced, a tile paged out and another
// in) look the same to it, so the GL went on reading the released array's
// memory: address 0 for an array that was empty, and the driver faulted.
// Forgetting what was handed over before each frame makes every frame hand
// over its own arrays; nothing drawn in a frame is released during it.
struct ForgetArraysOfLastFrame : osg::Camera::DrawCallback {
    void operator()(osg::RenderInfo &info) const override
    {
        osg::State *state = info.getState();
        osg::VertexArrayState *arrays = state ? state->getCurrentVertexArrayState() : nullptr;
        if (!arrays)
            return;
        state->disableAllVertexArrays();
        arrays->unbindVertexBufferObject();
        arrays->unbindElementBufferObject();
    }
};

void bound_pager(osgDB::DatabasePager *pager)
{
    if (pager)
        pager->setTargetMaximumNumberOfPageLOD(SCENE_MAX_PAGED_TILES);
}

// The pager threads read tile records without any lock of ours; they must be
// idle and hold no request before those records are freed.  cancel() waits
// for a read in progress; clear() drops what was requested or loaded but not
// yet merged.  A cancelled pager never starts again, so the view goes on
// with a fresh one of the same settings.
void stop_tile_paging()
{
    for (osg::observer_ptr<osgViewer::View> &watched : registered_viewers) {
        osg::ref_ptr<osgViewer::View> viewer;
        if (!watched.lock(viewer))
            continue;
        osg::ref_ptr<osgDB::DatabasePager> pager = viewer->getDatabasePager();
        if (!pager)
            continue;
        pager->cancel();
        pager->clear();
        osg::ref_ptr<osgDB::DatabasePager> fresh = pager->clone();
        bound_pager(fresh.get());
        viewer->setDatabasePager(fresh.get());
    }
}

// A changed scene must reach the screen at once; the viewers draw only when
// asked to or when their own input or pager needs it.
void request_redraw()
{
    for (osg::observer_ptr<osgViewer::View> &watched : registered_viewers) {
        osg::ref_ptr<osgViewer::View> viewer;
        if (watched.lock(viewer))
            viewer->requestRedraw();
    }
}

} // namespace

void SceneInit()
{
    g_workspace = static_cast<wks_t *>(malloc(sizeof(wks_t) > 96 ? sizeof(wks_t) : 96));
    if (g_workspace)
        wks_init(g_workspace);
    SceneRoot = new osg::Group;
    CloudTable = new_table();
    RoadTable = new_table();
    SectionTable = new_table();
    OverlayTable = new_table();
    SectionViewRoot = new osg::Group;
    SectionPointsGroup = new osg::Group;
    SectionBlueLineGroup = new osg::Group;
    SectionRedLineGroup = new osg::Group;
    SectionMeasureGroup = new osg::Group;
    SectionViewRoot->addChild(SectionPointsGroup.get());
    SectionViewRoot->addChild(SectionBlueLineGroup.get());
    SectionViewRoot->addChild(SectionRedLineGroup.get());
    SectionViewRoot->addChild(SectionMeasureGroup.get());
    pthread_mutex_init(&ModelSceneMutex, nullptr);
    pthread_mutex_init(&SectionSceneMutex, nullptr);
    scene_alive = true;
}

void SceneDestroy()
{
    if (!scene_alive)
        return;
    stop_tile_paging();
    destroy_table(CloudTable);
    destroy_table(RoadTable);
    destroy_table(SectionTable);
    destroy_table(OverlayTable);
    if (g_workspace)
        wks_destroy(g_workspace); // frees the block as well
    g_workspace = nullptr;
    pthread_mutex_destroy(&ModelSceneMutex);
    pthread_mutex_destroy(&SectionSceneMutex);
    scene_alive = false;
    request_redraw();
}

int SceneLockModel()
{
    return pthread_mutex_lock(&ModelSceneMutex);
}

int SceneUnlockModel()
{
    return pthread_mutex_unlock(&ModelSceneMutex);
}

int SceneLockSection()
{
    return pthread_mutex_lock(&SectionSceneMutex);
}

int SceneUnlockSection()
{
    return pthread_mutex_unlock(&SectionSceneMutex);
}

void SceneRegisterViewer(osgViewer::View *viewer)
{
    if (!viewer)
        return;
    for (const osg::observer_ptr<osgViewer::View> &watched : registered_viewers)
        if (watched == viewer)
            return;
    bound_pager(viewer->getDatabasePager());
    viewer->getCamera()->addInitialDrawCallback(new ForgetArraysOfLastFrame);
    registered_viewers.emplace_back(viewer);
}

void SceneHideCloud(velmo_t *cloud)
{
    SceneTableHide(CloudTable, cloud);
}

void SceneHideRoad(wks_road_t *road)
{
    SceneTableHide(RoadTable, road);
}

void SceneHideSection(section_t *section)
{
    SceneTableHide(SectionTable, section);
}

void SceneReloadClouds(int mode)
{
    if (!g_workspace || !g_workspace->clouds)
        return;
    for (size_t i = 0; i < array_size(g_workspace->clouds); i++) {
        void *cloud = nullptr;
        if (array_get_at(g_workspace->clouds, i, &cloud) != CC_OK)
            break;
        SceneHideCloud(static_cast<velmo_t *>(cloud));
        SceneShowCloud(static_cast<velmo_t *>(cloud), mode);
    }
}

void SceneClearSectionView()
{
    SceneLockSection();
    for (osg::Group *group : {SectionPointsGroup.get(), SectionBlueLineGroup.get(), SectionRedLineGroup.get()})
        if (group && group->getNumChildren() > 0)
            group->removeChildren(0, group->getNumChildren());
    SceneUnlockSection();
    request_redraw();
}

// ---- Shared by the scene modules ------------------------------------------------

bool SceneTableContains(SceneObjectTable *table, const void *object)
{
    return table && treetable_contains_key(table, object);
}

bool SceneTableAdd(SceneObjectTable *table, void *object, osg::Group *group)
{
    if (!table || !group)
        return false;
    group->ref();
    if (treetable_add(table, object, group) != CC_OK) {
        group->unref();
        return false;
    }
    return true;
}

void SceneTableHide(SceneObjectTable *table, void *object)
{
    void *value = nullptr;
    if (!table || treetable_remove(table, object, &value) != CC_OK)
        return;
    osg::Group *group = static_cast<osg::Group *>(value);
    SceneLockModel();
    SceneRoot->removeChild(group);
    SceneUnlockModel();
    group->unref();
    request_redraw();
}

void SceneAddToModel(osg::Node *node)
{
    SceneLockModel();
    SceneRoot->addChild(node);
    SceneUnlockModel();
    request_redraw();
}

void SceneReplaceSectionGroup(osg::Group *group, osg::Node *child)
{
    if (!group)
        return;
    SceneLockSection();
    if (group->getNumChildren() > 0)
        group->removeChildren(0, group->getNumChildren());
    if (child)
        group->addChild(child);
    SceneUnlockSection();
    request_redraw();
}
