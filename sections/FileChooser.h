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
    // style is the file dialog's (wxFD_OPEN or wxFD_SAVE).  A file to save
    // gets the extension of the chosen filter when its name has none; with
    // wxFD_OVERWRITE_PROMPT a file of that final name is replaced only after
    // the user said Yes, and No asks for another name.
    bool Choose(wxWindow *parent, const wxString &message, const wxString &wildcard, long style, wxString *path);
    // The filter of the wildcard chosen last (0 the first).
    virtual int GetFilterIndex() const { return 0; }

    // The path with the extension of the wildcard's filter number filter
    // ("*.hdm" gives ".hdm") when its file name has no extension.
    static wxString WithFilterExtension(const wxString &path, const wxString &wildcard, int filter);

protected:
    // Asks for one path as the user typed or picked it; *path comes in with
    // the name to start from (empty the first time).
    virtual bool AskPath(wxWindow *parent, const wxString &message, const wxString &wildcard, long style,
                         wxString *path) = 0;
    // Whether the existing file at path may be replaced.
    virtual bool ConfirmReplace(wxWindow *parent, const wxString &path);
};

// The toolkit's modal file dialog, centred on the parent, starting with no
// folder and no file name.
class DialogFileChooser : public FileChooser
{
public:
    int GetFilterIndex() const override { return m_filterIndex; }

protected:
    bool AskPath(wxWindow *parent, const wxString &message, const wxString &wildcard, long style,
                 wxString *path) override;

private:
    int m_filterIndex = 0;
};
