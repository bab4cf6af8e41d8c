// The notebook tab art on a real notebook: tab shapes and sizes, row
// buttons, the fixed tab width, and the page drop-down with its capture.
#include "ThemeTestSupport.h"
#include "art_metric.h"
#include "dockart_metric.h"

#include <wx/aui/framemanager.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <memory>

using themetest::Distance;
using themetest::FilledBitmap;
using themetest::PixelAt;

namespace {

class TabArt : public themetest::ToolkitTest
{
protected:
    void SetUp() override
    {
        themetest::ToolkitTest::SetUp();
        if (HasFatalFailure())
            return;
        frame = new wxFrame(nullptr, wxID_ANY, "tabs", wxPoint(50, 50), wxSize(500, 300));
        book = new wxAuiNotebook(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                 wxAUI_NB_DEFAULT_STYLE | wxAUI_NB_WINDOWLIST_BUTTON);
        art = new MetricTabArtProvider;
        book->SetArtProvider(art);
        for (const char *caption : {"Plan", "Profile", "Sections"})
            book->AddPage(new wxPanel(book), caption);
        frame->Show();
        WaitUntilShown(book);
        PumpEventsFor(50);
    }

    void TearDown() override
    {
        if (frame)
            frame->Destroy();
        PumpEventsFor(20);
    }

    wxAuiNotebookPage Page(const wxString &caption, bool active)
    {
        wxAuiNotebookPage page;
        page.window = book->GetPage(0);
        page.caption = caption;
        page.active = active;
        page.hover = false;
        return page;
    }

    // How many pixels of a region are dark (text strokes).
    static int DarkPixels(const wxBitmap &bitmap, const wxRect &area)
    {
        const wxImage image = bitmap.ConvertToImage();
        int n = 0;
        for (int y = area.y; y < area.y + area.height; ++y)
            for (int x = area.x; x < area.x + area.width; ++x)
                if (image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 200)
                    ++n;
        return n;
    }

    wxFrame *frame = nullptr;
    wxAuiNotebook *book = nullptr;
    MetricTabArtProvider *art = nullptr;
};

} // namespace

TEST_F(TabArt, NotebookPaintsWithItAndSizesItsTabRowFromIt)
{
    EXPECT_EQ(book->GetArtProvider(), art);
    book->Refresh();
    book->Update();
    PumpEventsFor(50);
    EXPECT_EQ(book->GetTabCtrlHeight(), art->GetBestTabCtrlSize(book, wxAuiNotebookPageArray(), wxSize(16, 16)));

    wxMemoryDC mdc;
    wxFont bold = *wxNORMAL_FONT;
    bold.SetWeight(wxFONTWEIGHT_BOLD);
    mdc.SetFont(bold);
    const wxSize text = mdc.GetTextExtent("ABCDEFGHIj");
    EXPECT_EQ(art->GetBestTabCtrlSize(book, wxAuiNotebookPageArray(), wxSize(16, 16)), text.y + 4 + 3);
}

TEST_F(TabArt, SelectedAndNormalTabsHaveReadableLabelsOnTheirFills)
{
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_3DFACE);
    for (bool active : {true, false}) {
        wxBitmap bitmap = FilledBitmap(160, 30, *wxRED);
        wxRect tabRect, buttonRect;
        int extent = 0;
        {
            wxMemoryDC dc(bitmap);
            art->DrawTab(dc, book, Page("Profile", active), wxRect(0, 0, 160, 30), wxAUI_BUTTON_STATE_HIDDEN,
                         &tabRect, &buttonRect, &extent);
        }
        const wxColour fill = active ? *wxWHITE : face;
        EXPECT_EQ(tabRect.GetBottom(), 29);
        EXPECT_EQ(tabRect.x, 0);
        EXPECT_LE(Distance(PixelAt(bitmap, tabRect.GetRight() - 3, tabRect.GetBottom() - 2), fill), 1) << active;
        EXPECT_GT(DarkPixels(bitmap, wxRect(tabRect.height, tabRect.y + 2, tabRect.width - tabRect.height,
                                            tabRect.height - 4)),
                  10)
            << "label shows on the " << (active ? "selected" : "normal") << " tab";
        EXPECT_EQ(PixelAt(bitmap, 159, 0), *wxRED); // nothing beyond the tab
        EXPECT_EQ(extent, tabRect.width - tabRect.height / 2 - 1);
    }

    // Text colours of its own can still be chosen, as can the fills.
    art->SetActiveColour(wxColour(30, 30, 30));
    art->SetSelectedTextColour(*wxWHITE);
    art->SetColour(wxColour(50, 50, 50));
    art->SetNormalTextColour(wxColour(220, 220, 220));
    wxBitmap dark = FilledBitmap(160, 30, *wxRED);
    {
        wxMemoryDC dc(dark);
        art->DrawTab(dc, book, Page("Profile", true), wxRect(0, 0, 160, 30), wxAUI_BUTTON_STATE_HIDDEN, nullptr,
                     nullptr, nullptr);
    }
    EXPECT_EQ(PixelAt(dark, 30, 28), wxColour(30, 30, 30));
}

TEST_F(TabArt, TabSizesAndTheFixedWidth)
{
    wxMemoryDC dc;
    wxFont bold = *wxNORMAL_FONT;
    bold.SetWeight(wxFONTWEIGHT_BOLD);
    dc.SetFont(bold);
    const wxSize text = dc.GetTextExtent("Sections");
    int extent = 0;
    const wxSize hidden =
        art->GetTabSize(dc, book, "Sections", wxBitmapBundle(), false, wxAUI_BUTTON_STATE_HIDDEN, &extent);
    EXPECT_EQ(hidden, wxSize(text.x + text.y + 4 + 5, text.y + 4));
    const wxSize withClose =
        art->GetTabSize(dc, book, "Sections", wxBitmapBundle(), false, wxAUI_BUTTON_STATE_NORMAL, &extent);
    EXPECT_EQ(withClose.x, hidden.x + 16);

    art->SetFlags(wxAUI_NB_TAB_FIXED_WIDTH);
    auto fixedWidth = [&] {
        return art->GetTabSize(dc, book, "Sections", wxBitmapBundle(), false, wxAUI_BUTTON_STATE_HIDDEN, nullptr).x;
    };
    art->SetSizingInfo(wxSize(1000, 20), 2);
    EXPECT_EQ(fixedWidth(), 220);
    art->SetSizingInfo(wxSize(1000, 20), 0);
    EXPECT_EQ(fixedWidth(), 100);
    art->SetSizingInfo(wxSize(150, 20), 0);
    EXPECT_EQ(fixedWidth(), 73); // half of the usable 146
    art->SetSizingInfo(wxSize(700, 20), 4);
    EXPECT_EQ(fixedWidth(), 174);
    art->SetFlags(wxAUI_NB_TAB_FIXED_WIDTH | wxAUI_NB_CLOSE_BUTTON | wxAUI_NB_WINDOWLIST_BUTTON);
    art->SetSizingInfo(wxSize(700, 20), 4);
    EXPECT_EQ(fixedWidth(), (700 - 4 - 32) / 4);

    std::unique_ptr<wxAuiTabArt> copy(art->Clone());
    EXPECT_NE(dynamic_cast<MetricTabArtProvider *>(copy.get()), nullptr);
    EXPECT_EQ(copy->GetTabSize(dc, book, "Sections", wxBitmapBundle(), false, wxAUI_BUTTON_STATE_HIDDEN, nullptr).x,
              (700 - 4 - 32) / 4);
    EXPECT_EQ(art->GetIndentSize(), 0);
    EXPECT_EQ(art->GetAdditionalBorderSpace(book), 0);
}

TEST_F(TabArt, CloseAndRowButtonsSitWhereTheToolkitLooksForThem)
{
    wxBitmap bitmap = FilledBitmap(160, 30, *wxRED);
    wxRect tabRect, buttonRect;
    {
        wxMemoryDC dc(bitmap);
        art->DrawTab(dc, book, Page("Plan", true), wxRect(0, 0, 160, 30), wxAUI_BUTTON_STATE_PRESSED, &tabRect,
                     &buttonRect, nullptr);
    }
    EXPECT_EQ(buttonRect.x, tabRect.x + tabRect.width - 16 - 1);
    EXPECT_EQ(buttonRect.width, 16);
    // Pressed: a highlight square shifted one pixel right and down.
    EXPECT_EQ(PixelAt(bitmap, buttonRect.x + 2, buttonRect.y + 2), wxColour(*wxWHITE).ChangeLightness(120));

    wxBitmap row = FilledBitmap(100, 20, *wxBLUE);
    wxRect out(1, 2, 3, 4);
    {
        wxMemoryDC dc(row);
        art->DrawButton(dc, book, wxRect(0, 0, 100, 20), wxAUI_BUTTON_WINDOWLIST, wxAUI_BUTTON_STATE_DISABLED,
                        wxRIGHT, &out);
    }
    EXPECT_EQ(out, wxRect(84, 2, 16, 16));
    EXPECT_EQ(PixelAt(row, 84 + 5, 2 + 6), wxColour(128, 128, 128)); // the disabled bar
    {
        wxMemoryDC dc(row);
        art->DrawButton(dc, book, wxRect(0, 0, 100, 20), wxAUI_BUTTON_LEFT, wxAUI_BUTTON_STATE_NORMAL, wxLEFT, &out);
    }
    EXPECT_EQ(out, wxRect(0, 2, 16, 16));
    EXPECT_EQ(PixelAt(row, 6, 2 + 7), *wxBLACK);
    const wxRect before = out;
    {
        wxMemoryDC dc(row);
        art->DrawButton(dc, book, wxRect(0, 0, 100, 20), wxAUI_BUTTON_PIN, wxAUI_BUTTON_STATE_NORMAL, wxLEFT, &out);
    }
    EXPECT_EQ(out, before);

    // The background is the flat base colour with a grey base line.
    wxBitmap back = FilledBitmap(50, 20, *wxRED);
    {
        wxMemoryDC dc(back);
        art->DrawBackground(dc, book, wxRect(0, 0, 50, 20));
    }
    EXPECT_EQ(PixelAt(back, 25, 5), wxSystemSettings::GetColour(wxSYS_COLOUR_3DFACE));
    EXPECT_EQ(PixelAt(back, 25, 19), wxGREY_PEN->GetColour());
}

TEST_F(TabArt, BorderWidthComesFromTheManagersDockArt)
{
    wxPanel *loose = new wxPanel(frame);
    EXPECT_EQ(art->GetBorderWidth(loose), 1);

    // A notebook lays out its tab rows with a manager of its own.
    wxAuiManager *manager = wxAuiManager::GetManager(book);
    ASSERT_NE(manager, nullptr);
    wxAuiMetricDockArt *dock = new wxAuiMetricDockArt;
    dock->SetMetric(wxAUI_DOCKART_PANE_BORDER_SIZE, 3);
    manager->SetArtProvider(dock);
    EXPECT_EQ(art->GetBorderWidth(book), 3);

    wxBitmap bitmap = FilledBitmap(20, 20, *wxRED);
    {
        wxMemoryDC dc(bitmap);
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        art->DrawBorder(dc, book, wxRect(0, 0, 20, 20));
    }
    EXPECT_EQ(PixelAt(bitmap, 10, 2), *wxBLACK);
    EXPECT_EQ(PixelAt(bitmap, 10, 3), *wxRED);
}

TEST_F(TabArt, CommandCaptureKeepsMenuChoicesAndPassesOtherEvents)
{
    wxAuiCommandCapture capture;
    wxEvtHandler next;
    int seen = 0;
    next.Bind(wxEVT_BUTTON, [&seen](wxCommandEvent &) { ++seen; });
    wxCommandEvent menu(wxEVT_MENU, 1004);
    EXPECT_TRUE(capture.ProcessEvent(menu));
    EXPECT_EQ(capture.GetCommandId(), 1004);
    wxCommandEvent button(wxEVT_BUTTON, 7);
    EXPECT_FALSE(capture.ProcessEvent(button)); // no next handler yet
    capture.SetNextHandler(&next);
    EXPECT_TRUE(capture.ProcessEvent(button));
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(capture.GetCommandId(), 1004);
    capture.SetNextHandler(nullptr);
}

TEST_F(TabArt, PageDropDownReturnsTheChosenPageOrNone)
{
    wxAuiNotebookPageArray pages;
    for (const char *caption : {"Plan", "Profile", "Sections"})
        pages.Add(Page(caption, false));

    // The menu is modal: the keys are typed from a timer while it is open.
    auto chooseWith = [&](std::vector<int> keys) {
        wxTimer timer;
        timer.Bind(wxEVT_TIMER, [keys](wxTimerEvent &) {
            wxUIActionSimulator sim;
            for (int key : keys) {
                sim.Char(key);
                wxMilliSleep(50);
            }
        });
        timer.StartOnce(400);
        return art->ShowDropDown(book, pages, 0);
    };
    wxEvtHandler *const handler = book->GetEventHandler();
    EXPECT_EQ(chooseWith({WXK_DOWN, WXK_DOWN, WXK_DOWN, WXK_RETURN}), 2);
    PumpEventsFor(100);
    EXPECT_EQ(chooseWith({WXK_ESCAPE}), -1);
    PumpEventsFor(100);
    // The capture handler is gone again.
    EXPECT_EQ(book->GetEventHandler(), handler);
}
