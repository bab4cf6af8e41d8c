#include "VSectionDialog.h"

#include "AddVSectionDialog.h"
#include "CustomSectionLine.h"
#include "DialogInputCheck.h"
#include "FileChooser.h"
#include "SectionText.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/intl.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

const long VSectionDialog::ID_STATICTEXT4 = wxNewId();
const long VSectionDialog::ID_TEXTCTRL6 = wxNewId();
const long VSectionDialog::ID_STATICTEXT5 = wxNewId();
const long VSectionDialog::ID_TEXTCTRL7 = wxNewId();
const long VSectionDialog::ID_LISTVIEW1 = wxNewId();
const long VSectionDialog::ID_BUTTON1 = wxNewId();
const long VSectionDialog::ID_BUTTON2 = wxNewId();
const long VSectionDialog::ID_BUTTON3 = wxNewId();
const long VSectionDialog::ID_BUTTON4 = wxNewId();

wxBEGIN_EVENT_TABLE(VSectionDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

wxTextCtrl *AddWidthRow(wxWindow *parent, wxSizer *column, long labelId, const char *labelName,
                        const wxString &label, long fieldId, const char *fieldName, const wxString &value)
{
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(parent, labelId, label, wxDefaultPosition, wxDefaultSize, 0, labelName), 0,
             wxALL | wxALIGN_CENTER_VERTICAL, 5);
    auto *field = new wxTextCtrl(parent, fieldId, value, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                 fieldName);
    row->Add(field, 1, wxALL | wxEXPAND, 5);
    column->Add(row, 1, wxALL | wxEXPAND, 5);
    return field;
}

} // namespace

VSectionDialog::VSectionDialog(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size)
{
    Create(parent, id, _("Vertical section"), pos, size, wxDEFAULT_DIALOG_STYLE);
    auto *column = new wxFlexGridSizer(0, 1, 0, 0);
    m_bufferWidthField = AddWidthRow(this, column, ID_STATICTEXT4, "ID_STATICTEXT4", _("Buffer width"),
                                     ID_TEXTCTRL6, "ID_TEXTCTRL6", "1.0");
    m_sectionWidthField = AddWidthRow(this, column, ID_STATICTEXT5, "ID_STATICTEXT5", _("Section Width"),
                                      ID_TEXTCTRL7, "ID_TEXTCTRL7", "40");

    auto *listRow = new wxBoxSizer(wxHORIZONTAL);
    m_sectionList = new wxListView(this, ID_LISTVIEW1, wxDefaultPosition, wxDefaultSize, wxLC_REPORT,
                                   wxDefaultValidator, "ID_LISTVIEW1");
    // Wide enough for its four columns without a scroll bar.
    m_sectionList->SetMinSize(wxSize(380, 300));
    m_sectionList->InsertColumn(0, _("Index"), wxLIST_FORMAT_LEFT, 50);
    m_sectionList->InsertColumn(1, _("Center x"), wxLIST_FORMAT_LEFT, 100);
    m_sectionList->InsertColumn(2, _("Center y"), wxLIST_FORMAT_LEFT, 100);
    m_sectionList->InsertColumn(3, _("Azimuth"), wxLIST_FORMAT_LEFT, 100);
    listRow->Add(m_sectionList, 1, wxALL | wxEXPAND, 5);
    auto *listButtons = new wxBoxSizer(wxVERTICAL);
    m_addButton = new wxButton(this, ID_BUTTON1, _("Add"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                               "ID_BUTTON1");
    m_importButton = new wxButton(this, ID_BUTTON2, _("Import"), wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, "ID_BUTTON2");
    m_deleteButton = new wxButton(this, ID_BUTTON3, _("Delete"), wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, "ID_BUTTON3");
    m_clearButton = new wxButton(this, ID_BUTTON4, _("Clear"), wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, "ID_BUTTON4");
    for (wxButton *button : {m_addButton, m_importButton, m_deleteButton, m_clearButton})
        listButtons->Add(button, 0, wxALL | wxEXPAND, 5);
    listRow->Add(listButtons, 0, wxALL | wxALIGN_TOP, 5);
    column->Add(listRow, 1, wxALL | wxEXPAND, 5);

    auto *dialogButtons = new wxBoxSizer(wxHORIZONTAL);
    m_okButton = new wxButton(this, wxID_OK, _("OK"));
    dialogButtons->Add(m_okButton, 1, wxALL, 5);
    m_cancelButton = new wxButton(this, wxID_CANCEL, _("Cancel"));
    dialogButtons->Add(m_cancelButton, 1, wxALL, 5);
    column->Add(dialogButtons, 1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    SetSizer(column);
    column->Fit(this);
    column->SetSizeHints(this);
    CentreOnParent();

    m_addButton->Bind(wxEVT_BUTTON, &VSectionDialog::OnAdd, this);
    m_importButton->Bind(wxEVT_BUTTON, &VSectionDialog::OnImport, this);
    m_deleteButton->Bind(wxEVT_BUTTON, &VSectionDialog::OnDelete, this);
    m_clearButton->Bind(wxEVT_BUTTON, &VSectionDialog::OnClear, this);
    m_okButton->Bind(wxEVT_BUTTON, &VSectionDialog::OnOK, this);
}

VSectionDialog::~VSectionDialog() = default;

double VSectionDialog::GetBufferWidth() const
{
    return SectionText::LeadingNumber(m_bufferWidthField->GetValue());
}

double VSectionDialog::GetSectionWidth() const
{
    return SectionText::LeadingNumber(m_sectionWidthField->GetValue());
}

std::vector<VSectionDialog::Row> VSectionDialog::GetRows() const
{
    std::vector<Row> rows;
    for (int i = 0; i < m_sectionList->GetItemCount(); ++i)
        rows.push_back({SectionText::LeadingNumber(m_sectionList->GetItemText(i, 1)),
                        SectionText::LeadingNumber(m_sectionList->GetItemText(i, 2)),
                        SectionText::LeadingNumber(m_sectionList->GetItemText(i, 3))});
    return rows;
}

void VSectionDialog::AppendRow(double x, double y, double azimuth)
{
    const long row = m_sectionList->GetItemCount();
    m_sectionList->InsertItem(row, wxString::Format("%ld", row + 1));
    m_sectionList->SetItem(row, 1, SectionText::Fixed3(x));
    m_sectionList->SetItem(row, 2, SectionText::Fixed3(y));
    m_sectionList->SetItem(row, 3, SectionText::Fixed3(azimuth));
}

void VSectionDialog::Warn(const wxString &message)
{
    wxMessageBox(message, _("Warning"), wxOK | wxCENTRE | wxICON_WARNING, this);
}

bool VSectionDialog::AcceptInput()
{
    double width = 0;
    if (!SectionText::WholeNumber(m_bufferWidthField->GetValue(), &width) || width <= 0) {
        Warn(_("Buffer width must be a number greater than 0."));
        return false;
    }
    if (!SectionText::WholeNumber(m_sectionWidthField->GetValue(), &width) || width <= 0) {
        Warn(_("Section width must be a number greater than 0."));
        return false;
    }
    if (m_sectionList->GetItemCount() == 0) {
        Warn(_("The section list is empty. Add or import sections first."));
        return false;
    }
    return true;
}

wxString VSectionDialog::RowKey(double x, double y, double azimuth)
{
    return SectionText::Fixed3(x) + "," + SectionText::Fixed3(y) + "," + SectionText::Fixed3(azimuth);
}

VSectionDialog::ListedRows VSectionDialog::GetListedRows() const
{
    ListedRows listed;
    for (long i = 0; i < m_sectionList->GetItemCount(); ++i)
        listed.emplace(m_sectionList->GetItemText(i, 1) + "," + m_sectionList->GetItemText(i, 2) + "," +
                           m_sectionList->GetItemText(i, 3),
                       i);
    return listed;
}

bool VSectionDialog::ReadNewRow(AddVSectionDialog &dialog, Row *row, wxString *why, wxWindow **field) const
{
    const struct {
        wxTextCtrl *field;
        double *value;
        wxString name;
    } numbers[] = {{dialog.GetCenterXField(), &row->x, _("Center X")},
                   {dialog.GetCenterYField(), &row->y, _("Center Y")},
                   {dialog.GetAzimuthField(), &row->azimuth, _("Azimuth angle")}};
    for (const auto &n : numbers)
        if (!SectionText::WholeNumber(n.field->GetValue(), n.value))
            return DialogInputCheck::Refuse(wxString::Format(_("%s must be a number."), n.name), n.field, why,
                                            field);
    // Two equal rows would make two sections in the same place.
    const ListedRows listed = GetListedRows();
    const auto same = listed.find(RowKey(row->x, row->y, row->azimuth));
    if (same != listed.end())
        return DialogInputCheck::Refuse(
            wxString::Format(_("This section is already in the list (row %ld)."), same->second + 1),
            dialog.GetCenterXField(), why, field);
    return true;
}

void VSectionDialog::OnAdd(wxCommandEvent &)
{
    // The list is bounded as a whole, as an import bounds it.
    const long listed = m_sectionList->GetItemCount();
    if (listed >= SectionText::MAX_ROWS) {
        Warn(wxString::Format(_("The section list holds %ld rows, the most a list may hold."), listed));
        return;
    }
    AddVSectionDialog dialog(this, wxID_ANY);
    Row row{0, 0, 0};
    DialogInputCheck::Install(
        dialog, [&](wxString *why, wxWindow **field) { return ReadNewRow(dialog, &row, why, field); },
        _("Warning"));
    if (dialog.ShowModal() != wxID_OK)
        return;
    wxString why;
    if (!ReadNewRow(dialog, &row, &why, nullptr)) {
        Warn(why);
        return;
    }
    AppendRow(row.x, row.y, row.azimuth);
}

void VSectionDialog::OnImport(wxCommandEvent &)
{
    DialogFileChooser standard;
    FileChooser *chooser = m_fileChooser ? m_fileChooser : &standard;
    wxString path;
    if (!chooser->Choose(this,
                         _("Please select custom section param file to import(TXT file with Center x,Center y,"
                           "Azimuth a line)..."),
                         wxString::FromAscii(wxFileSelectorDefaultWildcardStr), wxFD_OPEN, &path))
        return;
    std::vector<CustomSectionLine> rows;
    std::vector<int> unread;
    wxString error;
    const long room = std::max(0L, SectionText::MAX_ROWS - long(m_sectionList->GetItemCount()));
    if (!SectionText::ReadParsedRows(path, room, &rows, &unread, &error)) {
        Warn(error);
        return;
    }
    ListedRows listed = GetListedRows();
    int added = 0, duplicates = 0;
    m_sectionList->Freeze();
    for (const CustomSectionLine &row : rows) {
        if (!listed.emplace(RowKey(row.x, row.y, row.azimuth), m_sectionList->GetItemCount()).second) {
            ++duplicates;
            continue;
        }
        AppendRow(row.x, row.y, row.azimuth);
        ++added;
    }
    m_sectionList->Thaw();
    ReportImport(added, unread, duplicates);
}

void VSectionDialog::ReportImport(int added, const std::vector<int> &unread, int duplicates)
{
    const wxString report = SectionText::ImportReport(
        wxString::Format(wxPLURAL("%d section was imported.", "%d sections were imported.", added), added),
        unread.empty() ? wxString()
                       : wxString::Format(wxPLURAL("Line %s of the file is not three numbers separated by commas "
                                                   "or semicolons and was skipped.",
                                                   "Lines %s of the file are not three numbers separated by "
                                                   "commas or semicolons and were skipped.",
                                                   unread.size()),
                                          SectionText::LineNumbers(unread)),
        duplicates == 0 ? wxString()
                        : wxString::Format(wxPLURAL("%d row was dropped as a duplicate: it repeats a row already "
                                                    "listed.",
                                                    "%d rows were dropped as duplicates: they repeat rows already "
                                                    "listed.",
                                                    duplicates),
                                           duplicates));
    if (!report.empty())
        Warn(report);
    else if (added == 0)
        Warn(_("The file holds no custom sections."));
}

void VSectionDialog::OnDelete(wxCommandEvent &)
{
    const long row = m_sectionList->GetFirstSelected();
    if (row >= 0)
        m_sectionList->DeleteItem(row);
}

void VSectionDialog::OnClear(wxCommandEvent &)
{
    m_sectionList->DeleteAllItems();
}

void VSectionDialog::OnOK(wxCommandEvent &)
{
    if (AcceptInput())
        EndModal(wxID_OK);
}
