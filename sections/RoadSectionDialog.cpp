#include "RoadSectionDialog.h"

#include "AddChainDialog.h"
#include "ChainListLine.h"
#include "DialogInputCheck.h"
#include "FileChooser.h"
#include "GenChainsDialog.h"
#include "SceneManager.h"
#include "SectionText.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <vector>

const long RoadSectionDialog::ID_STATICTEXT5 = wxNewId();
const long RoadSectionDialog::ID_CHOICE1 = wxNewId();
const long RoadSectionDialog::ID_STATICTEXT4 = wxNewId();
const long RoadSectionDialog::ID_TEXTCTRL4 = wxNewId();
const long RoadSectionDialog::ID_STATICTEXT6 = wxNewId();
const long RoadSectionDialog::ID_TEXTCTRL5 = wxNewId();
const long RoadSectionDialog::ID_LISTVIEW1 = wxNewId();
const long RoadSectionDialog::ID_BUTTON1 = wxNewId();
const long RoadSectionDialog::ID_BUTTON5 = wxNewId();
const long RoadSectionDialog::ID_BUTTON3 = wxNewId();
const long RoadSectionDialog::ID_BUTTON4 = wxNewId();
const long RoadSectionDialog::ID_BUTTON2 = wxNewId();

wxBEGIN_EVENT_TABLE(RoadSectionDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

// Rows are told apart by their chainage to the list's last decimal.
const double SAME_CHAIN = 0.001;
// The road's ends as the engine takes them.
const double ON_ROAD_TOLERANCE = 1e-3;
// (end - start) / spacing a hair below a whole number is that number: 0.3 /
// 0.1 must give three rows, not two.
const double WHOLE_COUNT_TOLERANCE = 1e-9;

template <typename T>
T *ItemAt(Array *list, size_t index)
{
    void *out = nullptr;
    return list && array_get_at(list, index, &out) == CC_OK ? static_cast<T *>(out) : nullptr;
}

size_t SizeOf(Array *list)
{
    return list ? array_size(list) : 0;
}

// First and last chainage of the road's horizontal alignment; false for a
// road without elements.
bool RoadChainRange(wks_road_t *road, double *start, double *end)
{
    int count = road_number_horizon(&road->road);
    if (count < 2)
        return false;
    const horizon_element_t *first = road_horizon(&road->road, 0);
    const horizon_element_t *last = road_horizon(&road->road, count - 1);
    *start = first->start_chainage;
    *end = last->start_chainage + last->length;
    return std::isfinite(*start) && std::isfinite(*end) && *end > *start;
}

} // namespace

RoadSectionDialog::RoadSectionDialog(wxWindow *parent, RoadSectionMode mode, wxWindowID, const wxPoint &,
                                     const wxSize &)
{
    // 1. The dialog.
    Create(parent, wxID_ANY, _("Road section"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE);

    // 2. Its rows, top to bottom.
    auto *column = new wxFlexGridSizer(0, 1, 0, 0);
    auto *roadRow = new wxBoxSizer(wxHORIZONTAL);
    m_roadLabel = new wxStaticText(this, ID_STATICTEXT5, _("Road"), wxDefaultPosition, wxDefaultSize, 0,
                                   "ID_STATICTEXT5");
    roadRow->Add(m_roadLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_roadChoice = new wxChoice(this, ID_CHOICE1, wxDefaultPosition, wxDefaultSize, 0, nullptr, 0,
                                wxDefaultValidator, "ID_CHOICE1");
    roadRow->Add(m_roadChoice, 1, wxALL | wxEXPAND, 5);
    column->Add(roadRow, 1, wxALL | wxEXPAND, 5);

    auto *bufferRow = new wxBoxSizer(wxHORIZONTAL);
    m_bufferWidthLabel = new wxStaticText(this, ID_STATICTEXT4, _("Buffer width"), wxDefaultPosition,
                                          wxDefaultSize, 0, "ID_STATICTEXT4");
    bufferRow->Add(m_bufferWidthLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_bufferWidthField = new wxTextCtrl(this, ID_TEXTCTRL4, "1.0", wxDefaultPosition, wxDefaultSize, 0,
                                        wxDefaultValidator, "ID_TEXTCTRL4");
    bufferRow->Add(m_bufferWidthField, 1, wxALL | wxEXPAND, 5);
    column->Add(bufferRow, 1, wxALL | wxEXPAND, 5);

    auto *sectionRow = new wxBoxSizer(wxHORIZONTAL);
    m_sectionWidthLabel = new wxStaticText(this, ID_STATICTEXT6, _("Section width"), wxDefaultPosition,
                                           wxDefaultSize, 0, "ID_STATICTEXT6");
    sectionRow->Add(m_sectionWidthLabel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_sectionWidthField = new wxTextCtrl(this, ID_TEXTCTRL5, "40.0", wxDefaultPosition, wxDefaultSize, 0,
                                         wxDefaultValidator, "ID_TEXTCTRL5");
    sectionRow->Add(m_sectionWidthField, 1, wxALL | wxEXPAND, 5);
    column->Add(sectionRow, 1, wxALL | wxEXPAND, 5);

    auto *listBox = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Chain list"));
    m_chainList = new wxListView(this, ID_LISTVIEW1, wxDefaultPosition, wxSize(250, 300),
                                 wxLC_REPORT | wxLC_SINGLE_SEL, wxDefaultValidator, "ID_LISTVIEW1");
    listBox->Add(m_chainList, 1, wxALL | wxEXPAND, 5);
    auto *listButtons = new wxBoxSizer(wxVERTICAL);
    m_importButton = new wxButton(this, ID_BUTTON1, _("Import"), wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, "ID_BUTTON1");
    m_generateButton = new wxButton(this, ID_BUTTON5, _("Generate"), wxDefaultPosition, wxDefaultSize, 0,
                                    wxDefaultValidator, "ID_BUTTON5");
    m_addButton = new wxButton(this, ID_BUTTON3, _("Add"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                               "ID_BUTTON3");
    m_deleteButton = new wxButton(this, ID_BUTTON4, _("Delete"), wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, "ID_BUTTON4");
    m_clearButton = new wxButton(this, ID_BUTTON2, _("Clear"), wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, "ID_BUTTON2");
    for (wxButton *button : {m_importButton, m_generateButton, m_addButton, m_deleteButton, m_clearButton})
        listButtons->Add(button, 0, wxALL | wxEXPAND, 5);
    listBox->Add(listButtons, 0, wxALL | wxALIGN_TOP, 5);
    column->Add(listBox, 1, wxALL | wxEXPAND, 5);

    auto *dialogButtons = new wxBoxSizer(wxHORIZONTAL);
    m_okButton = new wxButton(this, wxID_OK, _("OK"));
    dialogButtons->Add(m_okButton, 1, wxALL, 5);
    m_cancelButton = new wxButton(this, wxID_CANCEL);
    dialogButtons->Add(m_cancelButton, 1, wxALL, 5);
    column->Add(dialogButtons, 1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    SetSizer(column);
    column->Fit(this);
    column->SetSizeHints(this);
    Centre();

    // 3. The list buttons, and OK, which checks before it closes.
    m_importButton->Bind(wxEVT_BUTTON, &RoadSectionDialog::OnImport, this);
    m_generateButton->Bind(wxEVT_BUTTON, &RoadSectionDialog::OnGenerate, this);
    m_addButton->Bind(wxEVT_BUTTON, &RoadSectionDialog::OnAddChain, this);
    m_deleteButton->Bind(wxEVT_BUTTON, &RoadSectionDialog::OnDelete, this);
    m_clearButton->Bind(wxEVT_BUTTON, &RoadSectionDialog::OnClear, this);
    m_okButton->Bind(wxEVT_BUTTON, &RoadSectionDialog::OnOK, this);

    // 4.-6. Mode, roads, columns.
    m_mode = mode;
    FillRoadChoice();
    ApplyMode();
}

RoadSectionDialog::~RoadSectionDialog() = default;

void RoadSectionDialog::FillRoadChoice()
{
    if (!g_workspace)
        return;
    for (size_t i = 0; i < SizeOf(g_workspace->roads); ++i) {
        wks_road_t *road = ItemAt<wks_road_t>(g_workspace->roads, i);
        m_roadChoice->Append(road ? wxFileName(wxString::FromUTF8(road->path)).GetFullName() : wxString());
    }
    if (m_roadChoice->GetCount() > 0)
        m_roadChoice->SetSelection(0);
}

void RoadSectionDialog::ApplyMode()
{
    m_chainList->InsertColumn(0, _("Index"), wxLIST_FORMAT_LEFT, 50);
    if (m_mode == ROAD_SECTION_LONGITUDE) {
        m_chainList->InsertColumn(1, _("Start chain"), wxLIST_FORMAT_LEFT, 100);
        m_chainList->InsertColumn(2, _("End chain"), wxLIST_FORMAT_LEFT, wxLIST_AUTOSIZE_USEHEADER);
        m_sectionWidthField->SetValue(wxEmptyString);
        m_sectionWidthField->SetEditable(false);
        SetTitle(_("Longitude section"));
    } else {
        m_chainList->InsertColumn(1, _("Chain"), wxLIST_FORMAT_LEFT, 100);
        m_chainList->InsertColumn(2, _("Altitude"), wxLIST_FORMAT_LEFT, wxLIST_AUTOSIZE_USEHEADER);
        m_sectionWidthField->SetEditable(true);
        SetTitle(_("Latitude section"));
    }
}

// ---- The caller's answers ------------------------------------------------------------

int RoadSectionDialog::GetRoadIndex() const
{
    return m_roadChoice->GetSelection();
}

wks_road_t *RoadSectionDialog::GetRoad() const
{
    const int index = GetRoadIndex();
    return index < 0 || !g_workspace ? nullptr : ItemAt<wks_road_t>(g_workspace->roads, (size_t)index);
}

std::vector<std::array<double, 2>> RoadSectionDialog::GetRows() const
{
    std::vector<std::array<double, 2>> rows;
    const int count = m_chainList->GetItemCount();
    rows.reserve((size_t)count);
    for (int i = 0; i < count; ++i)
        rows.push_back({SectionText::LeadingNumber(m_chainList->GetItemText(i, 1)),
                        SectionText::LeadingNumber(m_chainList->GetItemText(i, 2))});
    return rows;
}

double RoadSectionDialog::GetBufferWidth() const
{
    return SectionText::LeadingNumber(m_bufferWidthField->GetValue());
}

double RoadSectionDialog::GetSectionWidth() const
{
    return SectionText::LeadingNumber(m_sectionWidthField->GetValue());
}

double RoadSectionDialog::AppendRow(double first, double second)
{
    const long row = m_chainList->GetItemCount();
    const wxString chain = SectionText::Fixed3(first);
    m_chainList->InsertItem(row, wxString::Format("%ld", row + 1));
    m_chainList->SetItem(row, 1, chain);
    m_chainList->SetItem(row, 2, SectionText::Fixed3(second));
    return SectionText::LeadingNumber(chain);
}

RoadSectionDialog::ListedChains RoadSectionDialog::GetListedChains() const
{
    ListedChains listed;
    for (long i = 0; i < m_chainList->GetItemCount(); ++i)
        listed.emplace(SectionText::LeadingNumber(m_chainList->GetItemText(i, 1)), i);
    return listed;
}

long RoadSectionDialog::SameChainRow(const ListedChains &listed, double chain)
{
    long first = -1;
    // The map narrows the search; the test itself is the plain distance.
    for (auto it = listed.lower_bound(chain - 2 * SAME_CHAIN); it != listed.end() && it->first < chain + 2 * SAME_CHAIN;
         ++it)
        if (std::fabs(it->first - chain) < SAME_CHAIN && (first < 0 || it->second < first))
            first = it->second;
    return first;
}

void RoadSectionDialog::Warn(const wxString &message)
{
    wxMessageBox(message, _("Warning"), wxOK | wxCENTRE | wxICON_WARNING, this);
}

bool RoadSectionDialog::ChooseImportFile(wxString *path)
{
    DialogFileChooser standard;
    FileChooser *chooser = m_fileChooser ? m_fileChooser : &standard;
    return chooser->Choose(this, _("Please select chain list file to import..."),
                           wxString::FromAscii(wxFileSelectorDefaultWildcardStr), wxFD_OPEN, path);
}

// ---- OK ---------------------------------------------------------------------------------

bool RoadSectionDialog::AcceptInput()
{
    wks_road_t *road = GetRoad();
    if (!road) {
        Warn(m_roadChoice->GetCount() == 0 ? _("The project has no road. Import a road first.")
                                           : _("Please select a road."));
        return false;
    }
    double width = 0;
    if (!SectionText::WholeNumber(m_bufferWidthField->GetValue(), &width) || width <= 0) {
        Warn(_("Buffer width must be a number greater than 0."));
        return false;
    }
    if (m_mode == ROAD_SECTION_LATITUDE &&
        (!SectionText::WholeNumber(m_sectionWidthField->GetValue(), &width) || width <= 0)) {
        Warn(_("Section width must be a number greater than 0."));
        return false;
    }
    if (m_chainList->GetItemCount() == 0) {
        Warn(_("The chain list is empty. Import, generate or add chains first."));
        return false;
    }
    return CheckRows(road);
}

// Rows the engine would drop without a word: chainages beyond the road's
// ends and longitude ranges that do not run forward.
bool RoadSectionDialog::CheckRows(wks_road_t *road)
{
    double start = 0, end = 0;
    if (!RoadChainRange(road, &start, &end)) {
        Warn(_("The selected road has no alignment to cut sections from."));
        return false;
    }
    const std::vector<std::array<double, 2>> rows = GetRows();
    std::vector<int> outside, backwards;
    for (size_t i = 0; i < rows.size(); ++i) {
        const int number = wxAtoi(m_chainList->GetItemText((long)i, 0));
        const size_t checked = m_mode == ROAD_SECTION_LONGITUDE ? 2 : 1;
        for (size_t k = 0; k < checked; ++k)
            if (rows[i][k] < start - ON_ROAD_TOLERANCE || rows[i][k] > end + ON_ROAD_TOLERANCE) {
                outside.push_back(number);
                break;
            }
        if (m_mode == ROAD_SECTION_LONGITUDE && !(rows[i][1] > rows[i][0]))
            backwards.push_back(number);
    }
    if (!outside.empty()) {
        Warn(wxString::Format(wxPLURAL("Row %s of the chain list lies outside the road, which runs from %s to %s.",
                                       "Rows %s of the chain list lie outside the road, which runs from %s to %s.",
                                       outside.size()),
                              SectionText::LineNumbers(outside), SectionText::Fixed3(start), SectionText::Fixed3(end)));
        return false;
    }
    if (!backwards.empty()) {
        Warn(wxString::Format(wxPLURAL("Row %s of the chain list does not end after it starts.",
                                       "Rows %s of the chain list do not end after they start.", backwards.size()),
                              SectionText::LineNumbers(backwards)));
        return false;
    }
    return true;
}

// ---- List buttons, in binding order -------------------------------------------------

void RoadSectionDialog::OnImport(wxCommandEvent &)
{
    wxString path;
    if (!ChooseImportFile(&path))
        return;
    std::vector<ChainListLine> rows;
    std::vector<int> unread;
    wxString error;
    const long room = std::max(0L, SectionText::MAX_ROWS - long(m_chainList->GetItemCount()));
    if (!SectionText::ReadParsedRows(path, room, &rows, &unread, &error)) {
        Warn(error);
        return;
    }
    ListedChains listed = GetListedChains();
    int added = 0, duplicates = 0;
    m_chainList->Freeze();
    for (const ChainListLine &row : rows) {
        if (SameChainRow(listed, row.first) >= 0) {
            ++duplicates;
            continue;
        }
        const double chain = AppendRow(row.first, row.second);
        listed.emplace(chain, long(m_chainList->GetItemCount()) - 1);
        ++added;
    }
    m_chainList->Thaw();
    ReportImport(added, unread, duplicates);
}

wxString RoadSectionDialog::DuplicatesDropped(int duplicates)
{
    return wxString::Format(wxPLURAL("%d row was dropped as a duplicate: its chainage lies within 0.001 of one "
                                     "already listed.",
                                     "%d rows were dropped as duplicates: their chainages lie within 0.001 of ones "
                                     "already listed.",
                                     duplicates),
                            duplicates);
}

void RoadSectionDialog::ReportImport(int added, const std::vector<int> &unread, int duplicates)
{
    const wxString report = SectionText::ImportReport(
        wxString::Format(wxPLURAL("%d row was imported.", "%d rows were imported.", added), added),
        unread.empty() ? wxString()
                       : wxString::Format(wxPLURAL("Line %s of the file is not two numbers separated by a comma or "
                                                   "semicolon and was skipped.",
                                                   "Lines %s of the file are not two numbers separated by a comma "
                                                   "or semicolon and were skipped.",
                                                   unread.size()),
                                          SectionText::LineNumbers(unread)),
        duplicates > 0 ? DuplicatesDropped(duplicates) : wxString());
    if (!report.empty())
        Warn(report);
    else if (added == 0)
        Warn(_("The file holds no chain list rows."));
}

namespace {

// The rows "Generate" would make, or a refusal at the field to correct.
bool CountGeneratedRows(GenChainsDialog &dialog, double *start, double *spacing, double *count, wxString *why,
                        wxWindow **field)
{
    double end = 0;
    const struct {
        wxTextCtrl *field;
        double *value;
        wxString name;
    } numbers[] = {{dialog.GetStartField(), start, _("Start chain")},
                   {dialog.GetEndField(), &end, _("End chain")},
                   {dialog.GetSpacingField(), spacing, _("Chain spacing")}};
    for (const auto &n : numbers)
        if (!SectionText::WholeNumber(n.field->GetValue(), n.value))
            return DialogInputCheck::Refuse(wxString::Format(_("%s must be a number."), n.name), n.field, why,
                                            field);
    if (!(end > *start))
        return DialogInputCheck::Refuse(_("The end chain must be greater than the start chain."),
                                        dialog.GetEndField(), why, field);
    if (!(*spacing > 0))
        return DialogInputCheck::Refuse(_("The chain spacing must be greater than 0."), dialog.GetSpacingField(),
                                        why, field);
    *count = std::floor((end - *start) / *spacing * (1 + WHOLE_COUNT_TOLERANCE));
    if (*count < 1)
        return DialogInputCheck::Refuse(_("The chain spacing is longer than the distance from start to end chain."),
                                        dialog.GetSpacingField(), why, field);
    if (*count > RoadSectionDialog::MAX_GENERATED_ROWS)
        return DialogInputCheck::Refuse(
            wxString::Format(_("This spacing gives %.0f rows; at most %ld can be generated at once."), *count,
                             RoadSectionDialog::MAX_GENERATED_ROWS),
            dialog.GetSpacingField(), why, field);
    return true;
}

} // namespace

void RoadSectionDialog::OnGenerate(wxCommandEvent &)
{
    GenChainsDialog dialog(this, wxID_ANY);
    double start = 0, spacing = 0, count = 0;
    DialogInputCheck::Install(
        dialog,
        [&](wxString *why, wxWindow **field) { return CountGeneratedRows(dialog, &start, &spacing, &count, why, field); },
        _("Warning"));
    if (dialog.ShowModal() != wxID_OK)
        return;
    wxString why;
    if (!CountGeneratedRows(dialog, &start, &spacing, &count, &why, nullptr)) {
        Warn(why);
        return;
    }
    // A chainage listed twice would make two sections of the same name.
    ListedChains listed = GetListedChains();
    std::vector<double> values;
    int added = 0, duplicates = 0;
    for (long k = 0; k < (long)count; ++k) {
        const double value = k * spacing + start;
        if (SameChainRow(listed, SectionText::LeadingNumber(SectionText::Fixed3(value))) >= 0)
            ++duplicates;
        else
            values.push_back(value);
    }
    if (!HasRoomFor(long(values.size())))
        return;
    m_chainList->Freeze();
    for (double value : values) {
        const double chain = AppendRow(value, m_mode == ROAD_SECTION_LONGITUDE ? value + spacing : 0.0);
        listed.emplace(chain, long(m_chainList->GetItemCount()) - 1);
        ++added;
    }
    m_chainList->Thaw();
    if (duplicates > 0)
        Warn(wxString::Format(wxPLURAL("%d row was generated.", "%d rows were generated.", added), added) + " " +
             DuplicatesDropped(duplicates));
}

bool RoadSectionDialog::ReadNewChain(AddChainDialog &dialog, double *first, double *second, wxString *why,
                                     wxWindow **field) const
{
    if (!SectionText::WholeNumber(dialog.GetFirstField()->GetValue(), first))
        return DialogInputCheck::Refuse(wxString::Format(_("%s must be a number."), dialog.GetFirstLabel()->GetLabel()),
                                        dialog.GetFirstField(), why, field);
    if (!SectionText::WholeNumber(dialog.GetSecondField()->GetValue(), second))
        return DialogInputCheck::Refuse(
            wxString::Format(_("%s must be a number."), dialog.GetSecondLabel()->GetLabel()), dialog.GetSecondField(),
            why, field);
    const long same = SameChainRow(GetListedChains(), *first);
    if (same >= 0)
        return DialogInputCheck::Refuse(wxString::Format(_("Chain %s is already in the list (row %ld)."),
                                                         SectionText::Fixed3(*first), same + 1),
                                        dialog.GetFirstField(), why, field);
    return true;
}

// A list is bounded as a whole, however its rows came: imported, generated
// or added one by one.
bool RoadSectionDialog::HasRoomFor(long rows)
{
    const long listed = m_chainList->GetItemCount();
    if (rows <= SectionText::MAX_ROWS - listed)
        return true;
    Warn(wxString::Format(_("The chain list holds %ld rows; %ld more would pass the %ld rows a list may hold."), listed,
                          rows, SectionText::MAX_ROWS));
    return false;
}

void RoadSectionDialog::OnAddChain(wxCommandEvent &)
{
    if (!HasRoomFor(1))
        return;
    AddChainDialog dialog(this, wxID_ANY);
    if (m_mode == ROAD_SECTION_LONGITUDE) {
        dialog.GetFirstLabel()->SetLabel(_("Start chain"));
        dialog.GetSecondLabel()->SetLabel(_("End chain"));
    } else {
        dialog.GetFirstLabel()->SetLabel(_("Chain"));
        dialog.GetSecondLabel()->SetLabel(_("Height"));
    }
    double first = 0, second = 0;
    DialogInputCheck::Install(
        dialog, [&](wxString *why, wxWindow **field) { return ReadNewChain(dialog, &first, &second, why, field); },
        _("Warning"));
    if (dialog.ShowModal() != wxID_OK)
        return;
    wxString why;
    if (!ReadNewChain(dialog, &first, &second, &why, nullptr)) {
        Warn(why);
        return;
    }
    AppendRow(first, second);
}

void RoadSectionDialog::OnDelete(wxCommandEvent &)
{
    const long row = m_chainList->GetFirstSelected();
    if (row >= 0)
        m_chainList->DeleteItem(row);
}

void RoadSectionDialog::OnClear(wxCommandEvent &)
{
    m_chainList->DeleteAllItems();
}

void RoadSectionDialog::OnOK(wxCommandEvent &)
{
    if (AcceptInput())
        EndModal(wxID_OK);
}
