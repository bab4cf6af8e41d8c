// The colours and visibility of section points by LAS classification code,
// one row per named class (0 to 17): a check box for shown or hidden, the
// code, its description and its colour, which a double click or Enter lets
// the user pick.  The caller copies its table in before showing the dialog
// and out after OK; rows 18 to 31 are never shown and never touched.
#pragma once

#include <wx/colour.h>
#include <wx/dialog.h>

class wxListEvent;
class wxListView;

class SectionColorTableDialog : public wxDialog
{
public:
    SectionColorTableDialog(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                            const wxSize &size = wxDefaultSize);
    ~SectionColorTableDialog() override;

    void SetColorTable(const unsigned char *visible, const float (*colors)[4]);
    void GetColorTable(unsigned char *visible, float (*colors)[4]) const;

    wxListView *GetList() const { return m_list; }

    static const long ID_LISTVIEW1;
    enum { CLASS_COUNT = 32, SHOWN_ROWS = 18 };

    // Float channels 0..1 to 8-bit channels (truncated) and back.
    static unsigned char ChannelOf(float value);
    static float FloatOf(unsigned char channel);

private:
    void OnItemChecked(wxListEvent &event);
    void OnItemUnchecked(wxListEvent &event);
    void OnItemActivated(wxListEvent &event);
    void ShowRowColour(long row);
    int ClassColumnWidth() const;

    // The list draws its check box and the text after it with this much
    // space around them in all.
    enum { CHECK_BOX_MARGINS = 32 };

    wxListView *m_list = nullptr;
    wxColour m_colors[CLASS_COUNT];
    unsigned char m_visible[CLASS_COUNT] = {};
    int m_rowCount = SHOWN_ROWS;

    wxDECLARE_EVENT_TABLE();
};
