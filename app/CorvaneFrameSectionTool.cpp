// Where the section tool strip lies: always inside the section view, 4
// pixels in from its top-left corner and as wide as the view allows.  The
// strip is a window of its own on the screen, so nothing moves it with the
// view; the frame places it after each change it hears of and checks it on
// idle for the changes it does not hear of (a frame moved by the window
// manager, a pane floated, docked or dragged).
#include "CorvaneFrame.h"

#include "OSGCanvas.h"
#include "SectionToolDialog.h"

#include <algorithm>

namespace {

const int STRIP_INSET = 4;

} // namespace

wxRect CorvaneFrame::SectionToolArea() const
{
    if (!m_sectionCanvas || !m_sectionCanvas->IsShownOnScreen())
        return wxRect();
    wxRect view(m_sectionCanvas->GetScreenPosition(), m_sectionCanvas->GetClientSize());
    const wxRect area = view.Deflate(STRIP_INSET);
    return area.width > 0 && area.height > 0 ? area : wxRect();
}

void CorvaneFrame::PlaceSectionTool()
{
    if (!m_sectionTool)
        return;
    const wxRect area = SectionToolArea();
    m_sectionToolArea = area;
    const wxSize needed = m_sectionToolWanted && !area.IsEmpty() ? m_sectionTool->FitToSize(area.GetSize()) : wxSize();
    // A view too small for even the most compact strip (a pane being docked,
    // a frame dragged very small) shows no strip rather than one with its
    // controls crushed; it comes back once the view has room for it.
    if (!m_sectionToolWanted || area.IsEmpty() || needed.x > area.width || needed.y > area.height) {
        if (m_sectionTool->IsShown())
            m_sectionTool->Hide();
        return;
    }
    const wxRect strip(area.GetTopLeft(), wxSize(area.width, needed.y));
    if (m_sectionTool->GetRect() != strip)
        m_sectionTool->SetSize(strip);
    if (!m_sectionTool->IsShown()) {
        m_sectionTool->Show();
        // A floating section pane is a window of its own; the strip goes
        // over it, not under.
        m_sectionTool->Raise();
    }
}

void CorvaneFrame::FollowSectionCanvas()
{
    if (m_sectionTool && m_sectionToolWanted && SectionToolArea() != m_sectionToolArea)
        PlaceSectionTool();
}
