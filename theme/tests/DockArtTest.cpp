// The dark dock art: inverted greys, captions that shorten with "...", pane
// buttons over their highlight square, grippers and borders.
#include "ThemeTestSupport.h"
#include "dockart_metric.h"

#include <wx/aui/auibook.h>
#include <wx/frame.h>
#include <wx/settings.h>

#include <memory>

using themetest::Distance;
using themetest::FilledBitmap;
using themetest::PixelAt;

namespace {

wxColour Inverse(const wxColour &c)
{
    return wxColour(255 - c.Red(), 255 - c.Green(), 255 - c.Blue());
}

class ProbeDockArt : public wxAuiMetricDockArt
{
public:
    wxColour Gripper1() const { return m_gripperPen1.GetColour(); }
    wxColour Gripper2() const { return m_gripperPen2.GetColour(); }
    wxColour Gripper3() const { return m_gripperPen3.GetColour(); }
    const wxBitmap &InactiveClose() const { return m_inactiveCloseBitmap; }
    const wxBitmap &ActiveRestore() const { return m_activeRestoreBitmap; }
};

class DockArt : public themetest::ToolkitTest
{
protected:
    // Draws with `draw` on a fresh bitmap of the given size, pre-filled red.
    template <typename Draw> wxBitmap Paint(int w, int h, Draw draw)
    {
        wxBitmap bitmap = FilledBitmap(w, h, *wxRED);
        wxMemoryDC dc(bitmap);
        draw(dc);
        dc.SelectObject(wxNullBitmap);
        return bitmap;
    }

    // Pixels of `colour` in a region.
    static int Count(const wxBitmap &bitmap, const wxRect &area, const wxColour &colour, int tolerance = 0)
    {
        const wxImage image = bitmap.ConvertToImage();
        int n = 0;
        for (int y = area.y; y < area.y + area.height; ++y)
            for (int x = area.x; x < area.x + area.width; ++x)
                if (Distance(wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)), colour) <=
                    tolerance)
                    ++n;
        return n;
    }
};

} // namespace

TEST_F(DockArt, DefaultsAreTheInvertedGreysAndSystemCaptionColours)
{
    wxAuiMetricDockArt art;
    EXPECT_EQ(art.GetColour(wxAUI_DOCKART_BACKGROUND_COLOUR), wxColour(63, 63, 63));
    EXPECT_EQ(art.GetColour(wxAUI_DOCKART_SASH_COLOUR), wxColour(63, 63, 63));
    EXPECT_EQ(art.GetColour(wxAUI_DOCKART_GRIPPER_COLOUR), wxColour(63, 63, 63));
    EXPECT_EQ(art.GetColour(wxAUI_DOCKART_BORDER_COLOUR), wxColour(111, 111, 111));
    EXPECT_EQ(art.GetColour(wxAUI_DOCKART_INACTIVE_CAPTION_COLOUR), wxColour(92, 92, 92));
    EXPECT_EQ(art.GetColour(wxAUI_DOCKART_INACTIVE_CAPTION_GRADIENT_COLOUR), wxColour(69, 69, 69));
    EXPECT_EQ(art.GetColour(wxAUI_DOCKART_INACTIVE_CAPTION_TEXT_COLOUR), *wxWHITE);
    const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    EXPECT_EQ(art.GetColour(wxAUI_DOCKART_ACTIVE_CAPTION_COLOUR), Inverse(highlight));
    EXPECT_EQ(art.GetColour(wxAUI_DOCKART_ACTIVE_CAPTION_TEXT_COLOUR),
              Inverse(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT)));

    const int metrics[][2] = {{wxAUI_DOCKART_PANE_BORDER_SIZE, 1}, {wxAUI_DOCKART_CAPTION_SIZE, 17},
                              {wxAUI_DOCKART_SASH_SIZE, 4},        {wxAUI_DOCKART_PANE_BUTTON_SIZE, 14},
                              {wxAUI_DOCKART_GRIPPER_SIZE, 9},     {wxAUI_DOCKART_GRADIENT_TYPE, 1}};
    for (const auto &m : metrics) {
        EXPECT_EQ(art.GetMetric(m[0]), m[1]);
        art.SetMetric(m[0], m[1] + 5);
        EXPECT_EQ(art.GetMetric(m[0]), m[1] + 5);
    }
    EXPECT_EQ(art.GetFont(wxAUI_DOCKART_CAPTION_FONT).GetPointSize(), 8);

    // Captions stay readable in both states.
    EXPECT_GE(themetest::ContrastRatio(*wxWHITE, wxColour(92, 92, 92)), 4.5);
    EXPECT_GE(themetest::ContrastRatio(art.GetColour(wxAUI_DOCKART_ACTIVE_CAPTION_TEXT_COLOUR),
                                       art.GetColour(wxAUI_DOCKART_ACTIVE_CAPTION_COLOUR)),
              4.5);
}

TEST_F(DockArt, SettersChangeOnlyWhatTheyName)
{
    themetest::AssertRecorder recorder;
    ProbeDockArt art;
    wxFont big = *wxNORMAL_FONT;
    big.SetPointSize(15);
    art.SetFont(wxAUI_DOCKART_SASH_SIZE, big);
    EXPECT_EQ(art.GetFont(wxAUI_DOCKART_CAPTION_FONT).GetPointSize(), 8);
    EXPECT_FALSE(art.GetFont(wxAUI_DOCKART_SASH_SIZE).IsOk());
    art.SetFont(wxAUI_DOCKART_CAPTION_FONT, big);
    EXPECT_EQ(art.GetFont(wxAUI_DOCKART_CAPTION_FONT).GetPointSize(), 15);

    // The gripper colour moves gripper pens 1 and 2, not inverted; 3 stays white.
    const wxColour gripper(100, 150, 200);
    art.SetColour(wxAUI_DOCKART_GRIPPER_COLOUR, gripper);
    EXPECT_EQ(art.GetColour(wxAUI_DOCKART_GRIPPER_COLOUR), gripper);
    EXPECT_EQ(art.Gripper1(), gripper.ChangeLightness(40));
    EXPECT_EQ(art.Gripper2(), gripper.ChangeLightness(60));
    EXPECT_EQ(art.Gripper3(), *wxWHITE);

    // A new caption text colour reaches the pane buttons.
    art.SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_TEXT_COLOUR, wxColour(0, 200, 0));
    const wxBitmap close = art.InactiveClose();
    EXPECT_EQ(PixelAt(close, 4, 4), wxColour(0, 200, 0));
    EXPECT_TRUE(close.GetMask() != nullptr);

    EXPECT_EQ(art.GetMetric(999), 0);
    art.SetMetric(999, 3);
    EXPECT_FALSE(art.GetColour(999).IsOk());
    ASSERT_EQ(themetest::AssertRecorder::Messages().size(), 3u);
    EXPECT_EQ(themetest::AssertRecorder::Messages()[0], "Invalid Metric Ordinal");

    std::unique_ptr<wxAuiDockArt> copy(art.Clone());
    EXPECT_EQ(copy->GetColour(wxAUI_DOCKART_GRIPPER_COLOUR), gripper);
    EXPECT_EQ(copy->GetFont(wxAUI_DOCKART_CAPTION_FONT).GetPointSize(), 15);
    EXPECT_NE(dynamic_cast<wxAuiMetricDockArt *>(copy.get()), nullptr);
}

TEST_F(DockArt, BitmapFromBitsDrawsZeroBitsInTheColour)
{
    // Row 0: the leftmost pixel drawn (bit 0 clear), the rest transparent.
    unsigned char bits[32];
    std::fill(bits, bits + 32, 0xFF);
    bits[0] = 0xFE;
    const wxBitmap bitmap = BitmapFromBits(bits, 16, 16, wxColour(10, 20, 30));
    ASSERT_TRUE(bitmap.IsOk());
    EXPECT_EQ(PixelAt(bitmap, 0, 0), wxColour(10, 20, 30));
    const wxImage image = bitmap.ConvertToImage();
    ASSERT_TRUE(image.HasMask());
    EXPECT_EQ(PixelAt(bitmap, 1, 0), wxColour(image.GetMaskRed(), image.GetMaskGreen(), image.GetMaskBlue()));
}

TEST_F(DockArt, LongCaptionsEndInDotsAfterTheLongestFittingPrefix)
{
    wxBitmap scratch(10, 10);
    wxMemoryDC dc(scratch);
    dc.SetFont(*wxNORMAL_FONT);
    const wxString text = "Section properties of the road";
    const int full = dc.GetTextExtent(text).x;
    EXPECT_EQ(ChopText(dc, text, full), text);

    const wxString chopped = ChopText(dc, text, full / 2);
    ASSERT_TRUE(chopped.EndsWith("..."));
    const wxString prefix = chopped.Left(chopped.Length() - 3);
    EXPECT_TRUE(text.StartsWith(prefix));
    EXPECT_LE(dc.GetTextExtent(chopped).x, full / 2);
    EXPECT_GT(dc.GetTextExtent(text.Left(prefix.Length() + 1) + "...").x, full / 2);

    EXPECT_EQ(ChopText(dc, text, 1), "...");
}

TEST_F(DockArt, CaptionsArePaintedDarkWithLightText)
{
    wxAuiMetricDockArt art;
    wxAuiPaneInfo pane;
    pane.Caption("Properties").CloseButton(true).MaximizeButton(true);
    const wxBitmap bitmap = Paint(200, 17, [&](wxDC &dc) {
        art.DrawCaption(dc, nullptr, "Properties", wxRect(0, 0, 200, 17), pane);
    });
    // A vertical gradient from the inactive caption colour to its end.
    EXPECT_EQ(PixelAt(bitmap, 150, 0), wxColour(92, 92, 92));
    EXPECT_EQ(PixelAt(bitmap, 150, 16), wxColour(69, 69, 69));
    EXPECT_GT(Count(bitmap, wxRect(3, 0, 80, 17), *wxWHITE, 40), 10);
    // The text is clipped before the room of the two buttons.
    EXPECT_EQ(Count(bitmap, wxRect(200 - 5 - 28, 0, 33, 17), *wxWHITE, 40), 0);

    art.SetMetric(wxAUI_DOCKART_GRADIENT_TYPE, wxAUI_GRADIENT_NONE);
    const wxBitmap flat = Paint(60, 17, [&](wxDC &dc) {
        art.DrawCaption(dc, nullptr, "", wxRect(0, 0, 60, 17), pane);
    });
    EXPECT_EQ(PixelAt(flat, 30, 0), PixelAt(flat, 30, 16));

    art.SetMetric(wxAUI_DOCKART_GRADIENT_TYPE, wxAUI_GRADIENT_HORIZONTAL);
    const wxBitmap across = Paint(60, 17, [&](wxDC &dc) {
        art.DrawCaption(dc, nullptr, "", wxRect(0, 0, 60, 17), pane);
    });
    EXPECT_EQ(PixelAt(across, 0, 8), wxColour(92, 92, 92));
    EXPECT_EQ(PixelAt(across, 59, 8), wxColour(69, 69, 69));
}

TEST_F(DockArt, PaneButtonsShowHoverAndPressedSquares)
{
    ProbeDockArt art;
    wxAuiPaneInfo pane;
    pane.Caption("Model").MaximizeButton(true);
    const wxColour square = wxColour(92, 92, 92).ChangeLightness(120);
    auto draw = [&](int button, int state) {
        return Paint(20, 20, [&](wxDC &dc) {
            dc.SetBackground(wxBrush(wxColour(0, 0, 255)));
            dc.Clear();
            art.DrawPaneButton(dc, nullptr, button, state, wxRect(0, 0, 16, 20), pane);
        });
    };
    const wxBitmap normal = draw(wxAUI_BUTTON_CLOSE, wxAUI_BUTTON_STATE_NORMAL);
    EXPECT_EQ(Count(normal, wxRect(0, 0, 20, 20), square), 0);
    const wxBitmap hover = draw(wxAUI_BUTTON_CLOSE, wxAUI_BUTTON_STATE_HOVER);
    EXPECT_EQ(PixelAt(hover, 1, 3), square);                       // square at (0, 2)
    EXPECT_LE(Distance(PixelAt(hover, 0, 2), wxColour(92, 92, 92).ChangeLightness(70)), 6); // its outline
    const wxBitmap pressed = draw(wxAUI_BUTTON_CLOSE, wxAUI_BUTTON_STATE_PRESSED);
    EXPECT_EQ(PixelAt(pressed, 0, 2), wxColour(0, 0, 255));        // moved right and down
    EXPECT_LE(Distance(PixelAt(pressed, 1, 3), wxColour(92, 92, 92).ChangeLightness(70)), 6);

    // A maximised, active pane shows the restore picture in its active colour.
    pane.SetFlag(wxAuiPaneInfo::optionMaximized, true);
    pane.SetFlag(wxAuiPaneInfo::optionActive, true);
    const wxBitmap restore = draw(wxAUI_BUTTON_MAXIMIZE_RESTORE, wxAUI_BUTTON_STATE_NORMAL);
    const wxBitmap expected = Paint(20, 20, [&](wxDC &dc) {
        dc.SetBackground(wxBrush(wxColour(0, 0, 255)));
        dc.Clear();
        dc.DrawBitmap(art.ActiveRestore(), 0, 2, true);
    });
    EXPECT_TRUE(restore.ConvertToImage().GetData() != nullptr);
    EXPECT_EQ(0, memcmp(restore.ConvertToImage().GetData(), expected.ConvertToImage().GetData(), 20 * 20 * 3));
}

TEST_F(DockArt, GrippersBordersSashesAndBackground)
{
    ProbeDockArt art;
    wxAuiPaneInfo pane;
    const wxBitmap side = Paint(9, 30, [&](wxDC &dc) { art.DrawGripper(dc, nullptr, wxRect(0, 0, 9, 30), pane); });
    EXPECT_EQ(PixelAt(side, 3, 5), art.Gripper1());
    EXPECT_EQ(PixelAt(side, 4, 5), art.Gripper2());
    EXPECT_EQ(PixelAt(side, 5, 6), *wxWHITE);
    EXPECT_EQ(PixelAt(side, 3, 25), art.Gripper1()); // 5, 9, ... while below 30 - 4
    EXPECT_EQ(PixelAt(side, 3, 23), wxColour(63, 63, 63));
    const wxBitmap shortSide =
        Paint(9, 6, [&](wxDC &dc) { art.DrawGripper(dc, nullptr, wxRect(0, 0, 9, 6), pane); });
    EXPECT_EQ(PixelAt(shortSide, 3, 5), art.Gripper1()); // the first dot always
    pane.GripperTop(true);
    const wxBitmap top = Paint(30, 9, [&](wxDC &dc) { art.DrawGripper(dc, nullptr, wxRect(0, 0, 30, 9), pane); });
    EXPECT_EQ(PixelAt(top, 5, 3), art.Gripper1());
    EXPECT_EQ(PixelAt(top, 5, 4), art.Gripper2());

    wxAuiPaneInfo toolbar;
    toolbar.ToolbarPane();
    const wxBitmap raised = Paint(20, 20, [&](wxDC &dc) { art.DrawBorder(dc, nullptr, wxRect(0, 0, 20, 20), toolbar); });
    EXPECT_EQ(PixelAt(raised, 10, 0), *wxWHITE);
    EXPECT_EQ(PixelAt(raised, 0, 10), *wxWHITE);
    EXPECT_EQ(PixelAt(raised, 10, 19), wxColour(111, 111, 111));
    EXPECT_EQ(PixelAt(raised, 19, 10), wxColour(111, 111, 111));

    wxAuiPaneInfo plain;
    art.SetMetric(wxAUI_DOCKART_PANE_BORDER_SIZE, 2);
    const wxBitmap framed = Paint(20, 20, [&](wxDC &dc) { art.DrawBorder(dc, nullptr, wxRect(0, 0, 20, 20), plain); });
    EXPECT_EQ(PixelAt(framed, 10, 1), wxColour(111, 111, 111));
    EXPECT_EQ(PixelAt(framed, 10, 2), *wxRED);

    const wxBitmap sash = Paint(4, 10, [&](wxDC &dc) { art.DrawSash(dc, nullptr, wxVERTICAL, wxRect(0, 0, 4, 10)); });
    EXPECT_EQ(PixelAt(sash, 2, 5), wxColour(63, 63, 63));
    const wxBitmap back =
        Paint(10, 10, [&](wxDC &dc) { art.DrawBackground(dc, nullptr, wxVERTICAL, wxRect(0, 0, 10, 10)); });
    EXPECT_EQ(PixelAt(back, 5, 5), wxColour(63, 63, 63));
}

TEST_F(DockArt, NotebookPanesTakeTheirBorderFromTheTabArt)
{
    wxFrame *frame = new wxFrame(nullptr, wxID_ANY, "book");
    wxAuiNotebook *book = new wxAuiNotebook(frame);
    wxAuiMetricDockArt art;
    art.SetMetric(wxAUI_DOCKART_PANE_BORDER_SIZE, 3);
    wxAuiPaneInfo pane;
    // The notebook's tab art draws one ring (it has no manager to ask); a
    // plain pane would get three.
    const wxBitmap bitmap = Paint(20, 20, [&](wxDC &dc) { art.DrawBorder(dc, book, wxRect(0, 0, 20, 20), pane); });
    EXPECT_EQ(PixelAt(bitmap, 10, 0), wxColour(111, 111, 111));
    EXPECT_EQ(PixelAt(bitmap, 10, 1), *wxRED);
    frame->Destroy();
    PumpEventsFor(10);
}
