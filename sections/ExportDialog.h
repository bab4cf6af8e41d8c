// Chooses which kind of sections to export, one tree book page per kind,
// and what to include, one check box per option.
#pragma once

#include <wx/dialog.h>

class wxCheckBox;
class wxPanel;
class wxTreebook;

class ExportDialog : public wxDialog
{
public:
    enum Page {
        PAGE_LATITUDE = 0,
        PAGE_LONGITUDE = 1,
        PAGE_CUSTOM = 2
    };

    ExportDialog(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                 const wxSize &size = wxDefaultSize);
    ~ExportDialog() override;

    static const long ID_CHECKBOX1;
    static const long ID_CHECKBOX2;
    static const long ID_CHECKBOX3;
    static const long ID_PANEL1;
    static const long ID_CHECKBOX4;
    static const long ID_CHECKBOX5;
    static const long ID_PANEL2;
    static const long ID_CHECKBOX6;
    static const long ID_CHECKBOX7;
    static const long ID_PANEL3;
    static const long ID_TREEBOOK1;

    // The selected page, -1 for none.
    int GetSelectedPage() const;
    // The selected page's boxes from the top, 1 ticked and 0 cleared; 0 where
    // the page has fewer boxes.
    void GetOptions(int options[3]) const;

    wxTreebook *GetTreebook() const { return m_treebook; }
    // Box index of a page, from the top.
    wxCheckBox *GetCheckBox(int page, int index) const;

private:
    wxTreebook *m_treebook;
    wxPanel *m_pages[3];
    wxCheckBox *m_latitudeSection;
    wxCheckBox *m_latitudeLongitude;
    wxCheckBox *m_latitudePoints;
    wxCheckBox *m_longitudeSection;
    wxCheckBox *m_longitudePoints;
    wxCheckBox *m_customSection;
    wxCheckBox *m_customPoints;

    wxDECLARE_EVENT_TABLE();
};
