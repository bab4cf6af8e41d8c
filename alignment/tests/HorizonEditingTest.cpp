// Editing commands of the horizontal element panel, checked against the
// road library after every step.
#include "AlignmentTestSupport.h"
#include "AngleText.h"
#include "H_Line.h"
#include "H_Moderate.h"
#include "H_Round.h"
#include "H_StartPoint.h"
#include "c_notation.h"
#include "test_roads.h"
#include "toolkit_decimal_comma_locale.h"

#include <wx/filedlg.h>
#include <wx/uiaction.h>

#include <cmath>
#include <functional>
#include <fstream>
#include <unistd.h>

using namespace aligntest;

namespace {

const double kPi = 3.141592653589793;

// Dialog answers that type into the fields and press OK.
DialogScript::Answer StartPoint(const char *mileage, const char *direction, const char *north, const char *east)
{
    return [=](wxDialog *dialog) {
        auto *d = dynamic_cast<H_StartPoint *>(dialog);
        EXPECT_NE(d, nullptr);
        if (!d)
            return int(wxID_CANCEL);
        d->TextCtrl3->SetValue(mileage);
        d->TextCtrl4->SetValue(direction);
        d->TextCtrl1->SetValue(north);
        d->TextCtrl2->SetValue(east);
        return int(wxID_OK);
    };
}

DialogScript::Answer Line(const char *length)
{
    return [=](wxDialog *dialog) {
        auto *d = dynamic_cast<H_Line *>(dialog);
        EXPECT_NE(d, nullptr);
        if (!d)
            return int(wxID_CANCEL);
        d->TextCtrl1->SetValue(length);
        return int(wxID_OK);
    };
}

DialogScript::Answer Circle(const char *radius, const char *length, int turn)
{
    return [=](wxDialog *dialog) {
        auto *d = dynamic_cast<H_Round *>(dialog);
        EXPECT_NE(d, nullptr);
        if (!d)
            return int(wxID_CANCEL);
        d->TextCtrl1->SetValue(radius);
        d->TextCtrl2->SetValue(length);
        d->Choice1->SetSelection(turn);
        return int(wxID_OK);
    };
}

DialogScript::Answer Spiral(const char *start, const char *end, const char *length, int turn)
{
    return [=](wxDialog *dialog) {
        auto *d = dynamic_cast<H_Moderate *>(dialog);
        EXPECT_NE(d, nullptr);
        if (!d)
            return int(wxID_CANCEL);
        d->TextCtrl1->SetValue(start);
        d->TextCtrl2->SetValue(end);
        d->TextCtrl3->SetValue(length);
        d->Choice1->SetSelection(turn);
        return int(wxID_OK);
    };
}

// Everything the list shows agrees with the road library.
void ExpectListMatchesRoad(HorizonPanel &panel, road_t &road)
{
    const int n = road_number_horizon(&road);
    ASSERT_EQ(panel.ElementList->GetItemCount(), n);
    for (int row = 0; row < n; ++row) {
        const horizon_element_t *e = road_horizon(&road, row);
        EXPECT_EQ(panel.ElementList->GetItemText(row, HorizonPanel::COL_MILEAGE),
                  wxString::Format("%.4f", e->start_chainage));
        EXPECT_EQ(panel.ElementList->GetItemText(row, HorizonPanel::COL_NORTH), wxString::Format("%.4f", e->start_x));
    }
    EXPECT_EQ(panel.PlanCanvas->GetMap().polylines.size(), size_t(std::max(0, n - 1)));
    EXPECT_EQ(panel.PlanCanvas->GetMap().symbols.size(), size_t(n));
}

} // namespace

TEST_F(PanelTest, BuildingARoadElementByElement)
{
    panel->SetRoad(&road);
    DialogScript script;
    script.Then(StartPoint("100", "45.3000", "4498000", "3512000"));
    Press(panel->PointButton);
    ASSERT_EQ(road_number_horizon(&road), 1);
    const horizon_element_t *start = road_horizon(&road, 0);
    EXPECT_EQ(start->start_chainage, 100.0);
    EXPECT_NEAR(start->start_azimuth, 45.5 * kPi / 180, 1e-15);
    EXPECT_EQ(start->start_x, 4498000.0);
    EXPECT_TRUE(panel->LineButton->IsEnabled());
    EXPECT_TRUE(panel->IsModified());
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(panel->PlanCanvas->GetMap().texts[0]->text, "QD(K0+100.00)");

    script.Then(Line("150"));
    Press(panel->LineButton);
    script.Then(Spiral("0", "300", "40", 1));
    Press(panel->CurveButton);
    script.Then(Circle("300", "80", 1));
    Press(panel->CircleButton);
    ASSERT_EQ(road_number_horizon(&road), 4);
    EXPECT_EQ(road_horizon(&road, 1)->length, 150.0);
    EXPECT_EQ(road_horizon(&road, 2)->end_radius, 300.0);
    EXPECT_EQ(road_horizon(&road, 3)->radius, 300.0);
    EXPECT_EQ(road_horizon(&road, 3)->direction, 1);
    EXPECT_DOUBLE_EQ(road_horizon(&road, 3)->start_chainage, 100.0 + 150.0 + 40.0);
    EXPECT_EQ(SelectedRow(), 3);
    EXPECT_EQ(Selected(*panel),
              std::vector<int>{2});
    ExpectListMatchesRoad(*panel, road);
    EXPECT_EQ(script.unanswered, 0);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(PanelTest, RealInputButtonAppendsAnElement)
{
    test_roads::five_element_alignment(&road);
    panel->SetRoad(&road);
    DialogScript script;
    script.Then(Line("12.5"));
    wxUIActionSimulator mouse;
    const wxPoint centre = panel->LineButton->GetScreenPosition() + panel->LineButton->GetSize() / 2;
    mouse.MouseMove(centre);
    PumpEventsFor(50);
    mouse.MouseClick();
    ASSERT_TRUE(PumpEventsUntil([this] { return road_number_horizon(&road) == 7; }, 3000));
    EXPECT_EQ(road_horizon(&road, 6)->length, 12.5);
    EXPECT_EQ(SelectedRow(), 6);
}

TEST_F(PanelTest, BadInputLeavesTheRoadUnchangedWithAMessage)
{
    test_roads::five_element_alignment(&road);
    panel->SetRoad(&road);
    const horizon_element_t before = *road_horizon(&road, 3);
    DialogScript script;
    script.Then(Circle("abc", "20", 0));
    Press(panel->CircleButton);
    script.Then(Line("-3"));
    Press(panel->LineButton);
    script.Then(Spiral("0", "0", "35", 0));
    Press(panel->CurveButton);
    script.Then(StartPoint("0", "361.7000", "1", "2"));
    Press(panel->PointButton);
    SelectRow(3);
    script.Then(Circle("0", "50", 1));
    Press(panel->EditButton);
    EXPECT_EQ(road_number_horizon(&road), 6);
    const horizon_element_t after = *road_horizon(&road, 3);
    EXPECT_EQ(after.radius, before.radius);
    EXPECT_EQ(after.length, before.length);
    ASSERT_EQ(script.messages.size(), 5u);
    for (const wxString &title : script.titles)
        EXPECT_EQ(title, wxString::FromUTF8("错误"));
    EXPECT_FALSE(panel->IsModified());

    // Cancel changes nothing either.
    Press(panel->LineButton);
    EXPECT_EQ(script.unanswered, 1);
    EXPECT_EQ(road_number_horizon(&road), 6);
}

TEST_F(PanelTest, EditPrefillsFromTheRowAndKeepsUntouchedValuesExact)
{
    test_roads::five_element_alignment(&road);
    panel->SetRoad(&road);
    const double spiralLength = road_horizon(&road, 2)->length;
    const double straightLength = road_horizon(&road, 1)->length;

    // OK on an unchanged straight keeps its length to the last digit.
    SelectRow(1);
    wxString prefill;
    {
        DialogScript script;
        script.Then([&prefill](wxDialog *dialog) {
            prefill = dynamic_cast<H_Line &>(*dialog).TextCtrl1->GetValue();
            return int(wxID_OK);
        });
        Press(panel->EditButton);
    }
    EXPECT_EQ(prefill, "36.3914");
    EXPECT_EQ(road_horizon(&road, 1)->length, straightLength);

    // The circle opens with its radius, length and turn, and takes a new radius.
    SelectRow(3);
    {
        DialogScript script;
        script.Then([](wxDialog *dialog) {
            auto &d = dynamic_cast<H_Round &>(*dialog);
            EXPECT_EQ(d.TextCtrl1->GetValue(), "54.0000");
            EXPECT_EQ(d.TextCtrl2->GetValue(), "50.3039");
            EXPECT_EQ(d.Choice1->GetSelection(), 1);
            d.TextCtrl1->SetValue("60");
            return int(wxID_OK);
        });
        Press(panel->EditButton);
    }
    EXPECT_EQ(road_horizon(&road, 3)->radius, 60.0);
    EXPECT_DOUBLE_EQ(road_horizon(&road, 3)->length, 50.30392997) << "untouched length stays exact";
    EXPECT_EQ(road_horizon(&road, 2)->length, spiralLength);
    EXPECT_EQ(SelectedRow(), 3);
    ExpectListMatchesRoad(*panel, road);

    // The start point round-trips its azimuth through the d.mmss field.
    const double azimuth = road_horizon(&road, 0)->start_azimuth;
    SelectRow(0);
    {
        DialogScript script;
        script.Then([](wxDialog *dialog) {
            auto &d = dynamic_cast<H_StartPoint &>(*dialog);
            EXPECT_TRUE(d.TextCtrl4->GetValue().StartsWith("358.13")) << d.TextCtrl4->GetValue();
            d.TextCtrl3->SetValue("500");
            return int(wxID_OK);
        });
        Press(panel->EditButton);
    }
    EXPECT_EQ(road_horizon(&road, 0)->start_chainage, 500.0);
    EXPECT_EQ(road_horizon(&road, 0)->start_azimuth, azimuth);
    EXPECT_DOUBLE_EQ(road_horizon(&road, 5)->start_chainage, 500.0 + 179.14161859 - 22.44628361);
}

TEST_F(PanelTest, UpDownAndDeleteMoveWholeElements)
{
    test_roads::five_element_alignment(&road);
    panel->SetRoad(&road);
    SelectRow(1);
    Press(panel->UpButton);
    EXPECT_EQ(road_horizon(&road, 1)->type, HORIZON_LINE) << "row 1 cannot move up";
    SelectRow(0);
    Press(panel->DownButton);
    EXPECT_EQ(road_horizon(&road, 0)->type, HORIZON_START);
    SelectRow(5);
    Press(panel->DownButton);
    EXPECT_EQ(road_horizon(&road, 5)->type, HORIZON_LINE) << "the last row cannot move down";
    EXPECT_FALSE(panel->IsModified());

    // Swap the circle (row 3) with the spiral before it.
    SelectRow(3);
    Press(panel->UpButton);
    EXPECT_EQ(road_horizon(&road, 2)->type, HORIZON_CIRCLE);
    EXPECT_EQ(road_horizon(&road, 2)->radius, 54.0);
    EXPECT_DOUBLE_EQ(road_horizon(&road, 2)->length, 50.30392997);
    EXPECT_EQ(road_horizon(&road, 3)->type, HORIZON_TRANSITION);
    EXPECT_EQ(road_horizon(&road, 3)->end_radius, 54.0);
    EXPECT_EQ(road_horizon(&road, 3)->direction, 1);
    EXPECT_EQ(SelectedRow(), 2);
    EXPECT_TRUE(panel->IsModified());
    Press(panel->DownButton);
    EXPECT_EQ(road_horizon(&road, 2)->type, HORIZON_TRANSITION);
    EXPECT_EQ(road_horizon(&road, 3)->type, HORIZON_CIRCLE);
    EXPECT_EQ(SelectedRow(), 3);
    ExpectListMatchesRoad(*panel, road);

    DialogScript script;
    // Deleting the start point while elements follow is refused with a reason.
    SelectRow(0);
    Press(panel->DeleteButton);
    EXPECT_EQ(road_number_horizon(&road), 6);
    ASSERT_EQ(script.messages.size(), 1u);

    // "No" keeps the element.
    SelectRow(5);
    script.Then(nullptr);
    Press(panel->DeleteButton);
    EXPECT_EQ(road_number_horizon(&road), 6);
    // Deleting the last row selects the new last row.
    Press(panel->DeleteButton);
    EXPECT_EQ(road_number_horizon(&road), 5);
    EXPECT_EQ(SelectedRow(), 4);
    EXPECT_EQ(script.titles.back(), wxString::FromUTF8("平曲线要素"));
    // Deleting a middle row keeps the row index selected.
    SelectRow(2);
    Press(panel->DeleteButton);
    EXPECT_EQ(road_number_horizon(&road), 4);
    EXPECT_EQ(SelectedRow(), 2);
    EXPECT_EQ(road_horizon(&road, 2)->type, HORIZON_CIRCLE);
    ExpectListMatchesRoad(*panel, road);
    // Down to the start point alone, which may then go too.
    for (int row = 3; row >= 1; --row) {
        SelectRow(row);
        Press(panel->DeleteButton);
    }
    SelectRow(0);
    Press(panel->DeleteButton);
    EXPECT_EQ(road_number_horizon(&road), 0);
    EXPECT_FALSE(panel->LineButton->IsEnabled());
}

TEST_F(PanelTest, ConversionMatchesTheRoadLibrary)
{
    test_roads::five_element_alignment(&road);
    panel->SetRoad(&road);
    // Chainages on the straight, the spirals and the circle, both sides.
    for (const double chainage : {10.0, 50.0, 90.0, 110.0, 140.0, 170.0}) {
        for (const double offset : {-3.25, 0.0, 4.5}) {
            double x = 0, y = 0, azimuth = 0;
            road_lo2xy(&road, chainage, offset, &x, &y, &azimuth);
            panel->MileageText->SetValue(wxString::Format("%.3f", chainage));
            panel->OffsetText->SetValue(wxString::Format("%.3f", offset));
            Press(panel->ConvertButton);
            double north = 0, east = 0;
            ASSERT_TRUE(panel->NorthText->GetValue().ToCDouble(&north));
            ASSERT_TRUE(panel->EastText->GetValue().ToCDouble(&east));
            EXPECT_NEAR(north, x, 0.001) << chainage;
            EXPECT_NEAR(east, y, 0.001) << chainage;
            EXPECT_EQ(panel->DirectionText->GetValue(), FormatAngleText(azimuth));

            // And back: empty the chainage, keep the coordinates.
            panel->MileageText->SetValue("");
            panel->OffsetText->SetValue("");
            Press(panel->ConvertButton);
            double back = 0, side = 0;
            ASSERT_TRUE(panel->MileageText->GetValue().ToCDouble(&back));
            ASSERT_TRUE(panel->OffsetText->GetValue().ToCDouble(&side));
            EXPECT_NEAR(back, chainage, 0.001) << chainage;
            EXPECT_NEAR(side, offset, 0.001) << chainage << " " << offset;
            const double shown = ParseDmmss(FormatDmmss(panel->DirectionText->GetValue()));
            EXPECT_LT(std::fabs(shown - azimuth) * 180 / kPi * 3600, 1.0);
        }
    }
    DialogScript script;
    panel->MileageText->SetValue("");
    panel->NorthText->SetValue("0");
    panel->EastText->SetValue("0");
    Press(panel->ConvertButton);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0], wxString::FromUTF8("坐标输入有误！"));
    panel->MileageText->SetValue("K1+200");
    Press(panel->ConvertButton);
    EXPECT_EQ(script.messages.size(), 2u);

    // A road with only its start point has no centre line to convert on.
    road_t single;
    road_init(&single);
    test_roads::append(&single, test_roads::start_point(1, 2, 0, 0));
    road_apply_horizon(&single);
    panel->SetRoad(&single);
    panel->MileageText->SetValue("10");
    Press(panel->ConvertButton);
    EXPECT_EQ(script.messages.size(), 3u);
    panel->SetRoad(&road);
    road_final(&single);
}

// Under a German locale the list, the dialogs it prefills and the
// conversion fields all write a decimal point, so that what they show is read
// back unchanged.
TEST_F(PanelTest, EditAndConversionKeepTheirNumbersUnderADecimalCommaLocale)
{
    test_roads::five_element_alignment(&road);
    ToolkitDecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    panel->SetRoad(&road);
    EXPECT_EQ(Cell(1, HorizonPanel::COL_LENGTH), "36.3914");
    EXPECT_EQ(Cell(0, HorizonPanel::COL_NORTH), "41801.8340");

    const struct {
        int row;
        std::function<wxString(wxDialog *)> prefill;
        const char *shown;
    } edits[] = {
        {0, [](wxDialog *d) { return dynamic_cast<H_StartPoint &>(*d).TextCtrl1->GetValue(); }, "41801.8340"},
        {1, [](wxDialog *d) { return dynamic_cast<H_Line &>(*d).TextCtrl1->GetValue(); }, "36.3914"},
        {3, [](wxDialog *d) { return dynamic_cast<H_Round &>(*d).TextCtrl1->GetValue(); }, "54.0000"},
        {4, [](wxDialog *d) { return dynamic_cast<H_Moderate &>(*d).TextCtrl1->GetValue(); }, "54.0000"},
    };
    for (const auto &edit : edits) {
        const horizon_element_t before = *road_horizon(&road, edit.row);
        SelectRow(edit.row);
        DialogScript script;
        wxString prefill;
        script.Then([&](wxDialog *dialog) {
            prefill = edit.prefill(dialog);
            return int(wxID_OK);
        });
        Press(panel->EditButton);
        EXPECT_EQ(prefill, edit.shown) << "row " << edit.row;
        EXPECT_TRUE(script.messages.empty()) << "row " << edit.row << ": " << script.messages[0];
        EXPECT_EQ(road_horizon(&road, edit.row)->length, before.length) << "row " << edit.row;
        EXPECT_EQ(road_horizon(&road, edit.row)->start_x, before.start_x) << "row " << edit.row;
    }

    double x = 0, y = 0, azimuth = 0;
    road_lo2xy(&road, 50.5, -3.25, &x, &y, &azimuth);
    DialogScript script;
    panel->MileageText->SetValue("50.5");
    panel->OffsetText->SetValue("-3.25");
    Press(panel->ConvertButton);
    EXPECT_EQ(panel->NorthText->GetValue(), wxString(velmo::c_number_text(x, 4)));
    EXPECT_EQ(panel->EastText->GetValue(), wxString(velmo::c_number_text(y, 4)));
    panel->MileageText->SetValue("");
    panel->OffsetText->SetValue("");
    Press(panel->ConvertButton);
    EXPECT_TRUE(script.messages.empty()) << script.messages[0];
    EXPECT_EQ(panel->MileageText->GetValue(), "50.500");
    EXPECT_EQ(panel->OffsetText->GetValue(), "-3.250");
}

TEST_F(PanelTest, ImportRefusesAnElementOfUnknownKindNamingItsLineAndCode)
{
    test_roads::five_element_alignment(&road);
    panel->SetRoad(&road);
    const int before = road_number_horizon(&road);
    const std::string path = ::testing::TempDir() + "corvane_panel_" + std::to_string(getpid()) + "_unknown.pm";
    {
        std::ofstream file(path, std::ios::binary);
        file << "HINTCAD5.83_PM_SHUJU_PM\n3\tNULL\tNULL\t0.0000\n"
                "1\t0.000000\t0.300000\t0.000000\t100.000000\t200.000000\n";
        for (int code : {1, 5, 6})
            file << "-1\t0.0000\t20.000000\t0.000000\t9999.000000\t9999.000000\t" << code
                 << "\n1\t2\t3\t4\t5\t6\t7\t8\n0\t20\t\t0.3\t0.3\n";
    }
    DialogScript script;
    EXPECT_FALSE(panel->ImportCentreLine(wxString::FromUTF8(path.c_str()), 1));
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.titles[0], wxString::FromUTF8("错误"));
    EXPECT_TRUE(script.messages[0].Contains(wxString::FromUTF8("第 7 行的线元代码 5 不是已知的线元类型")))
        << script.messages[0];
    EXPECT_EQ(road_number_horizon(&road), before) << "the road is as it was";
    EXPECT_FALSE(panel->IsModified());
    std::remove(path.c_str());
}

TEST_F(PanelTest, ExportedRoadReadsBackWithTheSameElements)
{
    test_roads::five_element_alignment(&road);
    panel->SetRoad(&road);
    for (int kind = 0; kind < 2; ++kind) {
        const std::string path =
            ::testing::TempDir() + "corvane_panel_" + std::to_string(getpid()) + (kind ? "_weidi.pm" : "_haidi.pm");
        std::remove(path.c_str());
        DialogScript script;
        EXPECT_TRUE(panel->ExportCentreLine(wxString::FromUTF8(path.c_str()), kind));
        ASSERT_EQ(script.messages.size(), 1u);
        EXPECT_EQ(script.messages[0], wxString::FromUTF8("导出成功!"));

        wxCommandEvent none;
        road_t copy;
        road_init(&copy);
        test_roads::append(&copy, test_roads::start_point(0, 0, 0, 0));
        road_apply_horizon(&copy);
        panel->SetRoad(&copy);
        EXPECT_TRUE(panel->ImportCentreLine(wxString::FromUTF8(path.c_str()), kind));
        ASSERT_EQ(script.messages.size(), 2u);
        EXPECT_EQ(script.messages[1], wxString::FromUTF8("导入成功!"));
        EXPECT_TRUE(panel->IsModified());
        ASSERT_EQ(road_number_horizon(&copy), 6);
        for (int i = 0; i < 6; ++i) {
            const horizon_element_t *a = road_horizon(&road, i), *b = road_horizon(&copy, i);
            EXPECT_EQ(a->type, b->type) << i;
            EXPECT_NEAR(a->length, b->length, 1e-4) << i;
            EXPECT_NEAR(a->radius, b->radius, 1e-4) << i;
            EXPECT_NEAR(a->end_x, b->end_x, 0.01) << i;
            EXPECT_NEAR(a->end_y, b->end_y, 0.01) << i;
            EXPECT_EQ(a->direction, b->direction) << i;
        }
        EXPECT_EQ(panel->ElementList->GetItemCount(), 6);

        // Cancelling the file dialog does nothing.
        panel->OnImport(none);
        EXPECT_EQ(script.unanswered, 1);
        // A file that is not a centre line is refused and the road stays.
        EXPECT_FALSE(panel->ImportCentreLine("/proc/version", kind));
        ASSERT_EQ(script.messages.size(), 3u);
        EXPECT_EQ(script.titles[2], wxString::FromUTF8("错误"));
        // A path the road library cannot take is refused before it is tried.
        EXPECT_FALSE(panel->ImportCentreLine("/tmp/" + wxString('a', 1100) + ".pm", kind));
        EXPECT_FALSE(panel->ExportCentreLine("/nonexistent-folder/x.pm", kind));
        EXPECT_EQ(script.messages.size(), 5u);
        EXPECT_EQ(road_number_horizon(&copy), 6);
        panel->SetRoad(&road);
        road_final(&copy);
        std::remove(path.c_str());
    }
}
