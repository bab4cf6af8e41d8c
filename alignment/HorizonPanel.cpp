#include "HorizonPanel.h"

#include "AlignmentMessages.h"
#include "AngleText.h"
#include "c_notation.h"

#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/sizer.h>

const long HorizonPanel::ID_BUTTON1 = wxNewId();
const long HorizonPanel::ID_BUTTON2 = wxNewId();
const long HorizonPanel::ID_BUTTON3 = wxNewId();
const long HorizonPanel::ID_BUTTON4 = wxNewId();
const long HorizonPanel::ID_STATICTEXT1 = wxNewId();
const long HorizonPanel::ID_TEXTCTRL1 = wxNewId();
const long HorizonPanel::ID_STATICTEXT2 = wxNewId();
const long HorizonPanel::ID_TEXTCTRL2 = wxNewId();
const long HorizonPanel::ID_BUTTON9 = wxNewId();
const long HorizonPanel::ID_STATICTEXT3 = wxNewId();
const long HorizonPanel::ID_TEXTCTRL3 = wxNewId();
const long HorizonPanel::ID_STATICTEXT4 = wxNewId();
const long HorizonPanel::ID_TEXTCTRL4 = wxNewId();
const long HorizonPanel::ID_STATICTEXT5 = wxNewId();
const long HorizonPanel::ID_TEXTCTRL5 = wxNewId();
const long HorizonPanel::ID_LISTCTRL1 = wxNewId();
const long HorizonPanel::ID_BUTTON5 = wxNewId();
const long HorizonPanel::ID_BUTTON6 = wxNewId();
const long HorizonPanel::ID_BUTTON7 = wxNewId();
const long HorizonPanel::ID_BUTTON8 = wxNewId();
const long HorizonPanel::ID_PANEL1 = wxNewId();

wxBEGIN_EVENT_TABLE(HorizonPanel, wxPanel)
    EVT_COMMAND(wxID_ANY, EVT_MYCANVAS_POLYLINE_SELECTED, HorizonPanel::OnCanvasSelect)
wxEND_EVENT_TABLE()

namespace {

// In the C notation, as the element dialogs read what the list prefills.
wxString Number(double value)
{
    return wxString(velmo::c_number_text(value, 4));
}

} // namespace

HorizonPanel::HorizonPanel(wxWindow *parent, wxWindowID, const wxPoint &, const wxSize &, long style,
                           const wxString &name)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, style, name)
{
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    auto button = [this](long id, const char *name, const wxString &label) {
        return new wxButton(this, id, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
    };
    // Wide enough for survey coordinates and a whole direction text.
    auto text = [this](long id, const char *name, long style = 0) {
        return new wxTextCtrl(this, id, wxEmptyString, wxDefaultPosition, wxSize(150, -1), style,
                              wxDefaultValidator, name);
    };
    auto label = [this](long id, const char *name, const wxString &label) {
        return new wxStaticText(this, id, label, wxDefaultPosition, wxDefaultSize, 0, name);
    };

    // Left column: the element buttons, then the conversion fields.
    auto *left = new wxBoxSizer(wxVERTICAL);
    auto *elements = new wxBoxSizer(wxVERTICAL);
    PointButton = button(ID_BUTTON1, "ID_BUTTON1", _("Point"));
    LineButton = button(ID_BUTTON2, "ID_BUTTON2", _("Line"));
    CircleButton = button(ID_BUTTON3, "ID_BUTTON3", _("Circle"));
    CurveButton = button(ID_BUTTON4, "ID_BUTTON4", _("Curve"));
    for (wxButton *b : {PointButton, LineButton, CircleButton, CurveButton})
        elements->Add(b, 0, wxALL | wxEXPAND, 3);
    left->Add(elements, 1, wxALL | wxEXPAND, 2);

    auto *convert = new wxBoxSizer(wxVERTICAL);
    convert->Add(label(ID_STATICTEXT1, "ID_STATICTEXT1", _("Mileage:")), 0, wxLEFT | wxRIGHT | wxTOP, 3);
    MileageText = text(ID_TEXTCTRL1, "ID_TEXTCTRL1");
    convert->Add(MileageText, 0, wxALL | wxEXPAND, 3);
    convert->Add(label(ID_STATICTEXT2, "ID_STATICTEXT2", _("Offset:")), 0, wxLEFT | wxRIGHT | wxTOP, 3);
    OffsetText = text(ID_TEXTCTRL2, "ID_TEXTCTRL2");
    convert->Add(OffsetText, 0, wxALL | wxEXPAND, 3);
    ConvertButton = button(ID_BUTTON9, "ID_BUTTON9", "$");
    convert->Add(ConvertButton, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 3);
    convert->Add(label(ID_STATICTEXT3, "ID_STATICTEXT3", _("North:")), 0, wxLEFT | wxRIGHT | wxTOP, 3);
    NorthText = text(ID_TEXTCTRL3, "ID_TEXTCTRL3");
    convert->Add(NorthText, 0, wxALL | wxEXPAND, 3);
    convert->Add(label(ID_STATICTEXT4, "ID_STATICTEXT4", _("East:")), 0, wxLEFT | wxRIGHT | wxTOP, 3);
    EastText = text(ID_TEXTCTRL4, "ID_TEXTCTRL4");
    convert->Add(EastText, 0, wxALL | wxEXPAND, 3);
    convert->Add(label(ID_STATICTEXT5, "ID_STATICTEXT5", _(wxString::FromUTF8("Direction："))), 0,
                 wxLEFT | wxRIGHT | wxTOP, 3);
    DirectionText = text(ID_TEXTCTRL5, "ID_TEXTCTRL5", wxTE_READONLY);
    convert->Add(DirectionText, 0, wxALL | wxEXPAND, 3);
    left->Add(convert, 1, wxALL | wxEXPAND, 2);

    // Right column: the list, the row buttons, the plan.
    auto *right = new wxBoxSizer(wxVERTICAL);
    ElementList = new wxListView(this, ID_LISTCTRL1, wxDefaultPosition, wxDefaultSize,
                                 wxLC_REPORT | wxLC_SINGLE_SEL, wxDefaultValidator, "ID_LISTCTRL1");
    const struct {
        const char *head;
        int width;
    } columns[] = {{"Index", -1},  {"Type", -1},    {"Mileage", -1},  {"Length", -1},    {"North", 100},
                   {"East", 100},  {"Radius1", -1}, {"Radius2", -1},  {"Direction", 120}, {"Turn", -1}};
    for (const auto &column : columns)
        ElementList->AppendColumn(wxGetTranslation(column.head), wxLIST_FORMAT_LEFT,
                                  column.width < 0 ? wxLIST_AUTOSIZE_USEHEADER : column.width);
    right->Add(ElementList, 1, wxALL | wxEXPAND, 3);
    auto *rowButtons = new wxBoxSizer(wxHORIZONTAL);
    UpButton = button(ID_BUTTON5, "ID_BUTTON5", _("Up"));
    DownButton = button(ID_BUTTON6, "ID_BUTTON6", _("Down"));
    EditButton = button(ID_BUTTON7, "ID_BUTTON7", _("Edit"));
    DeleteButton = button(ID_BUTTON8, "ID_BUTTON8", _("Delete"));
    for (wxButton *b : {UpButton, DownButton, EditButton, DeleteButton})
        rowButtons->Add(b, 0, wxALL, 3);
    right->Add(rowButtons, 0, wxALL, 0);
    PlanCanvas = new MyCanvas(this, ID_PANEL1, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL1");
    PlanCanvas->SetCaption(_("Horizon"));
    // Clicking an element's line on the plan selects its row.
    PlanCanvas->SetPolylinesSelectable(1);
    right->Add(PlanCanvas, 1, wxALL | wxEXPAND, 3);

    auto *main = new wxBoxSizer(wxHORIZONTAL);
    main->Add(left, 0, wxALL | wxEXPAND, 3);
    main->Add(right, 1, wxALL | wxEXPAND, 3);
    SetSizer(main);
    main->SetSizeHints(this);

    Bind(wxEVT_BUTTON, &HorizonPanel::OnStartPoint, this, ID_BUTTON1);
    Bind(wxEVT_BUTTON, &HorizonPanel::OnAddLine, this, ID_BUTTON2);
    Bind(wxEVT_BUTTON, &HorizonPanel::OnAddCircle, this, ID_BUTTON3);
    Bind(wxEVT_BUTTON, &HorizonPanel::OnAddTransition, this, ID_BUTTON4);
    Bind(wxEVT_BUTTON, &HorizonPanel::OnConvert, this, ID_BUTTON9);
    Bind(wxEVT_BUTTON, &HorizonPanel::OnUp, this, ID_BUTTON5);
    Bind(wxEVT_BUTTON, &HorizonPanel::OnDown, this, ID_BUTTON6);
    Bind(wxEVT_BUTTON, &HorizonPanel::OnEdit, this, ID_BUTTON7);
    Bind(wxEVT_BUTTON, &HorizonPanel::OnDelete, this, ID_BUTTON8);
    Bind(wxEVT_LIST_ITEM_SELECTED, &HorizonPanel::OnItemSelected, this, ID_LISTCTRL1);
    Bind(wxEVT_LIST_ITEM_DESELECTED, &HorizonPanel::OnItemDeselected, this, ID_LISTCTRL1);
    Bind(wxEVT_LIST_ITEM_ACTIVATED, &HorizonPanel::OnItemActivated, this, ID_LISTCTRL1);
    Bind(wxEVT_SIZE, &HorizonPanel::OnSize, this);
    RefreshList();
    m_modified = false;
}

void HorizonPanel::SetRoad(road_t *road)
{
    m_road = road;
    RefreshList();
    DrawPlan(true);
    m_modified = false;
}

bool HorizonPanel::HasRoad() const
{
    if (m_road)
        return true;
    ShowInputError(wxString::FromUTF8("没有选择道路！"));
    return false;
}

wxString HorizonPanel::Cell(int row, int column) const
{
    return ElementList->GetItemText(row, column);
}

void HorizonPanel::RefreshList()
{
    ElementList->DeleteAllItems();
    const int n = m_road ? road_number_horizon(m_road) : 0;
    for (wxButton *b : {LineButton, CircleButton, CurveButton})
        b->Enable(n >= 1);
    for (int i = 0; i < n; ++i) {
        const horizon_element_t *e = road_horizon(m_road, i);
        ElementList->InsertItem(i, wxString::Format("%d", i + 1));
        ElementList->SetItem(i, COL_MILEAGE, Number(e->start_chainage));
        ElementList->SetItem(i, COL_NORTH, Number(e->start_x));
        ElementList->SetItem(i, COL_EAST, Number(e->start_y));
        ElementList->SetItem(i, COL_DIRECTION, FormatAngleText(e->start_azimuth));
        const wxString turn = e->direction != 0 ? "Right" : "Left";
        switch (e->type) {
        case HORIZON_START:
            ElementList->SetItem(i, COL_TYPE, "Point");
            break;
        case HORIZON_LINE:
            ElementList->SetItem(i, COL_TYPE, "Line");
            ElementList->SetItem(i, COL_LENGTH, Number(e->length));
            break;
        case HORIZON_CIRCLE:
            ElementList->SetItem(i, COL_TYPE, "Circle");
            ElementList->SetItem(i, COL_LENGTH, Number(e->length));
            ElementList->SetItem(i, COL_RADIUS1, Number(e->radius));
            ElementList->SetItem(i, COL_RADIUS2, Number(e->radius));
            ElementList->SetItem(i, COL_TURN, turn);
            break;
        case HORIZON_TRANSITION:
            ElementList->SetItem(i, COL_TYPE, "Curve");
            ElementList->SetItem(i, COL_LENGTH, Number(e->length));
            ElementList->SetItem(i, COL_RADIUS1, Number(e->start_radius));
            ElementList->SetItem(i, COL_RADIUS2, Number(e->end_radius));
            ElementList->SetItem(i, COL_TURN, turn);
            break;
        default:
            break;
        }
    }
    m_highlighted = -1;
    m_modified = true;
}

// ---------------------------------------------------------------------------
// Selection link between the list and the plan: row r shows polyline r - 1.

void HorizonPanel::HighlightRow(int row)
{
    for (int index : PlanCanvas->GetSelectedPolylines())
        PlanCanvas->SetPolylineSelected(index, 0);
    m_highlighted = row > 0 ? row - 1 : -1;
    if (m_highlighted >= 0)
        PlanCanvas->SetPolylineSelected(m_highlighted, 1);
    PlanCanvas->Refresh(false);
}

void HorizonPanel::SelectRow(int row)
{
    if (row < 0 || row >= ElementList->GetItemCount())
        return;
    ElementList->Select(row);
    ElementList->Focus(row);
    ElementList->EnsureVisible(row);
    HighlightRow(row);
}

void HorizonPanel::OnItemSelected(wxListEvent &event)
{
    HighlightRow(static_cast<int>(event.GetIndex()));
    ElementList->SetFocus();
}

void HorizonPanel::OnItemDeselected(wxListEvent &)
{
    HighlightRow(-1);
}

void HorizonPanel::OnItemActivated(wxListEvent &)
{
    wxCommandEvent edit;
    OnEdit(edit);
}

void HorizonPanel::OnCanvasSelect(wxCommandEvent &)
{
    // The event names no polyline: the picked one is the newly selected one,
    // or the highlighted one picked again.
    int picked = -1;
    for (int index : PlanCanvas->GetSelectedPolylines())
        if (index != m_highlighted || picked < 0)
            picked = index;
    if (picked < 0)
        return;
    for (long row = ElementList->GetFirstSelected(); row >= 0; row = ElementList->GetNextSelected(row))
        ElementList->Select(row, false);
    SelectRow(picked + 1);
}

void HorizonPanel::OnSize(wxSizeEvent &event)
{
    // Fitted once the children have their new sizes.
    CallAfter([this] { PlanCanvas->ZoomToExtents(); });
    event.Skip();
}
