#include "SideManipulator.h"

namespace {

// Camera X along world X, camera up along world Z, camera backwards along
// world -Y: the camera looks along +Y.
osg::Matrixd SideRotation()
{
    return osg::Matrixd(1, 0, 0, 0,
                        0, 0, 1, 0,
                        0, -1, 0, 0,
                        0, 0, 0, 1);
}

} // namespace

SideManipulator::SideManipulator(osg::Camera *camera)
    : OrthoManipulator(camera, SideRotation())
{
}

SideManipulator::~SideManipulator() = default;
