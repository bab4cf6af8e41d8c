// Road selection: one road of the open project, chosen from a list of their
// file names, or first made from a new ".pm" file name with "Create".  The
// caller reads the chosen index from RoadChoice after OK.
#pragma once

#include "SavePathAsker.h"

#include <wx/dialog.h>

class wxButton;
class wxChoice;
class wxCommandEvent;
class wxStaticText;

class RoadsDialog : public wxDialog
{
public:
    RoadsDialog(wxWindow *parent, wxWindowID id = -1, const wxPoint &pos = wxDefaultPosition,
                const wxSize &size = wxDefaultSize);
    ~RoadsDialog() override;

    // Lists the workspace's roads, the last one selected.
    void FillRoads();
    // Where "Create" asks for the new road's file.
    void SetSavePathAsker(SavePathAsker asker) { m_savePathAsker = std::move(asker); }

    wxButton *CancelButton = nullptr;
    wxButton *CreateButton = nullptr;
    wxButton *OkButton = nullptr;
    wxChoice *RoadChoice = nullptr;
    wxStaticText *RoadLabel = nullptr;

    static const long ID_STATICTEXT1;
    static const long ID_CHOICE1;
    static const long ID_BUTTON1;

protected:
    // Asks for the ".pm" file of the road to create; false when cancelled.
    virtual bool ChooseNewRoadFile(wxString *path);

private:
    void OnCreate(wxCommandEvent &event);
    void OnOk(wxCommandEvent &event);
    // Why a road cannot be made on this file (empty when it can); selects
    // the road when the project already has it.
    wxString RefuseNewRoadFile(const wxString &path);

    SavePathAsker m_savePathAsker;

    wxDECLARE_EVENT_TABLE();
};
