// Orthographic camera for flat content seen from the side: looks along the
// world +Y axis with X right and Z up (in the section view: u right, w up).
// Fits, zooms and pans exactly as the front view does.
#pragma once

#include "OrthoManipulator.h"

class SideManipulator : public OrthoManipulator
{
public:
    explicit SideManipulator(osg::Camera *camera);

protected:
    ~SideManipulator() override;
};
