// Colours of tile points in the model view's four colour modes: 0 RGB,
// 1 intensity, 2 height, 3 classification.
#pragma once

#include "velmo.h"

#include <osg/Vec4>
#include <osg/Vec4ub>

#include <cstdint>

// Scale that maps a height above the cloud's lowest point to 0 .. 1 of the
// height ramp: 1 / max(step_count * height_step, height of the cloud's box).
// 0 when neither gives a positive span, so every point takes the ramp's start.
float octree_height_scale(const velmo_t *cloud);

// The height ramp from blue (t <= 0) through cyan, green and yellow to red
// (t >= 1), linear between its nine colours.
osg::Vec4 octree_height_color(float t);

// Colour of a LAS class (low 5 bits); unnamed and unused classes are
// transparent black.
const osg::Vec4 &octree_class_color(uint8_t classification);

// Colour of a decoded point in a mode; false for a mode without colours.
// min_z is the cloud's lowest z, height_scale from octree_height_scale.
bool octree_point_color(const velmo_point_t &point, int mode, double min_z, float height_scale, osg::Vec4 *color);

// A colour as four bytes, each channel clamped to 0 .. 1 and rounded to the
// nearest of 0 .. 255.
osg::Vec4ub octree_color_bytes(const osg::Vec4 &color);
