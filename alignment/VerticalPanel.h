// The "Vertical" page of the road element editor: the road's profile as a
// list of elements (a start point, then grade lines and vertical curves),
// the commands that add, edit, move and delete them, a chainage-to-elevation
// query and the profile drawn in true scale.  The road library chains the
// elements; the panel fills records, hands them over and shows the result.
#pragma once

#include "road.h"

#include <wx/panel.h>

#include <vector>

class MyCanvas;
class wxButton;
class wxCommandEvent;
class wxListEvent;
class wxListView;
class wxSizeEvent;
class wxTextCtrl;

class VerticalPanel : public wxPanel
{
public:
    VerticalPanel(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                  const wxSize &size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                  const wxString &name = wxPanelNameStr);
    ~VerticalPanel() override;

    // Takes the road to edit (not owned), lists and draws its profile; the
    // panel is then unmodified.
    void SetRoad(road_t *road);
    // Whether any command completed since SetRoad.
    bool IsModified() const { return m_modified; }
    void RefreshList();
    wxString GetCellText(long row, long column) const;
    // Redraws the profile; fit zooms to the whole of it, otherwise the view
    // keeps its scale and position.
    void DrawProfile(bool fit);

    MyCanvas *ProfileCanvas = nullptr;
    wxButton *DeleteButton = nullptr;
    wxButton *DownButton = nullptr;
    wxButton *LineButton = nullptr;
    wxButton *EditButton = nullptr;
    wxButton *CircleButton = nullptr;
    wxButton *PointButton = nullptr;
    wxButton *UpButton = nullptr;
    wxListView *ElementList = nullptr;
    wxTextCtrl *SlopeText = nullptr;
    wxTextCtrl *HeightText = nullptr;
    wxTextCtrl *MileageText = nullptr;

    static const long ID_BUTTON1;
    static const long ID_BUTTON2;
    static const long ID_BUTTON3;
    static const long ID_STATICTEXT1;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL3;
    static const long ID_LISTCTRL1;
    static const long ID_BUTTON4;
    static const long ID_BUTTON5;
    static const long ID_BUTTON6;
    static const long ID_BUTTON7;
    static const long ID_PANEL1;

private:
    void CreateControls();
    void LayOut(wxWindow *mileageLabel, wxWindow *heightLabel, wxWindow *slopeLabel);
    void InsertColumns();
    void BindHandlers();

    void OnStartPoint(wxCommandEvent &event);
    void OnAddLine(wxCommandEvent &event);
    void OnAddCurve(wxCommandEvent &event);
    void OnEdit(wxCommandEvent &event);
    void OnItemActivated(wxListEvent &event);
    void OnUp(wxCommandEvent &event);
    void OnDown(wxCommandEvent &event);
    void OnDelete(wxCommandEvent &event);
    void OnMileageEnter(wxCommandEvent &event);
    void OnSize(wxSizeEvent &event);
    void OnItemSelected(wxListEvent &event);
    void OnItemDeselected(wxListEvent &event);
    void OnCanvasSelect(wxCommandEvent &event);

    long SelectedRow() const;
    void SelectRow(long row);
    void ClearHighlight();
    // Appends a grade line or curve after the last element.
    void AppendElement(const vertical_element_t &element);
    // The profile before a command, to put back when the command would
    // break it.
    struct Snapshot {
        std::vector<vertical_element_t> elements;
        bool sound;
    };
    Snapshot TakeSnapshot() const;
    // Chains the profile; when the change made a sound profile unsound, puts
    // back the elements as they were before it, says why and answers false.
    bool ChainOrUndo(const Snapshot &before);
    // Lists, selects the row and redraws after a completed command.
    void ShowResult(long row, bool fit);

    road_t *m_road = nullptr;
    bool m_modified = false;

    wxDECLARE_EVENT_TABLE();
};
