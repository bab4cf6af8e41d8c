#include "road.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

// A model that frees its nodes when the test ends.
struct Model {
    model_t model;
    Model(std::initializer_list<std::pair<double, double>> nodes)
    {
        model_init(&model);
        for (const auto &n : nodes) {
            model_node_t node{n.first, n.second};
            model_insert_node(&model, &node);
        }
    }
    ~Model() { model_final(&model); }
    Model(const Model &) = delete;
    Model &operator=(const Model &) = delete;

    double height(double offset) const
    {
        double h = NAN;
        EXPECT_EQ(model_elevation(&model, offset, &h, nullptr), 0);
        return h;
    }
    int edge(double offset) const
    {
        int e = -1;
        EXPECT_EQ(model_elevation(&model, offset, nullptr, &e), 0);
        return e;
    }
};

TEST(ModelElevation, CrownedRoadRisesTowardsBothEdges)
{
    Model crown{{-10, 0.02}, {0, 0}, {10, 0.02}};
    EXPECT_NEAR(crown.height(-10), 0.2, 1e-12);
    EXPECT_NEAR(crown.height(10), 0.2, 1e-12);
    EXPECT_NEAR(crown.height(0), 0.0, 1e-12);
    EXPECT_NEAR(crown.height(5), 0.1, 1e-12);
    EXPECT_NEAR(crown.height(-2.5), 0.05, 1e-12);
    // Beyond the outer nodes the last stretch is extended.
    EXPECT_NEAR(crown.height(11), 0.22, 1e-12);
    EXPECT_NEAR(crown.height(-13), 0.26, 1e-12);
}

TEST(ModelElevation, EdgeFlagSaysInsideNearEdgeOrBeyond)
{
    Model crown{{-10, 0.02}, {0, 0}, {10, 0.02}};
    EXPECT_EQ(crown.edge(5), 1);
    EXPECT_EQ(crown.edge(0), 1);
    EXPECT_EQ(crown.edge(9), 0);
    EXPECT_EQ(crown.edge(11), 0);
    EXPECT_EQ(crown.edge(12), 0);
    EXPECT_EQ(crown.edge(13), 2);
    EXPECT_EQ(crown.edge(-8.5), 0);
    EXPECT_EQ(crown.edge(-12.5), 2);
}

TEST(ModelElevation, SlopesApplyToTheStretchTowardsTheCentreLine)
{
    // Carriageway at 2 %, then a ditch slope falling 1:2 outwards.
    Model model{{-12, -0.5}, {-7.5, 0.02}, {0, 0}, {7.5, 0.02}, {12, -0.5}};
    EXPECT_NEAR(model.height(-7.5), 0.15, 1e-12);
    EXPECT_NEAR(model.height(-12), 0.15 - 4.5 * 0.5, 1e-12);
    EXPECT_NEAR(model.height(9.75), (0.15 - 2.1) / 2, 1e-12);
}

TEST(ModelElevation, OneSidedModelTakesTheCentreLineAsReference)
{
    Model left{{-10, 0.02}, {-4, 0.03}};
    EXPECT_NEAR(left.height(-4), 0.12, 1e-12);
    EXPECT_NEAR(left.height(-10), 0.24, 1e-12);
    EXPECT_NEAR(left.height(-7), 0.18, 1e-12);

    // The same on the other side: a positive slope still rises outwards.
    Model right{{4, 0.03}, {10, 0.02}};
    EXPECT_NEAR(right.height(4), 0.12, 1e-12);
    EXPECT_NEAR(right.height(10), 0.24, 1e-12);
}

TEST(ModelElevation, ModelWithoutCentreNodeMeasuresBothSidesFromTheCentreLine)
{
    Model model{{-10, 0.02}, {5, 0.02}};
    EXPECT_NEAR(model.height(-10), 0.2, 1e-12);
    EXPECT_NEAR(model.height(5), 0.1, 1e-12);
}

TEST(ModelElevation, SingleNodeGivesItsOwnHeightEverywhere)
{
    Model centre{{0, 0.02}};
    EXPECT_EQ(centre.height(0), 0.0);
    EXPECT_EQ(centre.height(7), 0.0);

    Model off_centre{{4, 0.05}};
    EXPECT_NEAR(off_centre.height(4), 0.2, 1e-12);
    EXPECT_NEAR(off_centre.height(-3), 0.2, 1e-12);
    EXPECT_EQ(off_centre.edge(4), 0);
    EXPECT_EQ(off_centre.edge(10), 2);
}

TEST(ModelElevation, ModelWithoutNodesFailsAndLeavesTheOutputs)
{
    Model empty{};
    double h = 42;
    int e = 42;
    EXPECT_EQ(model_elevation(&empty.model, 1, &h, &e), -1);
    EXPECT_EQ(h, 42);
    EXPECT_EQ(e, 42);
    EXPECT_EQ(model_elevation(nullptr, 1, &h, &e), -1);
}

TEST(ModelElevation, TwoNodesAtOneOffsetGiveFiniteHeights)
{
    // A kerb: two nodes at the same offset, the outer one a step up.
    Model kerb{{0, 0}, {5, 0.02}, {5, 0.5}};
    EXPECT_TRUE(std::isfinite(kerb.height(7)));
    EXPECT_TRUE(std::isfinite(kerb.height(5)));
    EXPECT_TRUE(std::isfinite(kerb.height(-1)));
}

TEST(ModelElevation, NotANumberOffsetDoesNotFail)
{
    Model crown{{-10, 0.02}, {0, 0}, {10, 0.02}};
    double h;
    int e;
    EXPECT_EQ(model_elevation(&crown.model, NAN, &h, &e), 0);
}

} // namespace
