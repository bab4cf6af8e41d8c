// The floating section tool window against a frame with a current section:
// what its sliders, text boxes and buttons send, and what SetValues shows.
// Needs a display (Xvfb).
#include "SectionViewTestSupport.h"

#include "SectionConfigDialog.h"
#include "SectionToolDialog.h"
#include "toolkit_decimal_comma_locale.h"

#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

using namespace sectionview;

namespace {

class ToolWindowTest : public SectionViewTest
{
protected:
    void SetUp() override
    {
        SectionViewTest::SetUp();
        if (!frame)
            return;
        section = Latitude(0);
        MakeCurrent(section);
        tool = frame->GetSectionTool();
        ASSERT_TRUE(tool);
    }

    wxSlider *Slider(long id) const { return dynamic_cast<wxSlider *>(tool->FindWindow(id)); }
    wxTextCtrl *Text(long id) const { return dynamic_cast<wxTextCtrl *>(tool->FindWindow(id)); }

    // The slider moved to a position, as a drag step (end false) or the end
    // of a scroll (end true).
    void Slide(long id, int position, bool end)
    {
        wxSlider *slider = Slider(id);
        slider->SetValue(position);
        if (end) {
            wxScrollEvent event(wxEVT_SCROLL_CHANGED, int(id), position);
            event.SetEventObject(slider);
            slider->GetEventHandler()->ProcessEvent(event);
        } else {
            wxCommandEvent event(wxEVT_SLIDER, int(id));
            event.SetInt(position);
            event.SetEventObject(slider);
            slider->GetEventHandler()->ProcessEvent(event);
        }
    }

    void Enter(long id, const wxString &text)
    {
        wxTextCtrl *box = Text(id);
        box->ChangeValue(text);
        wxCommandEvent event(wxEVT_TEXT_ENTER, int(id));
        event.SetEventObject(box);
        event.SetString(text);
        box->GetEventHandler()->ProcessEvent(event);
    }

    void Press(long id)
    {
        wxCommandEvent event(wxEVT_BUTTON, int(id));
        event.SetEventObject(tool->FindWindow(id));
        tool->FindWindow(id)->GetEventHandler()->ProcessEvent(event);
    }

    double Width() const { return section->width_range[1] - section->width_range[0]; }
    double Thickness() const { return section->normal_range[1] - section->normal_range[0]; }

    section_t *section = nullptr;
    SectionToolDialog *tool = nullptr;
};

} // namespace

TEST_F(ToolWindowTest, SetValuesShowsTruncatedPositionsAndRoundedTextsWithoutCallingTheFrame)
{
    tool->SetValues(1.0, 40.0, 2.0f);
    EXPECT_EQ(10, Slider(SectionToolDialog::ID_SLIDER2)->GetValue());
    EXPECT_EQ(40, Slider(SectionToolDialog::ID_SLIDER3)->GetValue());
    EXPECT_EQ(20, Slider(SectionToolDialog::ID_SLIDER1)->GetValue());
    EXPECT_EQ("1.0", Text(SectionToolDialog::ID_TEXTCTRL2)->GetValue());
    EXPECT_EQ("40", Text(SectionToolDialog::ID_TEXTCTRL3)->GetValue());
    EXPECT_EQ("2.0", Text(SectionToolDialog::ID_TEXTCTRL1)->GetValue());
    tool->SetValues(0.39, 12.7, 3.0f);
    EXPECT_EQ(3, Slider(SectionToolDialog::ID_SLIDER2)->GetValue());
    EXPECT_EQ("0.4", Text(SectionToolDialog::ID_TEXTCTRL2)->GetValue());
    EXPECT_EQ(12, Slider(SectionToolDialog::ID_SLIDER3)->GetValue());
    EXPECT_FALSE(frame->IsTaskRunning());
    EXPECT_EQ(2.0f, frame->GetPointSize());
    EXPECT_DOUBLE_EQ(40.0, Width());
}

TEST_F(ToolWindowTest, SlidersSendTheirValuesAndAChangeDuringATaskIsComputedWhenItEnds)
{
    Slide(SectionToolDialog::ID_SLIDER1, 25, false);
    EXPECT_EQ("2.5", Text(SectionToolDialog::ID_TEXTCTRL1)->GetValue());
    EXPECT_EQ(2.5f, frame->GetPointSize());

    Slide(SectionToolDialog::ID_SLIDER2, 15, false);
    ASSERT_TRUE(frame->IsTaskRunning());
    // A drag step while the recomputation runs is what the section ends
    // with, as the window shows ...
    Slide(SectionToolDialog::ID_SLIDER2, 18, false);
    EXPECT_EQ("1.8", Text(SectionToolDialog::ID_TEXTCTRL2)->GetValue());
    // ... and so is a value typed meanwhile.
    Enter(SectionToolDialog::ID_TEXTCTRL3, "12");
    EXPECT_EQ(12, Slider(SectionToolDialog::ID_SLIDER3)->GetValue());
    ASSERT_TRUE(WaitForTasks());
    EXPECT_NEAR(1.8, Thickness(), 1e-9);
    EXPECT_DOUBLE_EQ(12.0, Width());

    Slide(SectionToolDialog::ID_SLIDER3, 30, true);
    EXPECT_EQ("30", Text(SectionToolDialog::ID_TEXTCTRL3)->GetValue());
    ASSERT_TRUE(WaitForTasks());
    EXPECT_DOUBLE_EQ(30.0, Width());
}

// A slider at its left end sends its smallest step, never 0: a point size of
// 0 is an error to OpenGL, a width of 0 an empty section.
TEST_F(ToolWindowTest, SlidersStopAtTheirSmallestStep)
{
    for (long id : {SectionToolDialog::ID_SLIDER1, SectionToolDialog::ID_SLIDER2, SectionToolDialog::ID_SLIDER3}) {
        Slide(id, 0, false);
        Slide(id, 0, true);
        ASSERT_TRUE(WaitForTasks());
    }
    EXPECT_FLOAT_EQ(0.1f, frame->GetPointSize());
    EXPECT_NEAR(0.1, Thickness(), 1e-9);
    EXPECT_DOUBLE_EQ(1.0, Width());
    EXPECT_EQ("0.1", Text(SectionToolDialog::ID_TEXTCTRL1)->GetValue());
    EXPECT_EQ("1", Text(SectionToolDialog::ID_TEXTCTRL3)->GetValue());
}

// A box takes one number, all of it, within its range; anything else is
// refused with a message and the box shows the value in force again.
TEST_F(ToolWindowTest, TextBoxesTakeOneWholeNumberWithinTheirRange)
{
    const long point = SectionToolDialog::ID_TEXTCTRL1;
    const long buffer = SectionToolDialog::ID_TEXTCTRL2;
    const long width = SectionToolDialog::ID_TEXTCTRL3;
    const struct {
        long box;
        const char *text;
    } refused[] = {
        {buffer, "inf"},  {buffer, "1e39"}, {buffer, "1e30"}, {buffer, "nan"},    {buffer, "2.5m"},
        {buffer, "abc"},  {buffer, ""},     {buffer, "0"},    {buffer, "-3"},     {buffer, "0.05"},
        {buffer, "1001"}, {width, "1e30"},  {width, "0.5"},   {width, "1000.5"},  {width, "10,5"},
        {point, "0"},     {point, "0.05"},  {point, "25"},    {point, "inf"},
    };
    for (const auto &entry : refused) {
        DialogAnswerer answers(wxID_OK);
        Enter(entry.box, entry.text);
        EXPECT_EQ(1u, answers.shown.size()) << entry.text;
        EXPECT_FALSE(frame->IsTaskRunning()) << entry.text;
    }
    EXPECT_EQ("1.0", Text(buffer)->GetValue());
    EXPECT_EQ("40", Text(width)->GetValue());
    EXPECT_EQ("2.0", Text(point)->GetValue());
    EXPECT_DOUBLE_EQ(1.0, Thickness());
    EXPECT_DOUBLE_EQ(40.0, Width());
    EXPECT_EQ(2.0f, frame->GetPointSize());

    Enter(buffer, " 2.5 ");
    EXPECT_EQ(25, Slider(SectionToolDialog::ID_SLIDER2)->GetValue());
    ASSERT_TRUE(WaitForTasks());
    EXPECT_NEAR(2.5, Thickness(), 1e-9);
    Enter(width, "1000");
    EXPECT_EQ(100, Slider(SectionToolDialog::ID_SLIDER3)->GetValue());
    ASSERT_TRUE(WaitForTasks());
    EXPECT_DOUBLE_EQ(1000.0, Width());
    Enter(point, "20");
    EXPECT_EQ(20.0f, frame->GetPointSize());
    EXPECT_EQ(100, Slider(SectionToolDialog::ID_SLIDER1)->GetValue());
}

// Under a German locale a box takes a decimal point as everywhere else, and
// its message gives the range as it is to be typed.
TEST_F(ToolWindowTest, TextBoxesTakeAndNameNumbersWithAPointUnderADecimalCommaLocale)
{
    ToolkitDecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    const struct {
        long box;
        const char *range;
    } boxes[] = {
        {SectionToolDialog::ID_TEXTCTRL1, "from 0.1 to 20 pixels"},
        {SectionToolDialog::ID_TEXTCTRL2, "from 0.1 to 1000 m"},
    };
    for (const auto &b : boxes) {
        DialogAnswerer answers(wxID_OK);
        Enter(b.box, "0,5");
        ASSERT_EQ(1u, answers.shown.size()) << b.range;
        EXPECT_NE(wxNOT_FOUND, answers.shown[0].message.Find(b.range)) << answers.shown[0].message;
    }
    Enter(SectionToolDialog::ID_TEXTCTRL1, "2.5");
    EXPECT_EQ(2.5f, frame->GetPointSize());
}

TEST_F(ToolWindowTest, ButtonsSwitchTheFramesModes)
{
    Press(SectionToolDialog::ID_BITMAPBUTTON4);
    EXPECT_EQ(SECTION_MEASURE_POINT, frame->GetSectionMode());
    Press(SectionToolDialog::ID_BITMAPBUTTON5);
    EXPECT_EQ(SECTION_DELETE_POINT, frame->GetSectionMode());
    Press(SectionToolDialog::ID_BITMAPBUTTON6);
    EXPECT_EQ(SECTION_IDLE, frame->GetSectionMode());
    Press(SectionToolDialog::ID_BITMAPBUTTON6);
    EXPECT_EQ(SECTION_IDLE, frame->GetSectionMode());

    Press(SectionToolDialog::ID_BITMAPBUTTON8);
    ASSERT_EQ(SECTION_MEASURE_DISTANCE, frame->GetSectionMode());
    LeftClick(MouseAt(*PointNearU(section, 0.0f)));
    ASSERT_EQ(1u, frame->GetDistancePoints().size());
    // Pressing it again in the same mode starts a new distance.
    Press(SectionToolDialog::ID_BITMAPBUTTON8);
    EXPECT_TRUE(frame->GetDistancePoints().empty());

    // The DXF buttons ask for a file; cancelled here.
    script->asked.clear();
    Press(SectionToolDialog::ID_BITMAPBUTTON3);
    Press(SectionToolDialog::ID_BITMAPBUTTON7);
    ASSERT_EQ(2u, script->asked.size());
    EXPECT_EQ("Select DXF file to import.", script->asked[0].message);
    EXPECT_EQ("Select file to export.", script->asked[1].message);
}

TEST_F(ToolWindowTest, TheConfigurationWindowSendsTheSameValuesWithLabels)
{
    auto *config = new SectionConfigDialog(frame, frame);
    config->SetValues(1.0, 40.0, 2.0f);
    auto slider = [config](long id) { return dynamic_cast<wxSlider *>(config->FindWindow(id)); };
    auto label = [config](long id) { return dynamic_cast<wxStaticText *>(config->FindWindow(id))->GetLabel(); };
    EXPECT_EQ(10, slider(SectionConfigDialog::ID_SLIDER2)->GetValue());
    EXPECT_EQ(40, slider(SectionConfigDialog::ID_SLIDER3)->GetValue());
    EXPECT_EQ(20, slider(SectionConfigDialog::ID_SLIDER1)->GetValue());
    EXPECT_EQ("40", label(SectionConfigDialog::ID_STATICTEXT6));
    EXPECT_FALSE(frame->IsTaskRunning());

    slider(SectionConfigDialog::ID_SLIDER2)->SetValue(15);
    wxScrollEvent end(wxEVT_SCROLL_CHANGED, int(SectionConfigDialog::ID_SLIDER2), 15);
    end.SetEventObject(slider(SectionConfigDialog::ID_SLIDER2));
    config->GetEventHandler()->ProcessEvent(end);
    EXPECT_EQ("1.5", label(SectionConfigDialog::ID_STATICTEXT5));
    ASSERT_TRUE(WaitForTasks());
    EXPECT_NEAR(1.5, Thickness(), 1e-9);
    config->Destroy();
}

// Under a window manager the strip keeps its old size until the manager
// grants the new one, so whatever the strip is laid out at in between is
// drawn: no shown control may be squeezed below its smallest size then.
TEST_F(ToolWindowTest, EachFormIsLaidOutAtTheSizeTheStripIsAboutToGet)
{
    const wxSize rooms[] = {{1500, 120}, {600, 200}, {300, 160}, {1500, 120}, {240, 400}, {900, 90}, {1500, 120}};
    wxSize now = tool->GetSize();
    for (const wxSize &room : rooms) {
        SCOPED_TRACE(testing::Message() << "from " << now.x << "x" << now.y << " to " << room.x << "x" << room.y);
        const wxSize needed = tool->FitToSize(room);
        ASSERT_LE(needed.y, room.y);
        ASSERT_LE(needed.x, room.x);
        for (wxWindow *child : tool->GetChildren()) {
            if (!child->IsShown())
                continue;
            const wxSize least = child->GetEffectiveMinSize();
            EXPECT_GE(child->GetSize().x, least.x) << child->GetName();
            EXPECT_GE(child->GetSize().y, least.y) << child->GetName();
        }
        now = wxSize(room.x, needed.y);
        tool->SetSize(now);
    }
}
