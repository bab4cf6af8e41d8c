#include "StatusView.h"
#include "TaskTestSupport.h"
#include "wxRibbonFlag.h"

#include "AppResources.h"

#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/ribbon/bar.h>
#include <wx/ribbon/page.h>
#include <wx/sizer.h>

#include <memory>

using namespace tasktest;

namespace {

// A frame holding one status panel at the bottom, shown.
class StatusFrame
{
public:
    StatusFrame()
    {
        frame_ = new wxFrame(nullptr, wxID_ANY, "status", wxPoint(20, 20), wxSize(600, 300));
        view_ = new StatusView(frame_, wxID_ANY, wxPoint(50, 50), wxSize(10, 10), 0, "ignored");
        auto *sizer = new wxBoxSizer(wxVERTICAL);
        sizer->AddStretchSpacer();
        view_->SetMinSize(wxSize(-1, 24));
        sizer->Add(view_, 0, wxEXPAND);
        frame_->SetSizer(sizer);
        frame_->Show();
        frame_->Layout();
        PumpUntil([this] { return view_->IsShownOnScreen() && view_->GetClientSize().GetWidth() > 100; }, 5000);
    }
    ~StatusFrame()
    {
        if (view_->HasCapture())
            view_->ReleaseMouse();
        frame_->Destroy();
        PumpUntil([] { return false; }, 20);
    }
    StatusView *view() const { return view_; }
    wxFrame *frame() const { return frame_; }

    // Sends a mouse event at (x, y); whether the panel let it go on.
    bool Mouse(wxEventType type, int x, int y)
    {
        wxMouseEvent event(type);
        event.SetEventObject(view_);
        event.SetPosition(wxPoint(x, y));
        event.m_leftDown = type == wxEVT_LEFT_DOWN;
        event.SetId(view_->GetId());
        view_->GetEventHandler()->ProcessEvent(event);
        return event.GetSkipped();
    }
    int Width() const { return view_->GetClientSize().GetWidth(); }
    int Height() const { return view_->GetClientSize().GetHeight(); }

private:
    wxFrame *frame_;
    StatusView *view_;
};

wxImage Painted(const StatusView *view, const wxSize &size)
{
    wxBitmap bitmap(size);
    {
        wxMemoryDC dc(bitmap);
        view->Draw(dc, size);
    }
    return bitmap.ConvertToImage();
}

int Grey(const wxImage &image, int x, int y)
{
    return image.GetGreen(x, y);
}

class StatusViewTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TOOLKIT_STARTED(); }
};

} // namespace

TEST_F(StatusViewTest, StartsEmptyWithItsOwnNameAndPlace)
{
    StatusFrame f;
    EXPECT_EQ(f.view()->GetName(), "id");
    for (int i = 0; i < 3; i++)
        EXPECT_TRUE(f.view()->GetStatusText(i).empty());
    EXPECT_EQ(f.view()->GetProgressFraction(), 0.0);
    EXPECT_TRUE(f.view()->GetProgressLabel().empty());
    EXPECT_FALSE(f.view()->IsDragging());
    EXPECT_EQ(f.view()->GetGripState(), StatusView::GRIP_NORMAL);
}

TEST_F(StatusViewTest, ProgressLabelIsTheMessageWithItsPercent)
{
    StatusFrame f;
    StatusView *view = f.view();
    view->SetProgress(50, "Importing project...");
    EXPECT_EQ(view->GetProgressLabel(), "Importing project...[50%]");
    EXPECT_DOUBLE_EQ(view->GetProgressFraction(), 0.5);

    for (int percent = 0; percent <= 100; percent++) {
        view->SetProgress(percent, "step");
        ASSERT_EQ(view->GetProgressPercent(), percent);
        ASSERT_EQ(view->GetProgressLabel(), wxString::Format("step[%d%%]", percent))
            << "29 / 100.0 x 100 is 28.999...";
    }

    view->SetProgress(0, "");
    EXPECT_TRUE(view->GetProgressLabel().empty());
    view->SetProgress(70, "");
    EXPECT_TRUE(view->GetProgressLabel().empty()) << "no message, no label";
    view->SetProgress(250, "over");
    EXPECT_EQ(view->GetProgressPercent(), 100);
    view->SetProgress(-4, "under");
    EXPECT_EQ(view->GetProgressPercent(), 0);
}

TEST_F(StatusViewTest, TextsGoToTheirIndexAndOtherIndexesAreRefused)
{
    StatusFrame f;
    StatusView *view = f.view();
    view->SetStatusText(0, "X: 500012.345 Y: 4000020.100 Z: 101.250");
    view->SetStatusText(1, "Distance: 3.500");
    view->SetStatusText(2, "K0+020");
    view->SetStatusText(3, "lost");
    view->SetStatusText(-1, "lost");
    EXPECT_EQ(view->GetStatusText(0), "X: 500012.345 Y: 4000020.100 Z: 101.250");
    EXPECT_EQ(view->GetStatusText(1), "Distance: 3.500");
    EXPECT_EQ(view->GetStatusText(2), "K0+020");
    EXPECT_TRUE(view->GetStatusText(3).empty());
}

// A message longer than its column, such as one naming a path, takes the
// width the texts leave free, and the texts stay whole beside it; a short
// message keeps the fixed columns.
TEST_F(StatusViewTest, ALongMessageTakesTheFreeWidthAndTheTextsStayWhole)
{
    StatusFrame f;
    StatusView *view = f.view();
    const wxSize size(1400, 24);
    const wxString path = "Slicing finished: 8 pieces written to /home/surveyor/data/corridor north/ as "
                          "corridor_X_Y_Z.las.";
    const wxFont font(10, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false,
                      wxString::FromUTF8("微软雅黑"));
    const auto width = [&](const wxString &text) {
        int w = 0;
        view->GetTextExtent(text, &w, nullptr, nullptr, nullptr, &font);
        return w;
    };
    view->SetStatusText(0, "500012.35,4000020.10,101.25");
    view->SetStatusText(2, "L K0+020");

    view->ShowMessage("Ready.");
    EXPECT_EQ(view->MessageArea(size).width, 1400 / 5 - 32);
    EXPECT_EQ(view->TextArea(0, size).x, 1400 / 5 + 4);

    view->ShowMessage(path);
    EXPECT_GE(view->MessageArea(size).width, width(path));
    for (int i : {0, 2}) {
        const wxRect text = view->TextArea(i, size);
        EXPECT_GE(text.x, view->MessageArea(size).GetRight()) << i;
        EXPECT_GE(text.width, width(view->GetStatusText(i))) << i;
        EXPECT_LE(text.GetRight(), 1400 - 19) << i << ": clear of the grip";
    }
}

TEST_F(StatusViewTest, PaintsTheBarTheColumnsAndTheGrip)
{
    StatusFrame f;
    StatusView *view = f.view();
    const wxSize size(500, 24);
    const int c1 = 100; // w / 5; the bar area is c1 - 32 = 68 wide

    wxImage empty = Painted(view, size);
    EXPECT_EQ(Grey(empty, 20, 3), 0x40) << "no bar at 0 %";
    EXPECT_EQ(Grey(empty, c1, 12), 0xcc) << "column line";
    EXPECT_EQ(Grey(empty, 300, 12), 0xcc) << "column line at c3";
    EXPECT_EQ(Grey(empty, 400, 12), 0xcc) << "column line at c4";
    EXPECT_EQ(Grey(empty, 500 - 8, 24 - 8), 0xa0) << "grip dot";
    EXPECT_EQ(Grey(empty, 500 - 8, 24 - 20), 0xa0) << "top grip dot";
    EXPECT_EQ(Grey(empty, 500 - 20, 24 - 8), 0xa0) << "bottom-left grip dot";
    EXPECT_EQ(Grey(empty, 500 - 20, 24 - 20), 0x40) << "no dot in the grip's empty corner";

    view->SetProgress(50, "");
    wxImage half = Painted(view, size);
    EXPECT_GT(Grey(half, 20, 3), 0x40) << "the bar lightens the background";
    EXPECT_LT(Grey(half, 20, 3), 100);
    EXPECT_EQ(Grey(half, 40, 3), 0x40) << "half of 68 pixels";
}

TEST_F(StatusViewTest, GripDragsFromItsCornerOnlyAndKeepsItsCursorState)
{
    StatusFrame f;
    std::vector<wxSize> grown;
    f.view()->SetGrowHandler([&](int dx, int dy) { grown.push_back(wxSize(dx, dy)); });
    const int w = f.Width(), h = f.Height();

    EXPECT_TRUE(f.Mouse(wxEVT_LEFT_DOWN, w - 25, h - 5));
    EXPECT_FALSE(f.view()->IsDragging()) << "a press outside the corner starts nothing";
    EXPECT_TRUE(f.Mouse(wxEVT_LEFT_UP, w - 25, h - 5));

    EXPECT_FALSE(f.Mouse(wxEVT_MOTION, w - 30, h - 5)) << "motion is not passed on";
    EXPECT_EQ(f.view()->GetGripState(), StatusView::GRIP_NORMAL);
    f.Mouse(wxEVT_MOTION, w - 10, h - 10);
    EXPECT_EQ(f.view()->GetGripState(), StatusView::GRIP_RESIZE);

    EXPECT_TRUE(f.Mouse(wxEVT_LEFT_DOWN, w - 10, h - 10));
    EXPECT_TRUE(f.view()->IsDragging());
    f.Mouse(wxEVT_MOTION, w - 4, h - 7);
    f.Mouse(wxEVT_MOTION, w - 6, h - 1);
    ASSERT_EQ(grown.size(), 2u);
    EXPECT_EQ(grown[0], wxSize(6, 3)) << "movement since the previous event";
    EXPECT_EQ(grown[1], wxSize(-2, 6));

    EXPECT_TRUE(f.Mouse(wxEVT_LEFT_UP, w - 6, h - 1));
    EXPECT_FALSE(f.view()->IsDragging());
    EXPECT_FALSE(f.view()->HasCapture());
    EXPECT_EQ(f.view()->GetGripState(), StatusView::GRIP_RESIZE) << "press and release keep the grip state";
    f.Mouse(wxEVT_MOTION, w - 8, h - 8);
    EXPECT_EQ(f.view()->GetGripState(), StatusView::GRIP_RESIZE);
    EXPECT_EQ(grown.size(), 2u) << "no growing after the release";
    f.Mouse(wxEVT_MOTION, w - 20, h - 8);
    EXPECT_EQ(f.view()->GetGripState(), StatusView::GRIP_RESIZE) << "leaving needs x < w - 20";
    f.Mouse(wxEVT_MOTION, w - 21, h - 8);
    EXPECT_EQ(f.view()->GetGripState(), StatusView::GRIP_NORMAL);
}

TEST_F(StatusViewTest, WithoutAHandlerTheDragGrowsTheWindow)
{
    StatusFrame f;
    const wxSize before = f.frame()->GetSize();
    const int w = f.Width(), h = f.Height();
    f.Mouse(wxEVT_LEFT_DOWN, w - 5, h - 5);
    f.Mouse(wxEVT_MOTION, w + 15, h + 5);
    f.Mouse(wxEVT_LEFT_UP, w + 15, h + 5);
    EXPECT_EQ(f.frame()->GetSize(), before + wxSize(20, 10));
}

TEST_F(StatusViewTest, LosingTheMouseEndsTheDrag)
{
    StatusFrame f;
    int calls = 0;
    f.view()->SetGrowHandler([&](int, int) { calls++; });
    const int w = f.Width(), h = f.Height();
    f.Mouse(wxEVT_LEFT_DOWN, w - 5, h - 5);
    ASSERT_TRUE(f.view()->IsDragging());
    if (f.view()->HasCapture())
        f.view()->ReleaseMouse();
    wxMouseCaptureLostEvent lost(f.view()->GetId());
    lost.SetEventObject(f.view());
    f.view()->GetEventHandler()->ProcessEvent(lost);
    EXPECT_FALSE(f.view()->IsDragging());
    f.Mouse(wxEVT_MOTION, w + 10, h + 10);
    EXPECT_EQ(calls, 0);
}

namespace {

// A ribbon with one page holding the logo panel, shown.
class RibbonFrame
{
public:
    RibbonFrame()
    {
        frame_ = new wxFrame(nullptr, wxID_ANY, "ribbon", wxPoint(20, 20), wxSize(800, 200));
        bar_ = new wxRibbonBar(frame_, wxID_ANY);
        auto *page = new wxRibbonPage(bar_, wxID_ANY, "Home");
        flag_ = new wxRibbonFlag(page, wxID_ANY, "Corvane");
        flag_->SetMinSize(wxSize(300, 90));
        bar_->Realize();
        auto *sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(bar_, 1, wxEXPAND);
        frame_->SetSizer(sizer);
        frame_->Show();
        frame_->Layout();
        PumpUntil([this] { return flag_->IsShownOnScreen() && flag_->GetClientSize().GetWidth() > 50; }, 5000);
    }
    ~RibbonFrame()
    {
        frame_->Destroy();
        PumpUntil([] { return false; }, 20);
    }
    wxRibbonFlag *flag() const { return flag_; }

    wxImage Painted() const
    {
        const wxSize size = flag_->GetSize();
        wxBitmap bitmap(size);
        {
            wxMemoryDC dc(bitmap);
            flag_->Draw(dc, size);
        }
        return bitmap.ConvertToImage();
    }

private:
    wxFrame *frame_;
    wxRibbonBar *bar_;
    wxRibbonFlag *flag_;
};

bool IsRed(const wxImage &image, int x, int y)
{
    return image.GetRed(x, y) > 240 && image.GetGreen(x, y) < 20 && image.GetBlue(x, y) < 20;
}

int RedPixels(const wxImage &image)
{
    int count = 0;
    for (int y = 0; y < image.GetHeight(); y++)
        for (int x = 0; x < image.GetWidth(); x++)
            count += IsRed(image, x, y);
    return count;
}

} // namespace

TEST_F(StatusViewTest, RibbonLogoSitsTenPixelsFromTheRightEdgeCentredInHeight)
{
    TempDir folder;
    wxImage red(24, 12);
    red.SetRGB(wxRect(0, 0, 24, 12), 255, 0, 0);
    wxInitAllImageHandlers();
    ASSERT_TRUE(red.SaveFile(folder.file("logo.png"), wxBITMAP_TYPE_PNG));

    RibbonFrame r;
    EXPECT_EQ(r.flag()->GetLogo().IsOk(), wxFileExists(AppResourcePath("icons//logo.png")))
        << "the logo comes from the resource folder when it is there";
    ASSERT_TRUE(r.flag()->LoadLogo(folder.file("logo.png")));
    wxImage painted = r.Painted();
    const wxSize client = r.flag()->GetClientSize();
    const int left = client.GetWidth() - 24 - 10, top = (client.GetHeight() - 12) / 2;
    EXPECT_TRUE(IsRed(painted, left, top));
    EXPECT_TRUE(IsRed(painted, left + 23, top + 11));
    EXPECT_FALSE(IsRed(painted, left - 1, top));
    EXPECT_FALSE(IsRed(painted, left + 24, top));
    EXPECT_EQ(RedPixels(painted), 24 * 12);
}

TEST_F(StatusViewTest, RibbonWithoutItsLogoPaintsItsBackgroundOnly)
{
    TempDir folder;
    RibbonFrame r;
    EXPECT_FALSE(r.flag()->LoadLogo(folder.file("missing.png")));
    EXPECT_FALSE(r.flag()->GetLogo().IsOk());
    write_bytes(folder.file("broken.png"), "not an image");
    EXPECT_FALSE(r.flag()->LoadLogo(folder.file("broken.png")));
    wxImage painted = r.Painted();
    EXPECT_EQ(RedPixels(painted), 0);
    EXPECT_TRUE(r.flag()->Layout());
}
