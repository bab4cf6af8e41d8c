// The editing commands of the horizontal element panel.  Each change runs
// in one order: fill a record, store it, chain the table, refresh the list,
// select a row, redraw the plan.
#include "HorizonPanel.h"

#include "AlignmentMessages.h"
#include "AngleText.h"
#include "DialogInputCheck.h"
#include "H_Line.h"
#include "H_Moderate.h"
#include "H_Round.h"
#include "H_StartPoint.h"
#include "HorizonElementReader.h"

#include <wx/msgdlg.h>

namespace {

// Shows the dialog centred on its parent; true on OK.
bool Confirmed(wxDialog &dialog)
{
    dialog.CentreOnParent(wxBOTH);
    return dialog.ShowModal() == wxID_OK;
}

// A prefilled field left as it was keeps the stored value exactly, not the
// rounded text the list shows.
void KeepIfUnchanged(const wxTextCtrl *field, const wxString &prefill, double stored, double *value)
{
    if (field->GetValue() == prefill)
        *value = stored;
}

} // namespace

void HorizonPanel::AfterChange(int row, bool zoom)
{
    road_apply_horizon(m_road);
    RefreshList();
    SelectRow(row);
    DrawPlan(zoom);
}

void HorizonPanel::OnStartPoint(wxCommandEvent &)
{
    if (!HasRoad())
        return;
    const int n = road_number_horizon(m_road);
    H_StartPoint dialog(this);
    if (n > 0) {
        dialog.TextCtrl3->ChangeValue(Cell(0, COL_MILEAGE));
        dialog.TextCtrl1->ChangeValue(Cell(0, COL_NORTH));
        dialog.TextCtrl2->ChangeValue(Cell(0, COL_EAST));
        dialog.TextCtrl4->ChangeValue(FormatDmmss(Cell(0, COL_DIRECTION)));
    }
    const wxString mileage = dialog.TextCtrl3->GetValue(), north = dialog.TextCtrl1->GetValue();
    const wxString east = dialog.TextCtrl2->GetValue(), direction = dialog.TextCtrl4->GetValue();
    DialogInputCheck::InstallReader(dialog, HorizonElementReader::ReadStartPoint);
    if (!Confirmed(dialog))
        return;
    horizon_element_t record;
    wxString why;
    if (!HorizonElementReader::ReadStartPoint(dialog, &record, &why)) {
        ShowInputError(why);
        return;
    }
    if (n < 1) {
        road_insert_horizon(m_road, &record, 0);
    } else {
        const horizon_element_t &stored = *road_horizon(m_road, 0);
        KeepIfUnchanged(dialog.TextCtrl3, mileage, stored.start_chainage, &record.start_chainage);
        KeepIfUnchanged(dialog.TextCtrl1, north, stored.start_x, &record.start_x);
        KeepIfUnchanged(dialog.TextCtrl2, east, stored.start_y, &record.start_y);
        KeepIfUnchanged(dialog.TextCtrl4, direction, stored.start_azimuth, &record.start_azimuth);
        road_modify_horizon(m_road, &record, 0);
    }
    AfterChange(0, true);
}

void HorizonPanel::AppendElement(const horizon_element_t &element)
{
    const int n = road_number_horizon(m_road);
    road_insert_horizon(m_road, &element, n);
    AfterChange(n, true);
}

// Asks for one new element in its dialog and appends what it reads.
template <typename Dialog>
void HorizonPanel::AppendFromDialog(bool (*read)(const Dialog &, horizon_element_t *, wxString *, wxWindow **))
{
    if (!HasRoad())
        return;
    Dialog dialog(this);
    DialogInputCheck::InstallReader(dialog, read);
    if (!Confirmed(dialog))
        return;
    horizon_element_t record;
    wxString why;
    if (!read(dialog, &record, &why, nullptr))
        return ShowInputError(why);
    AppendElement(record);
}

void HorizonPanel::OnAddLine(wxCommandEvent &)
{
    AppendFromDialog<H_Line>(HorizonElementReader::ReadLine);
}

void HorizonPanel::OnAddCircle(wxCommandEvent &)
{
    AppendFromDialog<H_Round>(HorizonElementReader::ReadCircle);
}

void HorizonPanel::OnAddTransition(wxCommandEvent &)
{
    AppendFromDialog<H_Moderate>(HorizonElementReader::ReadTransition);
}

void HorizonPanel::OnEdit(wxCommandEvent &)
{
    const long row = ElementList->GetFirstSelected();
    if (row < 0 || !HasRoad())
        return;
    if (Cell(row, COL_TYPE) == "Point")
        EditStartPoint(static_cast<int>(row));
    else
        EditElement(static_cast<int>(row));
}

void HorizonPanel::EditStartPoint(int row)
{
    H_StartPoint dialog(this);
    dialog.TextCtrl3->ChangeValue(Cell(row, COL_MILEAGE));
    dialog.TextCtrl1->ChangeValue(Cell(row, COL_NORTH));
    dialog.TextCtrl2->ChangeValue(Cell(row, COL_EAST));
    dialog.TextCtrl4->ChangeValue(FormatDmmss(Cell(row, COL_DIRECTION)));
    const wxString mileage = dialog.TextCtrl3->GetValue(), north = dialog.TextCtrl1->GetValue();
    const wxString east = dialog.TextCtrl2->GetValue(), direction = dialog.TextCtrl4->GetValue();
    DialogInputCheck::InstallReader(dialog, HorizonElementReader::ReadStartPoint);
    if (!Confirmed(dialog))
        return;
    horizon_element_t record;
    wxString why;
    if (!HorizonElementReader::ReadStartPoint(dialog, &record, &why))
        return ShowInputError(why);
    const horizon_element_t &stored = *road_horizon(m_road, row);
    KeepIfUnchanged(dialog.TextCtrl3, mileage, stored.start_chainage, &record.start_chainage);
    KeepIfUnchanged(dialog.TextCtrl1, north, stored.start_x, &record.start_x);
    KeepIfUnchanged(dialog.TextCtrl2, east, stored.start_y, &record.start_y);
    KeepIfUnchanged(dialog.TextCtrl4, direction, stored.start_azimuth, &record.start_azimuth);
    road_modify_horizon(m_road, &record, row);
    AfterChange(row, true);
}

void HorizonPanel::EditElement(int row)
{
    const horizon_element_t stored = *road_horizon(m_road, row);
    const wxString type = Cell(row, COL_TYPE);
    const wxString length = Cell(row, COL_LENGTH), radius1 = Cell(row, COL_RADIUS1);
    const wxString radius2 = Cell(row, COL_RADIUS2);
    const int turn = Cell(row, COL_TURN) == "Left" ? 0 : 1;
    horizon_element_t record;
    wxString why;
    bool read = false;
    if (type == "Line") {
        H_Line dialog(this);
        dialog.TextCtrl1->ChangeValue(length);
        DialogInputCheck::InstallReader(dialog, HorizonElementReader::ReadLine);
        if (!Confirmed(dialog))
            return;
        read = HorizonElementReader::ReadLine(dialog, &record, &why);
        if (read && dialog.RadioButton1->GetValue())
            KeepIfUnchanged(dialog.TextCtrl1, length, stored.length, &record.length);
    } else if (type == "Circle") {
        H_Round dialog(this);
        dialog.TextCtrl1->ChangeValue(radius1);
        dialog.TextCtrl2->ChangeValue(length);
        dialog.Choice1->SetSelection(turn);
        DialogInputCheck::InstallReader(dialog, HorizonElementReader::ReadCircle);
        if (!Confirmed(dialog))
            return;
        read = HorizonElementReader::ReadCircle(dialog, &record, &why);
        if (read) {
            KeepIfUnchanged(dialog.TextCtrl1, radius1, stored.radius, &record.radius);
            if (dialog.RadioButton1->GetValue())
                KeepIfUnchanged(dialog.TextCtrl2, length, stored.length, &record.length);
        }
    } else {
        H_Moderate dialog(this);
        dialog.TextCtrl1->ChangeValue(radius1);
        dialog.TextCtrl2->ChangeValue(radius2);
        dialog.TextCtrl3->ChangeValue(length);
        dialog.Choice1->SetSelection(turn);
        DialogInputCheck::InstallReader(dialog, HorizonElementReader::ReadTransition);
        if (!Confirmed(dialog))
            return;
        read = HorizonElementReader::ReadTransition(dialog, &record, &why);
        if (read) {
            KeepIfUnchanged(dialog.TextCtrl1, radius1, stored.start_radius, &record.start_radius);
            KeepIfUnchanged(dialog.TextCtrl2, radius2, stored.end_radius, &record.end_radius);
            if (dialog.RadioButton1->GetValue())
                KeepIfUnchanged(dialog.TextCtrl3, length, stored.length, &record.length);
        }
    }
    if (!read)
        return ShowInputError(why);
    road_modify_horizon(m_road, &record, row);
    AfterChange(row, true);
}

// Swaps the element at row with the one before it; each keeps its own type,
// radii, length and turn.
void HorizonPanel::SwapWithPrevious(int row)
{
    const int b = row - 1;
    const horizon_element_t current = *road_horizon(m_road, row);
    const horizon_element_t &previous = *road_horizon(m_road, b);
    horizon_element_t moved{};
    moved.type = previous.type;
    moved.radius = previous.radius;
    moved.start_radius = previous.start_radius;
    moved.end_radius = previous.end_radius;
    moved.length = previous.length;
    moved.direction = previous.direction;
    road_modify_horizon(m_road, &current, b);
    road_modify_horizon(m_road, &moved, row);
    road_apply_horizon(m_road);
    RefreshList();
}

void HorizonPanel::OnUp(wxCommandEvent &)
{
    const long a = ElementList->GetFirstSelected();
    if (a < 2 || !HasRoad())
        return;
    SwapWithPrevious(static_cast<int>(a));
    SelectRow(static_cast<int>(a - 1));
    DrawPlan(false);
}

void HorizonPanel::OnDown(wxCommandEvent &)
{
    const long a = ElementList->GetFirstSelected();
    const int c = ElementList->GetItemCount();
    if (a <= 0 || a >= c - 1 || !HasRoad())
        return;
    SwapWithPrevious(static_cast<int>(a + 1));
    SelectRow(static_cast<int>(a + 1));
    DrawPlan(false);
}

void HorizonPanel::OnDelete(wxCommandEvent &)
{
    const long a = ElementList->GetFirstSelected();
    if (a < 0 || !HasRoad())
        return;
    const int c = ElementList->GetItemCount();
    if (a == 0 && c > 1) {
        // The other elements are chained from the start point.
        ShowInputError(wxString::FromUTF8("起点不能删除：请先删除其后的所有要素！"));
        return;
    }
    wxMessageDialog question(this, wxString::FromUTF8("删除操作将不可恢复\n确定要进行删除吗？"),
                             wxString::FromUTF8("平曲线要素"), wxYES_NO | wxICON_INFORMATION);
    if (question.ShowModal() != wxID_YES)
        return;
    road_remove_horizon(m_road, static_cast<int>(a));
    road_apply_horizon(m_road);
    RefreshList();
    SelectRow(c == a + 1 ? c - 2 : static_cast<int>(a));
    DrawPlan(false);
}
