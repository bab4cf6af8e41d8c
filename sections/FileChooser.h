// Where the frame's commands get the path of a file to open or write.  The
// program asks the user with the toolkit's file dialog; tests put in a chooser
// that answers with fixed paths.
#pragma once

#include <wx/string.h>

class wxWindow;

class FileChooser
{
public:
    virtual ~FileChooser() = default;

    // The chosen path in *path and true; false when the user chose nothing.
    // style is the file dialog's (wxFD_OPEN or wxFD_SAVE).
    virtual bool Choose(wxWindow *parent, const wxString &message, const wxString &wildcard, long style,
                        wxString *path) = 0;
    // The filter of the wildcard chosen last (0 the first).
    virtual int GetFilterIndex() const { return 0; }
};

// The toolkit's modal file dialog, centred on the parent, starting with no
// folder and no file name.
class DialogFileChooser : public FileChooser
{
public:
    bool Choose(wxWindow *parent, const wxString &message, const wxString &wildcard, long style,
                wxString *path) override;
    int GetFilterIndex() const override { return m_filterIndex; }

private:
    int m_filterIndex = 0;
};
