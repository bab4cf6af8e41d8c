// The scene manager: the program's one point-cloud workspace and the two scene
// graphs the 3-D views draw.  SceneRoot holds the model view (point clouds,
// roads, sections in world space); SectionViewRoot holds the section view
// (one section at a time, in its own plane coordinates).
//
// Only the GUI thread calls these functions.  A view's render loop takes the
// matching mutex (SceneLockModel / SceneLockSection) around each frame, and
// the scene functions take it only around the change of one child list, so a
// frame never sees a half-changed scene.  No code holds both mutexes at once.
//
// This header also brings in the point-cloud and geometry functions, so that
// callers include one file.
#pragma once

#include "velmo.h"

#include <osg/Group>
#include <osg/ref_ptr>

#include <pthread.h>

namespace osgViewer {
class View;
}

// Colour modes of the model view, the section view and the tile names.
enum ColorMode {
    COLOR_RGB = 0,
    COLOR_INTENSITY = 1,
    COLOR_HEIGHT = 2,
    COLOR_CLASSIFICATION = 3
};

// From a workspace object (velmo_t, wks_road_t or section_t pointer) to the
// group that shows it under SceneRoot; keys are compared as plain pointers.
// Each entry holds one reference on its group.
typedef TreeTable SceneObjectTable;

// ---- State, created by SceneInit -------------------------------------------

// The point-cloud library's workspace; valid from SceneInit to SceneDestroy.
extern wks_t *g_workspace;

extern osg::ref_ptr<osg::Group> SceneRoot;
extern SceneObjectTable *CloudTable;
extern SceneObjectTable *RoadTable;
extern SceneObjectTable *SectionTable;
extern SceneObjectTable *OverlayTable;

// Exactly four children, never removed: points, blue line, red line,
// measured polyline.
extern osg::ref_ptr<osg::Group> SectionViewRoot;
extern osg::ref_ptr<osg::Group> SectionPointsGroup;
extern osg::ref_ptr<osg::Group> SectionBlueLineGroup;
extern osg::ref_ptr<osg::Group> SectionRedLineGroup;
extern osg::ref_ptr<osg::Group> SectionMeasureGroup;

// Guards the child list of SceneRoot.
extern pthread_mutex_t ModelSceneMutex;
// Guards the child lists of the four groups under SectionViewRoot.
extern pthread_mutex_t SectionSceneMutex;

// ---- Lifecycle and locking ---------------------------------------------------

// Creates a new workspace, both roots, the four tables and both mutexes.
void SceneInit();
// Stops the registered viewers' tile paging, empties SceneRoot, drops the
// tables, destroys the workspace (and frees its block) and both mutexes.
// The roots stay held until the next SceneInit replaces them; objects of the
// old workspace must not be passed to scene functions afterwards.
void SceneDestroy();

// Each returns the mutex call's result.
int SceneLockModel();
int SceneUnlockModel();
int SceneLockSection();
int SceneUnlockSection();

// Hands a viewer to the scene manager so that SceneDestroy can stop and empty
// its database pager before the tile records go (a pending tile name must not
// outlive the cloud it points into) and give it a fresh pager of the same
// settings for the next workspace.  The viewer is watched, not owned: one
// that is destroyed drops out by itself.  Registering twice counts once; the
// registration outlives SceneDestroy and SceneInit.  The viewer's pager is
// bounded to SCENE_MAX_PAGED_TILES tiles holding loaded points.  Each frame
// of the viewer's camera hands the GL the arrays of what it draws afresh, so
// that no geometry is drawn from an array released before the frame.
void SceneRegisterViewer(osgViewer::View *viewer);

// Tiles whose loaded points the pager keeps before it drops those out of view
// (or levels out of range) first.  A pager keeps every tile below its bound,
// so the bound is what keeps a large cloud's memory from growing while the
// view moves over it; a dropped tile is read again when it is needed.  Only
// levels not drawn in the last frame are dropped, so a close view that needs
// more tiles than this still shows them all.
#define SCENE_MAX_PAGED_TILES 32

// ---- Hiding --------------------------------------------------------------------

// Each removes the object's group from SceneRoot and its table; an object
// that is not shown is left alone.
void SceneHideCloud(velmo_t *cloud);
void SceneHideRoad(wks_road_t *road);
void SceneHideSection(section_t *section);

// Shows every point cloud of the workspace afresh in a new colour mode.
void SceneReloadClouds(int mode);

// Empties the section view's points, blue and red lines; the measured
// polyline stays.
void SceneClearSectionView();

#include "SceneGeometry.h"
#include "ScenePointClouds.h"
