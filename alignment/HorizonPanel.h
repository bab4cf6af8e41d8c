// The "Horizon" page of the road element editor: a road's horizontal
// elements as a list and as a plan, the commands that add, edit, move and
// delete elements, conversion between chainage/offset and plane
// coordinates, and ".pm" import and export.  The panel works on a road it
// does not own (SetRoad); every change goes straight to the road library.
#pragma once

#include "MyCanvas.h"
#include "SavePathAsker.h"
#include "road.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

class HorizonPanel : public wxPanel
{
public:
    // The panel always takes identifier -1 and the default position and
    // size, whatever it is given.
    HorizonPanel(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                 const wxSize &size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                 const wxString &name = "wxID_ANY");

    // Attaches the road (not owned), lists and draws it; clears the
    // modified flag.
    void SetRoad(road_t *road);
    road_t *GetRoad() const { return m_road; }
    // True once a command has changed the road since SetRoad.
    bool IsModified() const { return m_modified; }

    void RefreshList();
    // Reads or writes the centre line of a ".pm" file: kind 0 HaiDi, else
    // WeiDi.  Tells the user how it went; false on failure, when the road
    // is unchanged (reading) or the old file kept (writing).
    bool ImportCentreLine(const wxString &path, int kind);
    bool ExportCentreLine(const wxString &path, int kind);
    // Where "Export" asks for the file to write.
    void SetSavePathAsker(SavePathAsker asker) { m_savePathAsker = std::move(asker); }
    void DrawPlan(bool zoom);

    // Commands, also reachable without the buttons.
    void OnStartPoint(wxCommandEvent &event);
    void OnAddLine(wxCommandEvent &event);
    void OnAddCircle(wxCommandEvent &event);
    void OnAddTransition(wxCommandEvent &event);
    void OnConvert(wxCommandEvent &event);
    void OnUp(wxCommandEvent &event);
    void OnDown(wxCommandEvent &event);
    void OnEdit(wxCommandEvent &event);
    void OnDelete(wxCommandEvent &event);
    void OnItemSelected(wxListEvent &event);
    void OnItemDeselected(wxListEvent &event);
    void OnItemActivated(wxListEvent &event);
    void OnSize(wxSizeEvent &event);
    void OnCanvasSelect(wxCommandEvent &event);
    void OnImport(wxCommandEvent &event);
    void OnExport(wxCommandEvent &event);

    static const long ID_BUTTON1;
    static const long ID_BUTTON2;
    static const long ID_BUTTON3;
    static const long ID_BUTTON4;
    static const long ID_STATICTEXT1;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL2;
    static const long ID_BUTTON9;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL3;
    static const long ID_STATICTEXT4;
    static const long ID_TEXTCTRL4;
    static const long ID_STATICTEXT5;
    static const long ID_TEXTCTRL5;
    static const long ID_LISTCTRL1;
    static const long ID_BUTTON5;
    static const long ID_BUTTON6;
    static const long ID_BUTTON7;
    static const long ID_BUTTON8;
    static const long ID_PANEL1;

    // List columns.
    enum Column {
        COL_INDEX, COL_TYPE, COL_MILEAGE, COL_LENGTH, COL_NORTH, COL_EAST, COL_RADIUS1, COL_RADIUS2,
        COL_DIRECTION, COL_TURN
    };

    wxButton *PointButton;
    wxButton *LineButton;
    wxButton *CircleButton;
    wxButton *CurveButton;
    wxTextCtrl *MileageText;
    wxTextCtrl *OffsetText;
    wxButton *ConvertButton;
    wxTextCtrl *NorthText;
    wxTextCtrl *EastText;
    wxTextCtrl *DirectionText;
    wxListView *ElementList;
    wxButton *UpButton;
    wxButton *DownButton;
    wxButton *EditButton;
    wxButton *DeleteButton;
    MyCanvas *PlanCanvas;

private:
    bool HasRoad() const;
    void AppendElement(const horizon_element_t &element);
    template <typename Dialog>
    void AppendFromDialog(bool (*read)(const Dialog &, horizon_element_t *, wxString *, wxWindow **));
    void AfterChange(int row, bool zoom);
    void SelectRow(int row);
    void HighlightRow(int row);
    void EditStartPoint(int row);
    void EditElement(int row);
    void SwapWithPrevious(int row);
    wxString Cell(int row, int column) const;
    bool LocalPath(const wxString &path, wxCharBuffer *local);

    road_t *m_road = nullptr;
    bool m_modified = false;
    // The polyline the panel last highlighted: a canvas pick adds to the
    // canvas's selection, and the new one is the picked element.
    int m_highlighted = -1;
    SavePathAsker m_savePathAsker;

    wxDECLARE_EVENT_TABLE();
};
