#include "HSectionDialog.h"

#include "SectionText.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

const long HSectionDialog::ID_STATICTEXT3 = wxNewId();
const long HSectionDialog::ID_TEXTCTRL5 = wxNewId();
const long HSectionDialog::ID_STATICTEXT1 = wxNewId();
const long HSectionDialog::ID_TEXTCTRL1 = wxNewId();
const long HSectionDialog::ID_TEXTCTRL2 = wxNewId();
const long HSectionDialog::ID_TEXTCTRL3 = wxNewId();
const long HSectionDialog::ID_STATICTEXT2 = wxNewId();
const long HSectionDialog::ID_TEXTCTRL4 = wxNewId();
const long HSectionDialog::ID_STATICTEXT4 = wxNewId();
const long HSectionDialog::ID_TEXTCTRL6 = wxNewId();
const long HSectionDialog::ID_STATICTEXT5 = wxNewId();
const long HSectionDialog::ID_TEXTCTRL7 = wxNewId();

wxBEGIN_EVENT_TABLE(HSectionDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

wxBoxSizer *LabelledRow(wxWindow *parent, long labelId, const char *labelName, const wxString &label)
{
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(parent, labelId, label, wxDefaultPosition, wxDefaultSize, 0, labelName), 0,
             wxALL | wxALIGN_CENTER_VERTICAL, 5);
    return row;
}

wxTextCtrl *AddField(wxWindow *parent, wxSizer *row, long id, const char *name, const wxString &value)
{
    // Wide enough for a projected coordinate with three decimals.
    auto *field = new wxTextCtrl(parent, id, value, wxDefaultPosition, wxSize(120, -1), 0, wxDefaultValidator, name);
    row->Add(field, 1, wxALL | wxEXPAND, 5);
    return field;
}

} // namespace

HSectionDialog::HSectionDialog(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size)
{
    Create(parent, id, _("Horizon section"), pos, size, wxDEFAULT_DIALOG_STYLE);
    auto *column = new wxFlexGridSizer(0, 1, 0, 0);

    wxBoxSizer *nameRow = LabelledRow(this, ID_STATICTEXT3, "ID_STATICTEXT3", _("Name"));
    m_name = AddField(this, nameRow, ID_TEXTCTRL5, "ID_TEXTCTRL5", "section1");
    column->Add(nameRow, 1, wxALL | wxEXPAND, 5);

    wxBoxSizer *centerRow = LabelledRow(this, ID_STATICTEXT1, "ID_STATICTEXT1", _("Center"));
    m_center[0] = AddField(this, centerRow, ID_TEXTCTRL1, "ID_TEXTCTRL1", wxEmptyString);
    m_center[1] = AddField(this, centerRow, ID_TEXTCTRL2, "ID_TEXTCTRL2", wxEmptyString);
    m_center[2] = AddField(this, centerRow, ID_TEXTCTRL3, "ID_TEXTCTRL3", wxEmptyString);
    column->Add(centerRow, 1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    wxBoxSizer *orientationRow = LabelledRow(this, ID_STATICTEXT2, "ID_STATICTEXT2", _("Orientation"));
    m_orientation = AddField(this, orientationRow, ID_TEXTCTRL4, "ID_TEXTCTRL4", "0");
    column->Add(orientationRow, 1, wxALL | wxEXPAND, 5);

    wxBoxSizer *bufferRow = LabelledRow(this, ID_STATICTEXT4, "ID_STATICTEXT4", _("Buffer width"));
    m_bufferWidth = AddField(this, bufferRow, ID_TEXTCTRL6, "ID_TEXTCTRL6", "1.0");
    column->Add(bufferRow, 1, wxALL | wxEXPAND, 5);

    wxBoxSizer *sectionRow = LabelledRow(this, ID_STATICTEXT5, "ID_STATICTEXT5", _("Section width"));
    m_sectionWidth = AddField(this, sectionRow, ID_TEXTCTRL7, "ID_TEXTCTRL7", "40.0");
    column->Add(sectionRow, 1, wxALL | wxEXPAND, 5);

    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    auto *ok = new wxButton(this, wxID_OK, _("OK"));
    buttons->Add(ok, 1, wxALL, 5);
    buttons->Add(new wxButton(this, wxID_CANCEL, _("Cancel")), 1, wxALL, 5);
    column->Add(buttons, 1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    SetSizer(column);
    column->Fit(this);
    column->SetSizeHints(this);
    CentreOnParent();

    ok->Bind(wxEVT_BUTTON, &HSectionDialog::OnOK, this);
}

HSectionDialog::~HSectionDialog() = default;

void HSectionDialog::SetCenter(const double center[3])
{
    for (int axis = 0; axis < 3; ++axis)
        m_center[axis]->SetValue(SectionText::Fixed3(center[axis]));
}

wxString HSectionDialog::GetSectionName() const
{
    return m_name->GetValue();
}

void HSectionDialog::GetCenter(double center[3]) const
{
    for (int axis = 0; axis < 3; ++axis)
        center[axis] = SectionText::LeadingNumber(m_center[axis]->GetValue());
}

double HSectionDialog::GetOrientation() const
{
    return SectionText::LeadingNumber(m_orientation->GetValue());
}

double HSectionDialog::GetBufferWidth() const
{
    return SectionText::LeadingNumber(m_bufferWidth->GetValue());
}

double HSectionDialog::GetSectionWidth() const
{
    return SectionText::LeadingNumber(m_sectionWidth->GetValue());
}

void HSectionDialog::Warn(const wxString &message)
{
    wxMessageBox(message, _("Warning"), wxOK | wxCENTRE | wxICON_WARNING, this);
}

// A centre or orientation that is not a number would put the section at 0
// or turn it north without a word.
bool HSectionDialog::AcceptInput()
{
    double value = 0;
    for (wxTextCtrl *field : m_center)
        if (!SectionText::WholeNumber(field->GetValue(), &value)) {
            Warn(_("Center x, y and z must be numbers."));
            return false;
        }
    if (!SectionText::WholeNumber(m_orientation->GetValue(), &value)) {
        Warn(_("Orientation must be a number of degrees."));
        return false;
    }
    if (!SectionText::WholeNumber(m_bufferWidth->GetValue(), &value) || value <= 0) {
        Warn(_("Buffer width must be a number greater than 0."));
        return false;
    }
    if (!SectionText::WholeNumber(m_sectionWidth->GetValue(), &value) || value <= 0) {
        Warn(_("Section width must be a number greater than 0."));
        return false;
    }
    return true;
}

void HSectionDialog::OnOK(wxCommandEvent &)
{
    if (AcceptInput())
        EndModal(wxID_OK);
}
