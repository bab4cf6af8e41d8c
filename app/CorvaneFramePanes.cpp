// The look of the workspace tree and the property grid, and the handlers that
// keep the panes and the section tool window in step.
#include "CorvaneFrame.h"

#include "AppResources.h"

#include <wx/dataview.h>
#include <wx/image.h>
#include <wx/imaglist.h>
#include <wx/propgrid/propgrid.h>
#include <wx/treelist.h>

#include <algorithm>

namespace {

// In the order of the tree's image indices: sections not current without and
// with measurements, the current section without and with, and a spare.
const char *const TREE_ICONS[] = {"icons/unselected.png", "icons/selected.png", "icons/red_unselected.png",
                                  "icons/red_selected.png", "icons/disable.png"};

wxBitmap TreeBitmap(const char *file)
{
    const wxBitmap bitmap = AppLoadBitmap(file);
    if (bitmap.IsOk() && bitmap.GetWidth() == 16 && bitmap.GetHeight() == 16)
        return bitmap;
    if (bitmap.IsOk())
        return wxBitmap(bitmap.ConvertToImage().Rescale(16, 16, wxIMAGE_QUALITY_HIGH));
    // A missing icon keeps its slot, so that later indices stay right.
    wxImage blank(16, 16);
    blank.InitAlpha();
    std::fill(blank.GetAlpha(), blank.GetAlpha() + 16 * 16, static_cast<unsigned char>(0));
    return wxBitmap(blank);
}

} // namespace

void CorvaneFrame::InitWorkspaceTree()
{
    const wxColour background(64, 64, 64);
    const wxColour foreground(196, 196, 196);
    m_workspaceTree->SetBackgroundColour(background);
    m_workspaceTree->SetForegroundColour(foreground);
    // The rows are drawn by the inner view, which does not inherit colours.
    if (wxWindow *view = m_workspaceTree->GetDataView()) {
        view->SetBackgroundColour(background);
        view->SetForegroundColour(foreground);
    }
    m_workspaceTree->AppendColumn(_("Workspace"), wxCOL_WIDTH_AUTOSIZE, wxALIGN_LEFT, wxCOL_RESIZABLE);

    auto *images = new wxImageList(16, 16, true);
    for (const char *file : TREE_ICONS)
        images->Add(TreeBitmap(file));
    m_workspaceTree->AssignImageList(images);

    m_workspaceTree->Bind(wxEVT_TREELIST_ITEM_CHECKED, &CorvaneFrame::OnTreeItemChecked, this);
    m_workspaceTree->Bind(wxEVT_TREELIST_SELECTION_CHANGED, &CorvaneFrame::OnTreeSelectionChanged, this);
    m_workspaceTree->Bind(wxEVT_TREELIST_ITEM_CONTEXT_MENU, &CorvaneFrame::OnTreeContextMenu, this);
}

void CorvaneFrame::InitPropertyGrid()
{
    m_propertyGrid->SetForegroundColour(wxColour(192, 192, 192));
    m_propertyGrid->SetBackgroundColour(wxColour(64, 64, 64));
    m_propertyGrid->SetEmptySpaceColour(wxColour(64, 64, 64));
    m_propertyGrid->SetCaptionBackgroundColour(wxColour(48, 48, 48));
    m_propertyGrid->SetCaptionTextColour(wxColour(208, 208, 208));
    m_propertyGrid->SetCellBackgroundColour(wxColour(64, 64, 64));
    m_propertyGrid->SetCellTextColour(wxColour(192, 192, 192));
    m_propertyGrid->SetSelectionBackgroundColour(wxColour(96, 96, 96));
    m_propertyGrid->SetSelectionTextColour(wxColour(160, 160, 160));
    // Labels take a third of the width, values two thirds.
    m_propertyGrid->SetColumnProportion(0, 1);
    m_propertyGrid->SetColumnProportion(1, 2);
}

void CorvaneFrame::UpdateWorkspaceTree()
{
}

void CorvaneFrame::OnTreeItemChecked(wxTreeListEvent &)
{
}

void CorvaneFrame::OnTreeSelectionChanged(wxTreeListEvent &)
{
}

void CorvaneFrame::OnTreeContextMenu(wxTreeListEvent &)
{
}

// ---- Section tool window and panes ---------------------------------------------------

void CorvaneFrame::ShowSectionTool(bool)
{
}

// Places the tool window again after the section canvas moved.
void CorvaneFrame::ShowSectionToolIfShown()
{
}

void CorvaneFrame::OnShow(wxShowEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnMaximize(wxMaximizeEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnSectionSize(wxSizeEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnPaneMaximize(wxAuiManagerEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnPaneRestore(wxAuiManagerEvent &event)
{
    event.Skip();
}

void CorvaneFrame::OnPaneClose(wxAuiManagerEvent &event)
{
    event.Skip();
}
