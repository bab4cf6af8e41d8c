#include "FileChooser.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/tokenzr.h>

bool FileChooser::Choose(wxWindow *parent, const wxString &message, const wxString &wildcard, long style,
                         wxString *path, const SaveCheck &check)
{
    wxString chosen;
    for (;;) {
        if (!AskPath(parent, message, wildcard, style, &chosen))
            return false;
        if (!(style & wxFD_SAVE))
            break;
        // The program's own Open dialogs list files by their extension; a
        // file saved without it could not be found again.
        chosen = WithFilterExtension(chosen, wildcard, GetFilterIndex());
        // Refused whatever the user would answer, so nothing is asked.
        wxString refusal = FolderRefusal(chosen);
        if (refusal.empty() && check)
            refusal = check(chosen, GetFilterIndex());
        if (!refusal.empty()) {
            ShowRefusal(parent, refusal);
            continue;
        }
        if (!(style & wxFD_OVERWRITE_PROMPT) || !wxFileName::FileExists(chosen) || ConfirmReplace(parent, chosen))
            break;
    }
    *path = chosen;
    return true;
}

wxString FileChooser::FolderRefusal(const wxString &path)
{
    return wxFileName::DirExists(path) ? wxString::Format(_("%s is a folder. Choose a file name."), path) : wxString();
}

wxString FileChooser::WithFilterExtension(const wxString &path, const wxString &wildcard, int filter)
{
    const wxFileName name(path);
    if (path.empty() || (name.GetName().empty() && name.GetExt().empty()))
        return path;
    // The wildcard is "description|patterns|description|patterns...";
    // filter n's patterns are field 2n + 1, the first of them counts.
    const wxArrayString fields = wxStringTokenize(wildcard, "|", wxTOKEN_RET_EMPTY_ALL);
    const size_t field = 2 * size_t(filter < 0 ? 0 : filter) + 1;
    if (field >= fields.size())
        return path;
    const wxString pattern = fields[field].BeforeFirst(';').Trim().Trim(false);
    const wxString extension = pattern.AfterLast('.');
    if (!pattern.StartsWith("*.") || extension.empty() || extension.find_first_of("*?") != wxString::npos)
        return path;
    if (name.HasExt() && name.GetExt().IsSameAs(extension, false))
        return path;
    wxString stem = path;
    while (stem.EndsWith("."))
        stem.RemoveLast();
    return stem + "." + extension;
}

bool FileChooser::ConfirmReplace(wxWindow *parent, const wxString &path)
{
    wxMessageDialog question(parent,
                             wxString::Format(_("The file %s already exists.\nDo you want to replace it?"), path),
                             _("Warning"), wxYES_NO | wxNO_DEFAULT | wxCENTRE | wxICON_WARNING);
    return question.ShowModal() == wxID_YES;
}

void FileChooser::ShowRefusal(wxWindow *parent, const wxString &why)
{
    wxMessageBox(why, _("Error"), wxOK | wxCENTRE | wxICON_ERROR, parent);
}

bool DialogFileChooser::AskPath(wxWindow *parent, const wxString &message, const wxString &wildcard, long style,
                                wxString *path)
{
    // The toolkit's own overwrite question would be about the name as
    // typed, before the extension is added; Choose asks about the final one.
    const wxFileName start(*path);
    wxFileDialog dialog(parent, message, start.GetPath(), start.GetFullName(), wildcard,
                        style & ~wxFD_OVERWRITE_PROMPT, wxDefaultPosition, wxDefaultSize);
    // Asked again after No: the filter chosen the time before.
    if (!path->empty())
        dialog.SetFilterIndex(m_filterIndex);
    dialog.CentreOnParent(wxBOTH);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    *path = dialog.GetPath();
    m_filterIndex = dialog.GetFilterIndex();
    return true;
}
