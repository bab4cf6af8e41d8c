// The profile as drawn: crest and sag curves against hand-computed circle
// elevations, the point codes and chainage labels, and the degenerate roads.
#include "VerticalTestSupport.h"
#include "ProfileDrawing.h"
#include "VerticalInput.h"

using namespace vertest;

namespace {

std::vector<std::string> LabelTexts(const ProfileDrawing &drawing)
{
    std::vector<std::string> texts;
    for (const auto &label : drawing.Labels())
        texts.push_back(label.text);
    return texts;
}

} // namespace

TEST(ProfileDrawing, CrestCurveFollowsItsCircleBetweenCodedEnds)
{
    TestRoad road;
    CrestProfile(road.get());
    const ProfileDrawing drawing(road.get());

    EXPECT_EQ(LabelTexts(drawing),
              (std::vector<std::string>{"QD(K0+100.00)", "ZY(K0+300.00)", "YZ(K0+420.00)", "ZD(K0+570.00)"}));
    ASSERT_EQ(drawing.Polylines().size(), 3u);
    ASSERT_EQ(drawing.Markers().size(), 4u);

    // The first grade: 200 m at +2 % from elevation 50.
    const auto &grade = drawing.Polylines()[0];
    ASSERT_EQ(grade.size(), 2u);
    EXPECT_NEAR(grade[1].x, 300.0, 1e-9);
    EXPECT_NEAR(grade[1].y, 54.0, 1e-9);

    // Radius 3000 with its centre below the tangent at K0+300: the circle's
    // own elevations at the first sample, the middle and the end.
    const auto &curve = drawing.Polylines()[1];
    ASSERT_EQ(curve.size(), 21u);
    EXPECT_NEAR(curve[1].x, 306.0, 1e-9);
    EXPECT_NEAR(curve[1].y, 54.113996634, 1e-6);
    EXPECT_NEAR(curve[10].x, 360.0, 1e-9);
    EXPECT_NEAR(curve[10].y, 54.599820036, 1e-6);
    EXPECT_NEAR(curve[20].x, 420.0, 1e-9);
    EXPECT_NEAR(curve[20].y, 53.999520048, 1e-6);
    // Near the crest the parabola of the textbooks agrees to a millimetre.
    EXPECT_NEAR(curve[10].y, 54.0 + 60.0 * 0.02 - 60.0 * 60.0 / (2.0 * 3000.0), 1e-3);
    for (size_t k = 1; k < curve.size(); ++k)
        EXPECT_GT(curve[k].x, curve[k - 1].x) << "sample " << k;

    // The last grade leaves the curve on its end tangent, -2.0008 %.
    const vertical_element_t &last = road.at(3);
    EXPECT_NEAR(std::tan(last.start_grade) * 100.0, -2.0008002402, 1e-8);
    EXPECT_NEAR(drawing.Markers()[3].y, 53.999520048 + 150.0 * -0.020008002402, 1e-6);
}

TEST(ProfileDrawing, SagCurveLiesBelowItsCentre)
{
    TestRoad road;
    Append(road.get(), StartPoint(0.0, 100.0, -3.0));
    Append(road.get(), Curve(100.0, 2000.0, 1));
    road_apply_vertical(road.get());
    const ProfileDrawing drawing(road.get());

    ASSERT_EQ(drawing.Polylines().size(), 1u);
    const auto &curve = drawing.Polylines()[0];
    ASSERT_EQ(curve.size(), 21u);
    EXPECT_NEAR(curve[10].y, 99.125472472, 1e-6);
    EXPECT_NEAR(curve[20].y, 99.501186979, 1e-6);
    EXPECT_NEAR(std::tan(road.at(1).end_grade) * 100.0, 2.0017500199, 1e-8);
    EXPECT_EQ(LabelTexts(drawing), (std::vector<std::string>{"QD(K0+000.00)", "ZD(K0+100.00)"}));
}

TEST(ProfileDrawing, DegenerateRoadsDrawWhatTheyHave)
{
    TestRoad empty;
    const ProfileDrawing nothing(empty.get());
    EXPECT_TRUE(nothing.Polylines().empty());
    EXPECT_TRUE(nothing.Markers().empty());

    TestRoad start;
    Append(start.get(), StartPoint(1234.5, 10.0, 0.0));
    road_apply_vertical(start.get());
    const ProfileDrawing one(start.get());
    EXPECT_TRUE(one.Polylines().empty());
    EXPECT_EQ(LabelTexts(one), std::vector<std::string>{"QD(K1+234.50)"});

    // A curve too short to sample is its chord; curves in a row are coded YY.
    TestRoad shortCurve;
    Append(shortCurve.get(), StartPoint(0.0, 0.0, 1.0));
    Append(shortCurve.get(), Curve(0.0005, 1000.0, 0));
    Append(shortCurve.get(), Curve(50.0, 1000.0, 1));
    Append(shortCurve.get(), Grade(10.0));
    road_apply_vertical(shortCurve.get());
    const ProfileDrawing chord(shortCurve.get());
    ASSERT_EQ(chord.Polylines().size(), 3u);
    EXPECT_EQ(chord.Polylines()[0].size(), 2u);
    EXPECT_EQ(chord.Polylines()[1].size(), 21u);
    EXPECT_EQ(LabelTexts(chord)[1].substr(0, 2), "YY");
    EXPECT_EQ(LabelTexts(chord)[2].substr(0, 2), "YZ");
}

TEST(ProfileSoundness, CurveBeyondItsRadiusRoomIsUnsound)
{
    // From +2 % a crest of radius 3000 reaches -100 % after
    // 3000 (sin atan 0.02 + sqrt 2 / 2) = 2181.31 m.
    TestRoad fits, tooLong, pastCircle;
    for (auto *road : {&fits, &tooLong, &pastCircle})
        Append(road->get(), StartPoint(0.0, 100.0, 2.0));
    Append(fits.get(), Curve(2180.0, 3000.0, 0));
    Append(tooLong.get(), Curve(2183.0, 3000.0, 0));
    Append(pastCircle.get(), Curve(3100.0, 3000.0, 0));
    for (auto *road : {&fits, &tooLong, &pastCircle})
        road_apply_vertical(road->get());
    EXPECT_TRUE(VerticalInput::IsSoundProfile(fits.get()));
    EXPECT_FALSE(VerticalInput::IsSoundProfile(tooLong.get()));
    EXPECT_FALSE(VerticalInput::IsSoundProfile(pastCircle.get()));
}
