// Where the frame's commands get the path of a file to open or write.  The
// program asks the user with the toolkit's file dialog; tests put in a chooser
// that answers with fixed paths.
#pragma once

#include <wx/string.h>

#include <functional>

class wxWindow;

class FileChooser
{
public:
    // Why the file at path, of the chosen filter, must not be saved; empty
    // when it may.
    using SaveCheck = std::function<wxString(const wxString &path, int filter)>;

    virtual ~FileChooser() = default;

    // The chosen path in *path and true; false when the user chose nothing.
    // style is the file dialog's (wxFD_OPEN or wxFD_SAVE).  A file to save
    // gets the extension of the chosen filter unless its name ends in it.
    // A folder, or a file that check refuses, is refused with a message
    // before anything is asked, and another name is asked for; with
    // wxFD_OVERWRITE_PROMPT a file of the final name is replaced only after
    // the user said Yes, and No asks for another name.
    bool Choose(wxWindow *parent, const wxString &message, const wxString &wildcard, long style, wxString *path,
                const SaveCheck &check = SaveCheck());
    // The filter of the wildcard chosen last (0 the first).
    virtual int GetFilterIndex() const { return 0; }

    // The path with the extension of the wildcard's filter number filter
    // ("*.hdm" gives ".hdm") unless its file name already ends in it, in
    // any case: "road" and "road.v2" become "road.pm" and "road.v2.pm", and
    // "road." becomes "road.pm".
    static wxString WithFilterExtension(const wxString &path, const wxString &wildcard, int filter);
    // Why a save cannot go to path when it is a folder; empty when it is not.
    static wxString FolderRefusal(const wxString &path);

protected:
    // Asks for one path as the user typed or picked it; *path comes in with
    // the name to start from (empty the first time).
    virtual bool AskPath(wxWindow *parent, const wxString &message, const wxString &wildcard, long style,
                         wxString *path) = 0;
    // Whether the existing file at path may be replaced.
    virtual bool ConfirmReplace(wxWindow *parent, const wxString &path);
    // Tells why the chosen file cannot be saved.
    virtual void ShowRefusal(wxWindow *parent, const wxString &why);
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
