#include "VerticalPanel.h"

#include "DialogInputCheck.h"
#include "MyCanvas.h"
#include "ProfileDrawing.h"
#include "HorizonElementReader.h"
#include "VerticalInput.h"
#include "V_Line.h"
#include "V_Round.h"
#include "V_StartPoint.h"
#include "c_notation.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/wupdlock.h>

#include <cmath>

const long VerticalPanel::ID_BUTTON1 = wxNewId();
const long VerticalPanel::ID_BUTTON2 = wxNewId();
const long VerticalPanel::ID_BUTTON3 = wxNewId();
const long VerticalPanel::ID_STATICTEXT1 = wxNewId();
const long VerticalPanel::ID_TEXTCTRL1 = wxNewId();
const long VerticalPanel::ID_STATICTEXT2 = wxNewId();
const long VerticalPanel::ID_TEXTCTRL2 = wxNewId();
const long VerticalPanel::ID_STATICTEXT3 = wxNewId();
const long VerticalPanel::ID_TEXTCTRL3 = wxNewId();
const long VerticalPanel::ID_LISTCTRL1 = wxNewId();
const long VerticalPanel::ID_BUTTON4 = wxNewId();
const long VerticalPanel::ID_BUTTON5 = wxNewId();
const long VerticalPanel::ID_BUTTON6 = wxNewId();
const long VerticalPanel::ID_BUTTON7 = wxNewId();
const long VerticalPanel::ID_PANEL1 = wxNewId();

wxBEGIN_EVENT_TABLE(VerticalPanel, wxPanel)
    EVT_COMMAND(wxID_ANY, EVT_MYCANVAS_POLYLINE_SELECTED, VerticalPanel::OnCanvasSelect)
wxEND_EVENT_TABLE()

namespace {

enum Column {
    COLUMN_INDEX,
    COLUMN_TYPE,
    COLUMN_MILEAGE,
    COLUMN_HEIGHT,
    COLUMN_SLOPE,
    COLUMN_LENGTH,
    COLUMN_RADIUS,
    COLUMN_TURN
};

const wxColour PROFILE_PEN(0, 0, 0);
const wxColour MARKER_FILL(255, 255, 255);
const wxColour HIGHLIGHT_PEN(0, 255, 0);
const wxColour HIGHLIGHT_FILL(255, 0, 0);
const int MARKER_SIZE = 8;
const int LABEL_SIZE = 10;

// In the C notation, as the element dialogs read what the list prefills.
wxString Number(double value)
{
    return wxString(velmo::c_number_text(value, 4));
}

wxString DeleteQuestion()
{
    return wxString(L"删除操作将不可恢复\n确定要进行删除吗？");
}

wxString DeleteCaption()
{
    return wxString(L"竖曲线要素");
}

} // namespace

VerticalPanel::VerticalPanel(wxWindow *parent, wxWindowID, const wxPoint &, const wxSize &, long,
                             const wxString &)
{
    Create(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "wxID_ANY");
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    CreateControls();
    InsertColumns();
    BindHandlers();
}

VerticalPanel::~VerticalPanel()
{
}

void VerticalPanel::CreateControls()
{
    PointButton = new wxButton(this, ID_BUTTON1, _("Point"), wxDefaultPosition, wxDefaultSize, 0,
                               wxDefaultValidator, "ID_BUTTON1");
    LineButton = new wxButton(this, ID_BUTTON2, _("Line"), wxDefaultPosition, wxDefaultSize, 0,
                              wxDefaultValidator, "ID_BUTTON2");
    CircleButton = new wxButton(this, ID_BUTTON3, _("Circle"), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "ID_BUTTON3");
    auto *mileageLabel = new wxStaticText(this, ID_STATICTEXT1, _(L"Mileage："), wxDefaultPosition,
                                          wxDefaultSize, 0, "ID_STATICTEXT1");
    MileageText = new wxTextCtrl(this, ID_TEXTCTRL1, wxEmptyString, wxDefaultPosition, wxSize(89, -1),
                                 wxTE_PROCESS_ENTER, wxDefaultValidator, "ID_TEXTCTRL1");
    MileageText->SetToolTip(_(L"输入后回车"));
    auto *heightLabel = new wxStaticText(this, ID_STATICTEXT2, _(L"Height："), wxDefaultPosition, wxDefaultSize,
                                         0, "ID_STATICTEXT2");
    HeightText = new wxTextCtrl(this, ID_TEXTCTRL2, wxEmptyString, wxDefaultPosition, wxSize(89, -1),
                                wxTE_READONLY, wxDefaultValidator, "ID_TEXTCTRL2");
    auto *slopeLabel = new wxStaticText(this, ID_STATICTEXT3, _(L"Slope："), wxDefaultPosition, wxDefaultSize,
                                        0, "ID_STATICTEXT3");
    SlopeText = new wxTextCtrl(this, ID_TEXTCTRL3, wxEmptyString, wxDefaultPosition, wxSize(89, -1),
                               wxTE_READONLY, wxDefaultValidator, "ID_TEXTCTRL3");
    ElementList = new wxListView(this, ID_LISTCTRL1, wxDefaultPosition, wxSize(484, 214),
                                 wxLC_REPORT | wxLC_SINGLE_SEL, wxDefaultValidator, "ID_LISTCTRL1");
    UpButton = new wxButton(this, ID_BUTTON4, _("Up"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                            "ID_BUTTON4");
    DownButton = new wxButton(this, ID_BUTTON5, _("Down"), wxDefaultPosition, wxDefaultSize, 0,
                              wxDefaultValidator, "ID_BUTTON5");
    EditButton = new wxButton(this, ID_BUTTON6, _("Edit"), wxDefaultPosition, wxDefaultSize, 0,
                              wxDefaultValidator, "ID_BUTTON6");
    DeleteButton = new wxButton(this, ID_BUTTON7, _("Delete"), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "ID_BUTTON7");
    ProfileCanvas = new MyCanvas(this, ID_PANEL1, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL1");
    ProfileCanvas->SetCaption(_("Vertical"));
    LayOut(mileageLabel, heightLabel, slopeLabel);
}

void VerticalPanel::LayOut(wxWindow *mileageLabel, wxWindow *heightLabel, wxWindow *slopeLabel)
{
    auto *panelSizer = new wxBoxSizer(wxHORIZONTAL);
    auto *left = new wxBoxSizer(wxVERTICAL);
    auto *right = new wxBoxSizer(wxVERTICAL);
    auto *commands = new wxBoxSizer(wxVERTICAL);
    commands->Add(PointButton);
    commands->Add(LineButton);
    commands->Add(CircleButton);
    auto *query = new wxBoxSizer(wxVERTICAL);
    query->Add(mileageLabel);
    query->Add(MileageText);
    query->Add(heightLabel);
    query->Add(HeightText);
    query->Add(slopeLabel);
    query->Add(SlopeText);
    left->Add(commands, 1);
    left->Add(query, 1);
    auto *moves = new wxBoxSizer(wxHORIZONTAL);
    moves->Add(UpButton);
    moves->Add(DownButton);
    moves->Add(EditButton);
    moves->Add(DeleteButton);
    right->Add(ElementList, 1, wxEXPAND);
    right->Add(moves, 0, wxEXPAND);
    right->Add(ProfileCanvas, 1, wxEXPAND);
    panelSizer->Add(left, 0, wxEXPAND);
    panelSizer->Add(right, 1, wxEXPAND);
    SetSizer(panelSizer);
    panelSizer->Fit(this);
    panelSizer->SetSizeHints(this);
}

void VerticalPanel::InsertColumns()
{
    const wxString heads[] = {_("Index"),    _("Type"),   _("Mileage"), _("Height"),
                              _("Slope(%)"), _("Length"), _("Radius"),  _("Turn")};
    for (long column = 0; column < long(WXSIZEOF(heads)); ++column)
        ElementList->InsertColumn(column, heads[column], wxLIST_FORMAT_LEFT);
    ElementList->SetColumnWidth(COLUMN_SLOPE, 100);
}

void VerticalPanel::BindHandlers()
{
    Bind(wxEVT_BUTTON, &VerticalPanel::OnStartPoint, this, ID_BUTTON1);
    Bind(wxEVT_BUTTON, &VerticalPanel::OnAddLine, this, ID_BUTTON2);
    Bind(wxEVT_BUTTON, &VerticalPanel::OnAddCurve, this, ID_BUTTON3);
    Bind(wxEVT_BUTTON, &VerticalPanel::OnUp, this, ID_BUTTON4);
    Bind(wxEVT_BUTTON, &VerticalPanel::OnDown, this, ID_BUTTON5);
    Bind(wxEVT_BUTTON, &VerticalPanel::OnEdit, this, ID_BUTTON6);
    Bind(wxEVT_BUTTON, &VerticalPanel::OnDelete, this, ID_BUTTON7);
    Bind(wxEVT_TEXT_ENTER, &VerticalPanel::OnMileageEnter, this, ID_TEXTCTRL1);
    Bind(wxEVT_LIST_ITEM_SELECTED, &VerticalPanel::OnItemSelected, this, ID_LISTCTRL1);
    Bind(wxEVT_LIST_ITEM_DESELECTED, &VerticalPanel::OnItemDeselected, this, ID_LISTCTRL1);
    Bind(wxEVT_LIST_ITEM_ACTIVATED, &VerticalPanel::OnItemActivated, this, ID_LISTCTRL1);
    Bind(wxEVT_SIZE, &VerticalPanel::OnSize, this);
}

// ---- Road, list and drawing -------------------------------------------------------------

void VerticalPanel::SetRoad(road_t *road)
{
    m_road = road;
    RefreshList();
    DrawProfile(true);
    m_modified = false;
}

void VerticalPanel::RefreshList()
{
    // One repaint for the whole list instead of one per cell.
    wxWindowUpdateLocker frozen(ElementList);
    ElementList->DeleteAllItems();
    const int n = m_road ? road_number_vertical(m_road) : 0;
    LineButton->Enable(n >= 1);
    CircleButton->Enable(n >= 1);
    for (int i = 0; i < n; ++i) {
        const vertical_element_t *e = road_vertical(m_road, i);
        ElementList->InsertItem(i, wxString::Format("%d", i + 1));
        ElementList->SetItem(i, COLUMN_MILEAGE, Number(e->start_chainage));
        ElementList->SetItem(i, COLUMN_HEIGHT, Number(e->start_elevation));
        ElementList->SetItem(i, COLUMN_SLOPE, Number(std::tan(e->start_grade) * 100.0));
        if (e->type == VERTICAL_START) {
            ElementList->SetItem(i, COLUMN_TYPE, "Point");
        } else if (e->type == VERTICAL_GRADE) {
            ElementList->SetItem(i, COLUMN_TYPE, "Line");
            ElementList->SetItem(i, COLUMN_LENGTH, Number(e->length));
        } else if (e->type == VERTICAL_CURVE) {
            ElementList->SetItem(i, COLUMN_TYPE, "Curve");
            ElementList->SetItem(i, COLUMN_LENGTH, Number(e->length));
            ElementList->SetItem(i, COLUMN_RADIUS, Number(e->radius));
            ElementList->SetItem(i, COLUMN_TURN, e->turn == 0 ? "Up" : "Down");
        }
    }
    m_modified = true;
}

wxString VerticalPanel::GetCellText(long row, long column) const
{
    wxListItem item;
    item.SetMask(wxLIST_MASK_TEXT);
    item.SetId(row);
    item.SetColumn(column);
    ElementList->GetItem(item);
    return item.GetText();
}

void VerticalPanel::DrawProfile(bool fit)
{
    ProfileCanvas->Clear();
    const ProfileDrawing drawing(m_road);
    for (const auto &polyline : drawing.Polylines()) {
        std::vector<wxRealPoint> points;
        points.reserve(polyline.size());
        for (const auto &p : polyline)
            points.emplace_back(p.x, p.y);
        ProfileCanvas->AddPolyline(int(points.size()), points.data(), PROFILE_PEN, 1, true, HIGHLIGHT_PEN);
    }
    const auto &labels = drawing.Labels();
    for (size_t i = 0; i < drawing.Markers().size(); ++i) {
        const auto &m = drawing.Markers()[i];
        ProfileCanvas->AddSymbol(m.x, m.y, 0, MARKER_SIZE, 1, PROFILE_PEN, MARKER_FILL, true, HIGHLIGHT_FILL);
        ProfileCanvas->AddText(wxString::FromUTF8(labels[i].text), labels[i].at.x, labels[i].at.y, "Arial",
                               PROFILE_PEN, LABEL_SIZE);
    }
    const long selected = SelectedRow();
    if (selected > 0)
        ProfileCanvas->SetPolylineSelected(int(selected - 1), true);
    if (fit)
        ProfileCanvas->ZoomToExtents();
    else
        ProfileCanvas->UpdateView();
}

// ---- Commands -----------------------------------------------------------------------------

void VerticalPanel::OnStartPoint(wxCommandEvent &)
{
    if (!m_road)
        return;
    V_StartPoint dialog(this, -1);
    dialog.CentreOnParent(wxBOTH);
    const int n = road_number_vertical(m_road);
    if (n > 0) {
        dialog.MileageText->SetValue(GetCellText(0, COLUMN_MILEAGE));
        dialog.HeightText->SetValue(GetCellText(0, COLUMN_HEIGHT));
        dialog.SlopeText->SetValue(GetCellText(0, COLUMN_SLOPE));
    }
    DialogInputCheck::InstallReader(dialog, VerticalInput::ReadStartPoint);
    if (dialog.ShowModal() != wxID_OK)
        return;
    vertical_element_t record;
    wxString error;
    if (!VerticalInput::ReadStartPoint(dialog, &record, &error)) {
        VerticalInput::ShowError(error);
        return;
    }
    const Snapshot before = TakeSnapshot();
    if (n < 1)
        road_insert_vertical(m_road, &record, 0);
    else
        road_modify_vertical(m_road, &record, 0);
    if (!ChainOrUndo(before))
        return;
    ShowResult(0, true);
}

void VerticalPanel::OnAddLine(wxCommandEvent &)
{
    if (!m_road)
        return;
    V_Line dialog(this, -1);
    dialog.CentreOnParent(wxBOTH);
    DialogInputCheck::InstallReader(dialog, VerticalInput::ReadLine);
    if (dialog.ShowModal() != wxID_OK)
        return;
    vertical_element_t record;
    wxString error;
    if (!VerticalInput::ReadLine(dialog, &record, &error)) {
        VerticalInput::ShowError(error);
        return;
    }
    AppendElement(record);
}

void VerticalPanel::OnAddCurve(wxCommandEvent &)
{
    if (!m_road)
        return;
    V_Round dialog(this, -1);
    dialog.CentreOnParent(wxBOTH);
    DialogInputCheck::InstallReader(dialog, VerticalInput::ReadCurve);
    if (dialog.ShowModal() != wxID_OK)
        return;
    vertical_element_t record;
    wxString error;
    if (!VerticalInput::ReadCurve(dialog, &record, &error)) {
        VerticalInput::ShowError(error);
        return;
    }
    AppendElement(record);
}

void VerticalPanel::AppendElement(const vertical_element_t &element)
{
    const int n = road_number_vertical(m_road);
    // Grades and curves follow a start point; the buttons say so, but an
    // event may still arrive for an empty profile.
    if (n < 1) {
        VerticalInput::ShowError(_("Add the start point of the profile first."));
        return;
    }
    const Snapshot before = TakeSnapshot();
    road_insert_vertical(m_road, &element, n);
    if (!ChainOrUndo(before))
        return;
    ShowResult(n, true);
}

void VerticalPanel::OnEdit(wxCommandEvent &)
{
    const long sel = SelectedRow();
    if (!m_road || sel < 0)
        return;
    V_StartPoint pointDialog(this, -1);
    V_Line lineDialog(this, -1);
    V_Round curveDialog(this, -1);
    pointDialog.CentreOnParent(wxBOTH);
    lineDialog.CentreOnParent(wxBOTH);
    curveDialog.CentreOnParent(wxBOTH);
    const wxString type = GetCellText(sel, COLUMN_TYPE);
    vertical_element_t record;
    wxString error;
    bool read = false;
    if (type == "Point") {
        pointDialog.MileageText->SetValue(GetCellText(sel, COLUMN_MILEAGE));
        pointDialog.HeightText->SetValue(GetCellText(sel, COLUMN_HEIGHT));
        pointDialog.SlopeText->SetValue(GetCellText(sel, COLUMN_SLOPE));
        DialogInputCheck::InstallReader(pointDialog, VerticalInput::ReadStartPoint);
        if (pointDialog.ShowModal() != wxID_OK)
            return;
        read = VerticalInput::ReadStartPoint(pointDialog, &record, &error);
    } else if (type == "Line") {
        lineDialog.FirstText->SetValue(GetCellText(sel, COLUMN_LENGTH));
        DialogInputCheck::InstallReader(lineDialog, VerticalInput::ReadLine);
        if (lineDialog.ShowModal() != wxID_OK)
            return;
        read = VerticalInput::ReadLine(lineDialog, &record, &error);
    } else {
        curveDialog.FirstText->SetValue(GetCellText(sel, COLUMN_LENGTH));
        curveDialog.RadiusText->SetValue(GetCellText(sel, COLUMN_RADIUS));
        curveDialog.TurnChoice->SetSelection(GetCellText(sel, COLUMN_TURN) == "Up" ? 0 : 1);
        DialogInputCheck::InstallReader(curveDialog, VerticalInput::ReadCurve);
        if (curveDialog.ShowModal() != wxID_OK)
            return;
        read = VerticalInput::ReadCurve(curveDialog, &record, &error);
    }
    if (!read) {
        VerticalInput::ShowError(error);
        return;
    }
    const Snapshot before = TakeSnapshot();
    road_modify_vertical(m_road, &record, int(sel));
    if (!ChainOrUndo(before))
        return;
    ShowResult(sel, true);
}

void VerticalPanel::OnItemActivated(wxListEvent &)
{
    wxCommandEvent none;
    OnEdit(none);
}

void VerticalPanel::OnUp(wxCommandEvent &)
{
    const long sel = SelectedRow();
    if (!m_road || sel <= 1)
        return;
    const Snapshot before = TakeSnapshot();
    const vertical_element_t *above = road_vertical(m_road, int(sel - 1));
    vertical_element_t kept{};
    kept.type = above->type;
    kept.radius = above->radius;
    kept.length = above->length;
    kept.turn = above->turn;
    const vertical_element_t moving = *road_vertical(m_road, int(sel));
    road_modify_vertical(m_road, &moving, int(sel - 1));
    road_modify_vertical(m_road, &kept, int(sel));
    if (!ChainOrUndo(before))
        return;
    ShowResult(sel - 1, false);
}

void VerticalPanel::OnDown(wxCommandEvent &)
{
    const long sel = SelectedRow();
    const long count = ElementList->GetItemCount();
    if (!m_road || sel <= 0 || sel >= count - 1)
        return;
    const Snapshot before = TakeSnapshot();
    const vertical_element_t *below = road_vertical(m_road, int(sel + 1));
    vertical_element_t kept{};
    kept.type = below->type;
    kept.radius = below->radius;
    kept.length = below->length;
    kept.turn = below->turn;
    const vertical_element_t moving = *road_vertical(m_road, int(sel));
    road_modify_vertical(m_road, &moving, int(sel + 1));
    road_modify_vertical(m_road, &kept, int(sel));
    if (!ChainOrUndo(before))
        return;
    ShowResult(sel + 1, false);
}

void VerticalPanel::OnDelete(wxCommandEvent &)
{
    long sel = SelectedRow();
    if (!m_road || sel < 0)
        return;
    wxMessageDialog question(this, DeleteQuestion(), DeleteCaption(), wxYES_NO | wxICON_INFORMATION);
    if (question.ShowModal() != wxID_YES)
        return;
    const long count = ElementList->GetItemCount();
    if (sel == 0 && count > 1) {
        // Every later element takes its start from this one.
        VerticalInput::ShowError(_("The start point can only be deleted when it is the only element."));
        return;
    }
    const Snapshot before = TakeSnapshot();
    road_remove_vertical(m_road, int(sel));
    if (!ChainOrUndo(before))
        return;
    long next = sel == count - 1 ? count - 2 : sel;
    ShowResult(next, false);
}

void VerticalPanel::OnMileageEnter(wxCommandEvent &)
{
    const wxString text = MileageText->GetValue();
    if (text.empty() || !m_road)
        return;
    double chainage = 0.0;
    if (!HorizonElementReader::ReadNumber(text, &chainage)) {
        VerticalInput::ShowError(wxString::Format(_("Mileage must be a number, not \"%s\"."), text));
        return;
    }
    double elevation = 0.0, grade = 0.0;
    if (road_l2h(m_road, chainage, &elevation, &grade) < 0) {
        HeightText->ChangeValue(wxEmptyString);
        SlopeText->ChangeValue(wxEmptyString);
        VerticalInput::ShowError(road_number_vertical(m_road) < 2
                                     ? _("The profile needs a start point and at least one grade line or curve.")
                                     : _("No element of the profile covers this mileage."));
        return;
    }
    HeightText->ChangeValue(wxString(velmo::c_number_text(elevation, 3)));
    SlopeText->ChangeValue(wxString(velmo::c_number_text(std::tan(grade) * 100.0, 3)) + "%");
}

// The canvas takes its new size from the sizers, so they run before the fit;
// fitting first would fit the old size.
void VerticalPanel::OnSize(wxSizeEvent &event)
{
    Layout();
    ProfileCanvas->ZoomToExtents();
    event.Skip();
}

// ---- Selection ------------------------------------------------------------------------------

void VerticalPanel::OnItemSelected(wxListEvent &event)
{
    ClearHighlight();
    const long row = event.GetIndex();
    if (row > 0) {
        ProfileCanvas->SetPolylineSelected(int(row - 1), true);
        ProfileCanvas->Refresh();
    }
}

void VerticalPanel::OnItemDeselected(wxListEvent &)
{
    ClearHighlight();
    ProfileCanvas->Refresh();
}

void VerticalPanel::OnCanvasSelect(wxCommandEvent &)
{
    // The event names no polyline: the picked one is the newly selected one,
    // or the highlighted one picked again.
    const long selected = SelectedRow();
    const int highlighted = selected > 0 ? int(selected - 1) : -1;
    int picked = -1;
    for (int index : ProfileCanvas->GetSelectedPolylines())
        if (index != highlighted || picked < 0)
            picked = index;
    for (long row = SelectedRow(); row >= 0; row = SelectedRow())
        ElementList->Select(row, false);
    ClearHighlight();
    if (picked < 0 || picked + 1 >= ElementList->GetItemCount())
        return;
    SelectRow(picked + 1);
    ProfileCanvas->SetPolylineSelected(picked, true);
    ProfileCanvas->Refresh();
}

// ---- Helpers ------------------------------------------------------------------------------

long VerticalPanel::SelectedRow() const
{
    return ElementList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

void VerticalPanel::SelectRow(long row)
{
    if (row >= 0 && row < ElementList->GetItemCount())
        ElementList->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

void VerticalPanel::ClearHighlight()
{
    for (int index : ProfileCanvas->GetSelectedPolylines())
        ProfileCanvas->SetPolylineSelected(index, false);
}

VerticalPanel::Snapshot VerticalPanel::TakeSnapshot() const
{
    Snapshot snapshot;
    const int n = road_number_vertical(m_road);
    for (int i = 0; i < n; ++i)
        snapshot.elements.push_back(*road_vertical(m_road, i));
    snapshot.sound = VerticalInput::IsSoundProfile(m_road);
    return snapshot;
}

bool VerticalPanel::ChainOrUndo(const Snapshot &before)
{
    road_apply_vertical(m_road);
    if (VerticalInput::IsSoundProfile(m_road) || !before.sound)
        return true;
    road_clear_vertical(m_road);
    for (size_t i = 0; i < before.elements.size(); ++i)
        road_insert_vertical(m_road, &before.elements[i], int(i));
    road_apply_vertical(m_road);
    VerticalInput::ShowError(_("The profile would grow steeper than 100 % there: a vertical curve is longer than "
                               "its radius allows at its grade. Nothing was changed."));
    return false;
}

void VerticalPanel::ShowResult(long row, bool fit)
{
    RefreshList();
    SelectRow(row);
    DrawProfile(fit);
}
