#include "ExportDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/intl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/treebook.h>

const long ExportDialog::ID_CHECKBOX1 = wxNewId();
const long ExportDialog::ID_CHECKBOX2 = wxNewId();
const long ExportDialog::ID_CHECKBOX3 = wxNewId();
const long ExportDialog::ID_PANEL1 = wxNewId();
const long ExportDialog::ID_CHECKBOX4 = wxNewId();
const long ExportDialog::ID_CHECKBOX5 = wxNewId();
const long ExportDialog::ID_PANEL2 = wxNewId();
const long ExportDialog::ID_CHECKBOX6 = wxNewId();
const long ExportDialog::ID_CHECKBOX7 = wxNewId();
const long ExportDialog::ID_PANEL3 = wxNewId();
const long ExportDialog::ID_TREEBOOK1 = wxNewId();

wxBEGIN_EVENT_TABLE(ExportDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

wxCheckBox *AddBox(wxWindow *page, wxSizer *column, long id, const char *name, const wxString &label, bool ticked)
{
    auto *box = new wxCheckBox(page, id, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
    box->SetValue(ticked);
    column->Add(box, 0, wxALL | wxEXPAND, 5);
    return box;
}

wxPanel *NewPage(wxWindow *book, long id, const char *name, const wxSize &size, wxBoxSizer **column)
{
    auto *page = new wxPanel(book, id, wxDefaultPosition, size, wxTAB_TRAVERSAL, name);
    *column = new wxBoxSizer(wxVERTICAL);
    page->SetSizer(*column);
    return page;
}

} // namespace

ExportDialog::ExportDialog(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size)
{
    Create(parent, id, _("Export sections"), pos, size, wxDEFAULT_DIALOG_STYLE);
    auto *column = new wxBoxSizer(wxVERTICAL);
    m_treebook = new wxTreebook(this, ID_TREEBOOK1, wxDefaultPosition, wxDefaultSize, wxBK_LEFT, "ID_TREEBOOK1");

    wxBoxSizer *boxes = nullptr;
    m_pages[PAGE_LATITUDE] = NewPage(m_treebook, ID_PANEL1, "ID_PANEL1", wxSize(400, 300), &boxes);
    m_latitudeSection = AddBox(m_pages[0], boxes, ID_CHECKBOX1, "ID_CHECKBOX1", _("Latitude section"), true);
    m_latitudeSection->SetMinSize(wxSize(200, -1));
    m_latitudeLongitude =
        AddBox(m_pages[0], boxes, ID_CHECKBOX2, "ID_CHECKBOX2", _("Auto generated longitude section"), false);
    m_latitudePoints = AddBox(m_pages[0], boxes, ID_CHECKBOX3, "ID_CHECKBOX3", _("Section points"), false);

    m_pages[PAGE_LONGITUDE] = NewPage(m_treebook, ID_PANEL2, "ID_PANEL2", wxDefaultSize, &boxes);
    m_longitudeSection = AddBox(m_pages[1], boxes, ID_CHECKBOX4, "ID_CHECKBOX4", _("Longitude section"), true);
    m_longitudePoints = AddBox(m_pages[1], boxes, ID_CHECKBOX5, "ID_CHECKBOX5", _("Section points"), false);

    m_pages[PAGE_CUSTOM] = NewPage(m_treebook, ID_PANEL3, "ID_PANEL3", wxDefaultSize, &boxes);
    m_customSection = AddBox(m_pages[2], boxes, ID_CHECKBOX6, "ID_CHECKBOX6", _("Custom section"), true);
    m_customPoints = AddBox(m_pages[2], boxes, ID_CHECKBOX7, "ID_CHECKBOX7", _("Section points"), false);

    m_treebook->AddPage(m_pages[0], _("Latitude section"), true);
    m_treebook->AddPage(m_pages[1], _("Longitude section"), false);
    m_treebook->AddPage(m_pages[2], _("Custom section"), false);
    column->Add(m_treebook, 1, wxALL | wxEXPAND, 5);

    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, wxID_OK, _("OK")), 0, wxALL, 5);
    buttons->Add(new wxButton(this, wxID_CANCEL, _("Cancel")), 0, wxALL, 5);
    column->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 5);
    SetSizer(column);
    column->Fit(this);
    column->SetSizeHints(this);
    CentreOnParent();
}

ExportDialog::~ExportDialog() = default;

int ExportDialog::GetSelectedPage() const
{
    return m_treebook->GetSelection();
}

wxCheckBox *ExportDialog::GetCheckBox(int page, int index) const
{
    wxCheckBox *boxes[3][3] = {{m_latitudeSection, m_latitudeLongitude, m_latitudePoints},
                               {m_longitudeSection, m_longitudePoints, nullptr},
                               {m_customSection, m_customPoints, nullptr}};
    return page >= 0 && page < 3 && index >= 0 && index < 3 ? boxes[page][index] : nullptr;
}

void ExportDialog::GetOptions(int options[3]) const
{
    const int page = GetSelectedPage();
    for (int i = 0; i < 3; ++i) {
        const wxCheckBox *box = GetCheckBox(page, i);
        options[i] = box && box->GetValue() ? 1 : 0;
    }
}
