// Ribbon button clicks sent the way the toolkit sends them: by the button bar
// that holds the button, with that bar as the event's object, passed up
// through its parents to the frame.
#pragma once

#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>

inline wxRibbonButtonBar *RibbonButtonBarHolding(wxWindow *window, int id)
{
    if (auto *bar = dynamic_cast<wxRibbonButtonBar *>(window))
        if (bar->GetItemById(id))
            return bar;
    for (wxWindow *child : window->GetChildren())
        if (wxRibbonButtonBar *bar = RibbonButtonBarHolding(child, id))
            return bar;
    return nullptr;
}

// False when no bar of the ribbon holds the button or no handler took the
// click.
inline bool ClickRibbonButton(wxRibbonBar *ribbon, long id, wxEventType type = wxEVT_RIBBONBUTTONBAR_CLICKED)
{
    wxRibbonButtonBar *bar = RibbonButtonBarHolding(ribbon, int(id));
    if (!bar)
        return false;
    wxRibbonButtonBarEvent click(type, int(id), bar, bar->GetItemById(int(id)));
    click.SetEventObject(bar);
    return bar->ProcessWindowEvent(click);
}
