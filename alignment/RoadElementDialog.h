// The road element editor: the road's plan ("Horizon") and profile
// ("Vertical") on two notebook pages.  Both pages change the road in memory
// at once; the caller asks IsModified afterwards and writes the road back.
#pragma once

#include "road.h"

#include <wx/dialog.h>

class HorizonPanel;
class VerticalPanel;
class wxNotebook;
class wxSizeEvent;

class RoadElementDialog : public wxDialog
{
public:
    RoadElementDialog(wxWindow *parent, road_t *road, wxWindowID id = -1);
    ~RoadElementDialog() override;

    // Whether either page completed a command on the road.
    bool IsModified() const;

    HorizonPanel *HorizonPage = nullptr;
    VerticalPanel *VerticalPage = nullptr;
    wxNotebook *ElementBook = nullptr;

    static const long ID_NOTEBOOK1;
    static const long ID_PANEL1;
    static const long ID_PANEL2;

private:
    void OnSize(wxSizeEvent &event);

    wxDECLARE_EVENT_TABLE();
};
