#include "OctreeColors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expect_color(const osg::Vec4 &actual, float r, float g, float b, float a)
{
    EXPECT_FLOAT_EQ(actual.r(), r);
    EXPECT_FLOAT_EQ(actual.g(), g);
    EXPECT_FLOAT_EQ(actual.b(), b);
    EXPECT_FLOAT_EQ(actual.a(), a);
}

velmo_t cloud_with(double min_z, double max_z, int step_count, double height_step)
{
    velmo_t cloud = {};
    cloud.box[2] = min_z;
    cloud.box[5] = max_z;
    cloud.step_count = step_count;
    cloud.height_step = height_step;
    return cloud;
}

osg::Vec4 color_of(const velmo_point_t &point, int mode, const velmo_t &cloud)
{
    osg::Vec4 color(-1, -1, -1, -1);
    EXPECT_TRUE(octree_point_color(point, mode, cloud.box[2], octree_height_scale(&cloud), &color));
    return color;
}

TEST(OctreeColors, RgbIsScaledFrom255)
{
    velmo_point_t p = {};
    p.red = 255;
    p.green = 51;
    p.blue = 0;
    velmo_t cloud = cloud_with(0, 10, 10, 1);
    expect_color(color_of(p, 0, cloud), 1.0f, 0.2f, 0.0f, 1);
}

TEST(OctreeColors, StoredIntensityRunsOverTheWholeGreyRamp)
{
    velmo_t cloud = cloud_with(0, 10, 10, 1);
    velmo_point_t p = {};
    p.intensity = 51;
    expect_color(color_of(p, 1, cloud), 0.2f, 0.2f, 0.2f, 1);
    p.intensity = 255;
    expect_color(color_of(p, 1, cloud), 1, 1, 1, 1);
    p.intensity = 0;
    expect_color(color_of(p, 1, cloud), 0, 0, 0, 1);
    p.intensity = 1000; // never stored so, but never beyond white
    expect_color(color_of(p, 1, cloud), 1, 1, 1, 1);
}

TEST(OctreeColors, HeightRunsFromBlueAtTheBottomThroughGreenToRedAtTheTop)
{
    velmo_t cloud = cloud_with(100, 116, 1, 1); // the box decides: 16 m
    velmo_point_t p = {};
    p.z = 100;
    expect_color(color_of(p, 2, cloud), 0, 0, 1, 1);
    p.z = 108;
    expect_color(color_of(p, 2, cloud), 0, 1, 0, 1);
    p.z = 116;
    expect_color(color_of(p, 2, cloud), 1, 0, 0, 1);
    p.z = 101; // a sixteenth: halfway from blue to the second colour
    expect_color(color_of(p, 2, cloud), 0, 0.25f, 1, 1);
    p.z = 90; // below the box, as points of a later import can be
    expect_color(color_of(p, 2, cloud), 0, 0, 1, 1);
    p.z = 130;
    expect_color(color_of(p, 2, cloud), 1, 0, 0, 1);
}

TEST(OctreeColors, HeightScaleTakesTheLargerOfStepsAndBox)
{
    velmo_t steps_win = cloud_with(0, 10, 20, 1.0);
    EXPECT_FLOAT_EQ(octree_height_scale(&steps_win), 1.0f / 20);
    velmo_point_t p = {};
    p.z = 10; // the box's top is only halfway up a 20 m scale
    expect_color(color_of(p, 2, steps_win), 0, 1, 0, 1);

    velmo_t box_wins = cloud_with(0, 40, 20, 1.0);
    EXPECT_FLOAT_EQ(octree_height_scale(&box_wins), 1.0f / 40);
}

TEST(OctreeColors, FlatCloudWithoutStepsIsBlueNotNaN)
{
    velmo_t flat = cloud_with(5, 5, 0, 1.0);
    EXPECT_EQ(octree_height_scale(&flat), 0.0f);
    velmo_point_t p = {};
    p.z = 5;
    expect_color(color_of(p, 2, flat), 0, 0, 1, 1);
    expect_color(octree_height_color(std::nanf("")), 0, 0, 1, 1);
}

TEST(OctreeColors, UnusedClassesAreTransparentBlack)
{
    for (int c : {7, 8, 12, 17, 20, 31})
        expect_color(octree_class_color((uint8_t)c), 0, 0, 0, 0);
    expect_color(octree_class_color(2), 0.4f, 0.4f, 0, 1);
    expect_color(octree_class_color(11), 0.6f, 0.6f, 0.6f, 1);
    expect_color(octree_class_color(16), 0.8f, 0.8f, 0.8f, 1);
    // Classes above 31 (LAS 1.4) are "other", never the class of their
    // low five bits: 34 is not ground, 133 not vegetation.
    for (int c : {34, 40, 42, 44, 0x80 | 5, 255})
        expect_color(octree_class_color((uint8_t)c), 0, 0, 0, 0);

    velmo_t cloud = cloud_with(0, 10, 10, 1);
    velmo_point_t p = {};
    p.classification = 7;
    expect_color(color_of(p, 3, cloud), 0, 0, 0, 0);
}

TEST(OctreeColors, BytesRoundEachChannelAndClampWhatLiesOutside)
{
    struct Case {
        float value;
        unsigned char byte;
    };
    for (const Case &c : {Case{0, 0}, Case{1, 255}, Case{0.2f, 51}, Case{0.4f, 102}, Case{0.5f, 128},
                          Case{0.6f, 153}, Case{-0.5f, 0}, Case{1.5f, 255}, Case{std::nanf(""), 0}}) {
        osg::Vec4ub b = octree_color_bytes(osg::Vec4(c.value, c.value, c.value, c.value));
        EXPECT_EQ(b, osg::Vec4ub(c.byte, c.byte, c.byte, c.byte)) << c.value;
    }
    EXPECT_EQ(octree_color_bytes(osg::Vec4(1, 0.2f, 0, 0.4f)), osg::Vec4ub(255, 51, 0, 102)) << "channels apart";
}

TEST(OctreeColors, UnknownModeGivesNoColour)
{
    velmo_point_t p = {};
    osg::Vec4 color;
    EXPECT_FALSE(octree_point_color(p, 4, 0, 1, &color));
    EXPECT_FALSE(octree_point_color(p, -1, 0, 1, &color));
}

} // namespace
