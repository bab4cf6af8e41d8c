// What lies under the mouse in the model view, found in screen space against
// what the view draws: the drawn point for the coordinate read-out, and the
// section whose line passes under the mouse for the double-click pick.
#pragma once

#include "velmo.h"

#include <osg/Vec3d>
#include <osgViewer/Viewer>

class ModelPicker
{
public:
    // How far (pixels) from the mouse a drawn point or line still counts.
    static const int PICK_PIXELS = 5;

    explicit ModelPicker(osgViewer::Viewer *viewer);

    // The drawn point (cloud point, or the spot of a drawn line) under the
    // mouse nearest the eye; false where nothing is drawn.  x, y are the
    // canvas's mouse coordinates (origin top left).
    bool DrawnPointAt(int x, int y, osg::Vec3d *point) const;

    // The shown latitude section whose drawn line passes nearest the mouse,
    // within PICK_PIXELS; null when no drawn section line is that near, or
    // when the nearest is a line of another kind of section.
    section_t *LatitudeSectionAt(int x, int y) const;

private:
    // Distance in pixels from the window point to the drawn polyline, or a
    // negative value when it lies wholly behind the eye.
    double PixelDistance(const osg::Vec2d &mouse, const std::vector<osg::Vec3d> &line) const;
    bool WindowSegment(const osg::Vec3d &a, const osg::Vec3d &b, osg::Vec2d *wa, osg::Vec2d *wb) const;
    osg::Vec2d WindowPoint(int x, int y) const;

    osgViewer::Viewer *m_viewer;
};
