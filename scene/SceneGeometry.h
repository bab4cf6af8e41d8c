// Roads and sections as line and point geometry: in world space under
// SceneRoot, and the current section in its plane coordinates (u, v, w) under
// the four groups of SectionViewRoot.  Geometry is built before a mutex is
// taken; the mutex covers only the child-list change.
#pragma once

#include "velmo.h"

#include <osg/Vec3d>

#include <vector>

// The section's points as the worker last published them: a recomputation
// swaps the array in whole and keeps the one it replaced, so one load gives
// one whole array that stays valid as long as the section.
Array *ScenePublishedPoints(const section_t *section);

// The road's centre line as a white line strip, at its design elevation, or
// flat at the workspace's base elevation when it has no profile.  Shown once.
void SceneShowRoad(wks_road_t *road);

// The section in world space: its frame line (latitude and custom sections)
// or ground polyline (longitude sections) in dark red, and its blue line.
// Shown once.
void SceneShowSection(section_t *section);

// The section's line as the model view draws it, in world space; empty when
// the section is not shown there.
std::vector<osg::Vec3d> SceneShownSectionLine(section_t *section);

// Shows the section's points in world space as red points, or removes them.
void SceneShowSectionOverlay(section_t *section, bool show);

// The section's points in the section view, coloured by mode (ColorMode); in
// COLOR_CLASSIFICATION a class with visible[class] 0 is left out and the
// others take colours[class].  Latitude and custom sections also get their
// axis line.  A null section empties the points group.
void SceneShowSectionPoints(section_t *section, int mode, float size, const unsigned char visible[32],
                            const float colours[32][4]);

// The section's red line (design) and blue line (ground) in the section view,
// width lines and points; a null section empties the group.
void SceneShowSectionLineRed(section_t *section, float width);
void SceneShowSectionLineBlue(section_t *section, float width);

// The measured polyline in the section view, yellow: a line through the
// points (when there are two or more) and the points themselves.
void SceneShowPolyline(const std::vector<velmo_point_t> &points, float width);
