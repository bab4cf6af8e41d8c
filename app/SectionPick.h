// Picking in the section view: the record of a list of section points whose
// window position lies nearest to the mouse.
#pragma once

#include "velmo.h"

#include <osg/Matrixd>

// The record of list (velmo_point_t *) whose section-view coordinates (u, v,
// w), taken through the window matrix (row vectors, with the perspective
// divide), lie nearest to the window point (wx, wy) and closer than
// sqrt(radiusSquared) pixels; the earlier record on a tie; null for an empty
// list or none that close.
velmo_point_t *NearestSectionPoint(Array *list, const osg::Matrixd &windowMatrix, double wx, double wy,
                                   double radiusSquared);
