// Sets up one batch of road sections: the road, the buffer and section
// widths, and the chain list of latitude chainages or longitude chainage
// ranges, built by import, generation or by hand.  OK is refused, with a
// message saying why, until the batch would make the sections the list
// shows.
#pragma once

#include <wx/dialog.h>

#include "SectionText.h"

#include <array>
#include <map>
#include <vector>

class AddChainDialog;
class FileChooser;
class wxButton;
class wxChoice;
class wxListView;
class wxStaticText;
class wxTextCtrl;
struct wks_road_t;

enum RoadSectionMode {
    ROAD_SECTION_LATITUDE = 0,
    ROAD_SECTION_LONGITUDE = 1
};

class RoadSectionDialog : public wxDialog
{
public:
    RoadSectionDialog(wxWindow *parent, RoadSectionMode mode, wxWindowID id = wxID_ANY,
                      const wxPoint &pos = wxDefaultPosition, const wxSize &size = wxDefaultSize);
    ~RoadSectionDialog() override;

    static const long ID_STATICTEXT5;
    static const long ID_CHOICE1;
    static const long ID_STATICTEXT4;
    static const long ID_TEXTCTRL4;
    static const long ID_STATICTEXT6;
    static const long ID_TEXTCTRL5;
    static const long ID_LISTVIEW1;
    static const long ID_BUTTON1;
    static const long ID_BUTTON5;
    static const long ID_BUTTON3;
    static const long ID_BUTTON4;
    static const long ID_BUTTON2;

    // More rows than this at once are refused: a list that long is a typing
    // slip in the spacing, not a survey.
    static const long MAX_GENERATED_ROWS = SectionText::MAX_ROWS;

    // Where Import asks for its file; the toolkit's dialog unless set.  Not
    // owned.
    void SetFileChooser(FileChooser *chooser) { m_fileChooser = chooser; }

    // What OK checks: a road, positive widths, at least one row, every
    // chainage on the road and, for longitude rows, end after start.  Shows
    // what is wrong and answers false.
    bool AcceptInput();

    // The answers, read from the controls as the caller hands them on.
    int GetRoadIndex() const;
    wks_road_t *GetRoad() const;
    std::vector<std::array<double, 2>> GetRows() const;
    double GetBufferWidth() const;
    double GetSectionWidth() const;
    RoadSectionMode GetMode() const { return m_mode; }

    wxChoice *GetRoadChoice() const { return m_roadChoice; }
    wxListView *GetChainList() const { return m_chainList; }
    wxTextCtrl *GetBufferWidthField() const { return m_bufferWidthField; }
    wxTextCtrl *GetSectionWidthField() const { return m_sectionWidthField; }

    // Appends a row with the next Index number; the chainage as listed.
    double AppendRow(double first, double second);

private:
    // Listed chainages, as the list shows them, with their row positions.
    using ListedChains = std::multimap<double, long>;

    ListedChains GetListedChains() const;
    // The first row whose chainage lies within 0.001 of chain, -1 when
    // none: Add and Import keep such a chainage out.
    static long SameChainRow(const ListedChains &listed, double chain);
    void ReportImport(int added, const std::vector<int> &unread, int duplicates);
    static wxString DuplicatesDropped(int duplicates);
    void FillRoadChoice();
    void ApplyMode();
    bool ChooseImportFile(wxString *path);
    void Warn(const wxString &message);
    // False, with a message, when rows more would pass a list's bound.
    bool HasRoomFor(long rows);
    bool CheckRows(wks_road_t *road);

    void OnImport(wxCommandEvent &event);
    void OnGenerate(wxCommandEvent &event);
    void OnAddChain(wxCommandEvent &event);
    // The two numbers of a new chain-list row, or a refusal at the field to
    // correct (not a number, or a chain the list already has).
    bool ReadNewChain(AddChainDialog &dialog, double *first, double *second, wxString *why, wxWindow **field) const;
    void OnDelete(wxCommandEvent &event);
    void OnClear(wxCommandEvent &event);
    void OnOK(wxCommandEvent &event);

    wxButton *m_addButton;
    wxButton *m_cancelButton;
    wxButton *m_clearButton;
    wxButton *m_deleteButton;
    wxButton *m_generateButton;
    wxButton *m_importButton;
    wxButton *m_okButton;
    wxChoice *m_roadChoice;
    wxListView *m_chainList;
    wxStaticText *m_bufferWidthLabel;
    wxStaticText *m_roadLabel;
    wxStaticText *m_sectionWidthLabel;
    wxTextCtrl *m_bufferWidthField;
    wxTextCtrl *m_sectionWidthField;
    RoadSectionMode m_mode;
    FileChooser *m_fileChooser = nullptr;

    wxDECLARE_EVENT_TABLE();
};
