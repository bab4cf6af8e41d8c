// A canvas alone in a shown frame of a known client size, with the toolkit
// started once per test binary.
#pragma once

#include "MyCanvas.h"
#include "canvas_test_app.h"

#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/sizer.h>

#include <vector>

class CanvasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
        frame = new wxFrame(nullptr, wxID_ANY, "canvas");
        canvas = new MyCanvas(frame, wxID_ANY);
        auto *sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(canvas, 1, wxEXPAND);
        frame->SetSizer(sizer);
        frame->SetClientSize(440, 240);
        frame->Show();
        ASSERT_TRUE(WaitUntilShown(canvas));
        PumpEventsUntil([this] { return canvas->GetClientSize() == wxSize(440, 240); }, 2000);
        auto record = [this](wxCommandEvent &event) {
            EXPECT_EQ(event.GetId(), 0);
            received.push_back(event.GetEventType());
        };
        frame->Bind(EVT_MYCANVAS_POLYLINE_SELECTED, record);
        frame->Bind(EVT_MYCANVAS_POLYGON_SELECTED, record);
        frame->Bind(EVT_MYCANVAS_SYMBOL_SELECTED, record);
    }
    void TearDown() override
    {
        if (frame)
            frame->Destroy();
        PumpEventsFor(20);
    }

    // Mouse input straight to the canvas's handlers, as the toolkit would
    // deliver it.
    void Mouse(wxEventType type, int x, int y, int wheel = 0)
    {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(x, y));
        event.m_wheelRotation = wheel;
        event.m_wheelDelta = 120;
        event.SetEventObject(canvas);
        canvas->GetEventHandler()->ProcessEvent(event);
    }
    void Click(int x, int y)
    {
        Mouse(wxEVT_LEFT_DOWN, x, y);
        Mouse(wxEVT_LEFT_UP, x, y);
    }
    void Drag(int x0, int y0, int x1, int y1)
    {
        Mouse(wxEVT_LEFT_DOWN, x0, y0);
        Mouse(wxEVT_MOTION, (x0 + x1) / 2, (y0 + y1) / 2);
        Mouse(wxEVT_MOTION, x1, y1);
        Mouse(wxEVT_LEFT_UP, x1, y1);
    }
    // Delivers the queued selection events.
    void DeliverEvents() { PumpEventsFor(30); }

    wxFrame *frame = nullptr;
    MyCanvas *canvas = nullptr;
    std::vector<wxEventType> received;
};

inline std::vector<int> ToStd(const wxVector<int> &v)
{
    return std::vector<int>(v.begin(), v.end());
}
