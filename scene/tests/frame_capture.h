// What the window tests read of a drawn frame: a copy of its pixels and how
// many of them are lit.
#pragma once

#include <osg/Camera>
#include <osg/Image>
#include <osg/RenderInfo>

#include <algorithm>

// Copies the finished frame before the buffers are swapped.
struct FrameCapture : osg::Camera::DrawCallback {
    osg::ref_ptr<osg::Image> image = new osg::Image;
    mutable int frames = 0;

    void operator()(osg::RenderInfo &renderInfo) const override
    {
        const osg::Viewport *viewport = renderInfo.getCurrentCamera()->getViewport();
        image->readPixels(int(viewport->x()), int(viewport->y()), int(viewport->width()),
                          int(viewport->height()), GL_RGB, GL_UNSIGNED_BYTE);
        ++frames;
    }
};

struct PixelCounts {
    int lit = 0;       // not background
    int saturated = 0; // strongly coloured, as the height ramp is
};

inline PixelCounts CountPixels(const osg::Image &image)
{
    PixelCounts counts;
    const unsigned char *pixel = image.data();
    for (int i = 0; i < image.s() * image.t(); ++i, pixel += 3) {
        const int high = std::max({pixel[0], pixel[1], pixel[2]});
        const int low = std::min({pixel[0], pixel[1], pixel[2]});
        if (high > 0)
            ++counts.lit;
        if (high - low > 200)
            ++counts.saturated;
    }
    return counts;
}
