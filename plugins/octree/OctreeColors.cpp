#include "OctreeColors.h"

#include <algorithm>
#include <cmath>

namespace {

// Constant tables, filled while the plug-in is being loaded, before the
// registry can hand it a name: pager threads read them without a guard.
const osg::Vec4 kHeightRamp[9] = {
    {0, 0, 1, 1},    {0, 0.5f, 1, 1}, {0, 1, 1, 1},    {0, 1, 0.5f, 1}, {0, 1, 0, 1},
    {0.5f, 1, 0, 1}, {1, 1, 0, 1},    {1, 0.5f, 0, 1}, {1, 0, 0, 1},
};

const osg::Vec4 kHidden(0, 0, 0, 0);

const osg::Vec4 kClassColors[32] = {
    {1, 1, 1, 1},          // 0 created, never classified
    {1, 1, 1, 1},          // 1 unclassified
    {0.4f, 0.4f, 0, 1},    // 2 ground
    {0, 0.4f, 0, 1},       // 3 low vegetation
    {0, 0.6f, 0, 1},       // 4 medium vegetation
    {0, 0.8f, 0, 1},       // 5 high vegetation
    {0.4f, 0, 0, 1},       // 6 building
    kHidden,               // 7 low point (noise)
    kHidden,               // 8 reserved
    {0, 0, 0.4f, 1},       // 9 water
    {0.6f, 0.6f, 0, 1},    // 10 rail
    {0.6f, 0.6f, 0.6f, 1}, // 11 road surface
    kHidden,               // 12 reserved
    {0.8f, 0.8f, 0, 1},    // 13 wire guard
    {0.8f, 0.8f, 0.4f, 1}, // 14 wire conductor
    {0.8f, 0.8f, 0.6f, 1}, // 15 transmission tower
    {0.8f, 0.8f, 0.8f, 1}, // 16 wire connector
    kHidden, kHidden, kHidden, kHidden, kHidden, kHidden, kHidden, kHidden,
    kHidden, kHidden, kHidden, kHidden, kHidden, kHidden, kHidden,
};

} // namespace

float octree_height_scale(const velmo_t *cloud)
{
    double steps = cloud->step_count * cloud->height_step;
    double span = std::max(steps, cloud->box[5] - cloud->box[2]);
    if (!(span > 0) || !std::isfinite(span))
        return 0.0f;
    return (float)(1.0 / span);
}

osg::Vec4 octree_height_color(float t)
{
    if (!(t >= 0)) // below the ramp, or not a number
        return kHeightRamp[0];
    if (t >= 1)
        return kHeightRamp[8];
    float scaled = 8 * t;
    int m = std::min(7, (int)std::floor(scaled));
    float a = scaled - m;
    osg::Vec4 color = kHeightRamp[m] + (kHeightRamp[m + 1] - kHeightRamp[m]) * a;
    color.a() = 1;
    return color;
}

const osg::Vec4 &octree_class_color(uint8_t classification)
{
    return kClassColors[velmo_class_index(classification)];
}

bool octree_point_color(const velmo_point_t &point, int mode, double min_z, float height_scale, osg::Vec4 *color)
{
    switch (mode) {
    case 0:
        *color = osg::Vec4(point.red / 255.0f, point.green / 255.0f, point.blue / 255.0f, 1);
        return true;
    case 1: {
        // The store keeps intensity scaled to 0-255 by the file's own
        // maximum: that range is the whole grey ramp.
        float g = std::min(1.0f, point.intensity / 255.0f);
        *color = osg::Vec4(g, g, g, 1);
        return true;
    }
    case 2:
        *color = octree_height_color((float)(point.z - min_z) * height_scale);
        return true;
    case 3:
        *color = octree_class_color(point.classification);
        return true;
    default:
        return false;
    }
}

osg::Vec4ub octree_color_bytes(const osg::Vec4 &color)
{
    auto byte = [](float value) {
        // Written so that NaN, which fails every comparison, gives 0.
        float clamped = value > 0.0f ? std::min(value, 1.0f) : 0.0f;
        return (unsigned char)(clamped * 255.0f + 0.5f);
    };
    return osg::Vec4ub(byte(color.r()), byte(color.g()), byte(color.b()), byte(color.a()));
}
