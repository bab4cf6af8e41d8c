#include "RoadElementDialog.h"

#include "HorizonPanel.h"
#include "VerticalPanel.h"

#include <wx/notebook.h>

const long RoadElementDialog::ID_NOTEBOOK1 = wxNewId();
const long RoadElementDialog::ID_PANEL1 = wxNewId();
const long RoadElementDialog::ID_PANEL2 = wxNewId();

wxBEGIN_EVENT_TABLE(RoadElementDialog, wxDialog)
wxEND_EVENT_TABLE()

RoadElementDialog::RoadElementDialog(wxWindow *parent, road_t *road, wxWindowID id)
{
    Create(parent, id, _("Road elements"), wxDefaultPosition, wxDefaultSize,
           wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxMAXIMIZE_BOX, "id");
    SetClientSize(wxSize(800, 600));
    Move(wxDefaultPosition);
    ElementBook = new wxNotebook(this, ID_NOTEBOOK1, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK1");
    HorizonPage = new HorizonPanel(ElementBook, ID_PANEL1, wxPoint(216, 203), wxDefaultSize, wxTAB_TRAVERSAL,
                                   "ID_PANEL1");
    VerticalPage = new VerticalPanel(ElementBook, ID_PANEL2, wxPoint(145, 4), wxDefaultSize, wxTAB_TRAVERSAL,
                                     "ID_PANEL2");
    ElementBook->AddPage(HorizonPage, _("Horizon"), false);
    ElementBook->AddPage(VerticalPage, _("Vertical"), false);
    CentreOnParent(wxBOTH);
    Bind(wxEVT_SIZE, &RoadElementDialog::OnSize, this);
    HorizonPage->SetRoad(road);
    VerticalPage->SetRoad(road);
}

RoadElementDialog::~RoadElementDialog()
{
}

bool RoadElementDialog::IsModified() const
{
    return HorizonPage->IsModified() || VerticalPage->IsModified();
}

void RoadElementDialog::OnSize(wxSizeEvent &)
{
    ElementBook->SetSize(0, 0, GetClientSize().GetWidth(), GetClientSize().GetHeight(), wxSIZE_AUTO);
}
