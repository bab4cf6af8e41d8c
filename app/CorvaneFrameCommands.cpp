// The frame's commands: the ribbon's buttons, the update offer, and the mouse
// and keys of the two views.  A command whose work is not built yet does
// nothing; mouse and key events always go on to the canvas, which hands them
// to the view's camera.
#include "CorvaneFrame.h"

#include "UpdateVersionEvent.h"

#include <wx/ribbon/buttonbar.h>

void CorvaneFrame::OnOpenProject(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnCreateProject(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnImportLasFile(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnRoadElements(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnGenerateLatitudeSections(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnGenerateLongitudeSections(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnImportRoad(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnExportRoad(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnCreateVerticalSection(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnCreateHorizontalSection(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnExportSections(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnAbout(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnManual(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnSliceLas(wxRibbonButtonBarEvent &)
{
}

void CorvaneFrame::OnUpdateVersion(UpdateVersionEvent &)
{
}

// ---- Views -------------------------------------------------------------------------

void CorvaneFrame::OnModelDoubleClick(wxMouseEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnModelMotion(wxMouseEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnSectionLeftDown(wxMouseEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnSectionLeftUp(wxMouseEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnSectionRightDown(wxMouseEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnSectionRightUp(wxMouseEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnSectionMotion(wxMouseEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnSectionKeyDown(wxKeyEvent &event)
{
    event.Skip();
}
