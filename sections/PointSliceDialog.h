// The dialog of the "Slice" command: the LAS file to cut, the facts that help
// choose the slice counts (size, point count, extent) and the three counts.
// The caller reads the path and the count fields after OK.
#pragma once

#include <wx/dialog.h>

#include <cstdint>

class FileChooser;
class wxButton;
class wxTextCtrl;

class PointSliceDialog : public wxDialog
{
public:
    PointSliceDialog(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                     const wxSize &size = wxDefaultSize);

    static const long ID_STATICTEXT1;
    static const long ID_TEXTCTRL1;
    static const long ID_BUTTON1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICTEXT3;
    static const long ID_STATICTEXT4;
    static const long ID_TEXTCTRL4;
    static const long ID_STATICTEXT5;
    static const long ID_STATICTEXT9;
    static const long ID_TEXTCTRL7;
    static const long ID_STATICTEXT10;
    static const long ID_TEXTCTRL8;
    static const long ID_STATICTEXT11;
    static const long ID_TEXTCTRL9;
    static const long ID_STATICTEXT6;
    static const long ID_STATICTEXT7;
    static const long ID_TEXTCTRL3;
    static const long ID_STATICTEXT8;
    static const long ID_TEXTCTRL10;
    static const long ID_STATICTEXT12;
    static const long ID_TEXTCTRL11;

    // Where the browse button gets its file; null means the toolkit's file
    // dialog.  The chooser stays the caller's.
    void SetFileChooser(FileChooser *chooser) { m_chooser = chooser; }

    wxString GetPath() const;
    // The three count fields as typed, X, Y, Z.
    wxString GetSliceText(int axis) const;

    // A count field's number: a whole decimal number with an optional sign
    // and blanks around it, kept within int; 0 for any other text.
    static int ReadCount(const wxString &text);

    // Fills the shown facts from the file at path, as the browse button does
    // after the file has been chosen, and lets OK be pressed; false, with a
    // message shown and nothing changed, when the file cannot be read or is
    // not a LAS file the engine reads.
    bool ShowFileFacts(const wxString &path);

    wxTextCtrl *PathText = nullptr;
    wxButton *BrowseButton = nullptr;
    // Enabled once a readable LAS file is shown.
    wxButton *OkButton = nullptr;
    wxTextCtrl *CapacityText = nullptr;
    wxTextCtrl *PointNumText = nullptr;
    wxTextCtrl *ExtentText[3] = {nullptr, nullptr, nullptr};
    wxTextCtrl *SliceText[3] = {nullptr, nullptr, nullptr};

private:
    void OnBrowse(wxCommandEvent &event);

    FileChooser *m_chooser = nullptr;
    int32_t m_pointNumber = 0;
    uint32_t m_capacity = 0;
    double m_box[6] = {0, 0, 0, 0, 0, 0};

    wxDECLARE_EVENT_TABLE();
};
