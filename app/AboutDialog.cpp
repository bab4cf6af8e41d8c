#include "AboutDialog.h"

#include "AppResources.h"
#include "velmo.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/font.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

const long AboutDialog::ID_BITMAPBUTTON1 = wxNewId();
const long AboutDialog::ID_STATICTEXT1 = wxNewId();
const long AboutDialog::ID_STATICLINE1 = wxNewId();
const long AboutDialog::ID_STATICTEXT2 = wxNewId();
const long AboutDialog::ID_STATICTEXT3 = wxNewId();

wxBEGIN_EVENT_TABLE(AboutDialog, wxDialog)
wxEND_EVENT_TABLE()

AboutDialog::AboutDialog(wxWindow *parent, wxWindowID id, const wxPoint &, const wxSize &)
{
    Create(parent, id, _("About"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "id");
    SetClientSize(wxDefaultSize);
    Move(wxDefaultPosition);
    auto *column = new wxBoxSizer(wxVERTICAL);

    // A missing picture leaves an empty button; the box still opens.
    PictureButton = new wxBitmapButton(this, ID_BITMAPBUTTON1, AppLoadBitmap("icons/about.png"), wxDefaultPosition,
                                       wxDefaultSize, wxBU_AUTODRAW, wxDefaultValidator, "ID_BITMAPBUTTON1");
    column->Add(PictureButton, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    TitleText = new wxStaticText(this, ID_STATICTEXT1, _("Corvane "), wxDefaultPosition, wxDefaultSize, 0,
                                 "ID_STATICTEXT1");
    TitleText->SetFont(wxFont(18, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false, "Arial"));
    column->Add(TitleText, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    TitleLine = new wxStaticLine(this, ID_STATICLINE1, wxDefaultPosition, wxSize(10, -1), wxLI_HORIZONTAL,
                                 "ID_STATICLINE1");
    column->Add(TitleLine, 0, wxALL | wxEXPAND, 5);

    PurposeText = new wxStaticText(this, ID_STATICTEXT2, _("Road survey on laser-scanned point clouds."),
                                   wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT2");
    column->Add(PurposeText, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    ManualText = new wxStaticText(this, ID_STATICTEXT3, _("The manual: \"Help\" on the \"File\" page."),
                                  wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT3");
    column->Add(ManualText, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    OkButton = new wxButton(this, wxID_OK, _("OK"));
    column->Add(OkButton, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 10);

    SetSizer(column);
    column->SetSizeHints(this);
    CentreOnParent(wxBOTH);

    // Enter closes the box like OK, whatever has the focus.
    OkButton->SetDefault();
    OkButton->SetFocus();
    TitleText->SetLabel(wxString::Format(_("Corvane v%s"), cvVersion));
}
