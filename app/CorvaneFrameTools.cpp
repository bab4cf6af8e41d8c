// The frame's tool commands: slicing a LAS file, the About box, the manual,
// and the update offer with the download of the setup file.
#include "CorvaneFrame.h"

#include "AboutDialog.h"
#include "FileChooser.h"
#include "HelpDialog.h"
#include "DialogInputCheck.h"
#include "PointSliceDialog.h"
#include "SaveGuard.h"
#include "SetupDownload.h"
#include "SetupDownloadDialog.h"
#include "TaskThread.h"
#include "UpdateRequest.h"
#include "UpdateVersionEvent.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/utils.h>

#include <climits>
#include <vector>

#include <wx/textctrl.h>

namespace {

// Every file the slicing may write, beside the LAS file: the counts are
// whole and the product fits, or the list is empty.
std::vector<wxString> SlicePieces(const PointSliceDialog &dialog)
{
    int counts[3];
    long long product = 1;
    for (int k = 0; k < 3; k++) {
        counts[k] = PointSliceDialog::ReadCount(dialog.GetSliceText(k));
        product *= counts[k] > 0 ? counts[k] : 0;
    }
    std::vector<wxString> pieces;
    if (product <= 0 || product > VELMO_SLICE_PIECES_MAX)
        return pieces;
    // The buffer may point into the text itself, which must outlive it.
    const wxString path = dialog.GetPath();
    const wxScopedCharBuffer source = path.utf8_str();
    char piece[VELMO_PATH_SIZE];
    for (int z = 0; z < counts[2]; z++)
        for (int y = 0; y < counts[1]; y++)
            for (int x = 0; x < counts[0]; x++) {
                const int ijk[3] = {x, y, z};
                if (source.data() && velmo_slice_piece_path(source.data(), ijk, piece, sizeof piece))
                    pieces.push_back(wxString::FromUTF8(piece));
            }
    return pieces;
}

// The slice counts asked for: each a whole number of at least 1, their
// product a number of pieces that fits an int.  Refuses at the field to
// correct.
bool CheckSliceInput(PointSliceDialog &dialog, wxString *why, wxWindow **field)
{
    if (dialog.GetPath().empty())
        return DialogInputCheck::Refuse(_("Choose the LAS file to slice with the \"...\" button."),
                                        dialog.FindWindow(PointSliceDialog::ID_BUTTON1), why, field);
    const char *axes[3] = {"X", "Y", "Z"};
    long long product = 1;
    for (int k = 0; k < 3; k++) {
        const int count = PointSliceDialog::ReadCount(dialog.GetSliceText(k));
        if (count < 1)
            return DialogInputCheck::Refuse(
                wxString::Format(_("The %s slice count must be a whole number of at least 1, not \"%s\"."), axes[k],
                                 dialog.GetSliceText(k)),
                static_cast<wxWindow *>(dialog.SliceText[k]), why, field);
        product *= count;
        if (product > INT_MAX)
            return DialogInputCheck::Refuse(_("The slice counts ask for too many pieces."),
                                            static_cast<wxWindow *>(dialog.SliceText[k]), why, field);
    }
    for (const wxString &piece : SlicePieces(dialog)) {
        const wxString refusal = SaveGuard::Refusal(piece, VELMO_FILE_LAS);
        if (!refusal.empty())
            return DialogInputCheck::Refuse(_("A slice cannot be written: ") + refusal,
                                            dialog.FindWindow(PointSliceDialog::ID_BUTTON1), why, field);
    }
    return true;
}

// The pieces of the slicing that are there already, as its files.
std::vector<wxString> ExistingPieces(const PointSliceDialog &dialog)
{
    std::vector<wxString> existing;
    for (const wxString &piece : SlicePieces(dialog))
        if (wxFileName::FileExists(piece))
            existing.push_back(piece);
    return existing;
}

wxString Unescaped(wxString text)
{
    text.Replace("\\r", "\r");
    text.Replace("\\n", "\n");
    return text;
}

} // namespace

void CorvaneFrame::OnSliceLas(wxRibbonButtonBarEvent &)
{
    if (RefuseWhileBusy())
        return;
    PointSliceDialog dialog(this, wxID_ANY, wxDefaultPosition);
    if (!m_fileChooser)
        m_fileChooser = std::make_unique<DialogFileChooser>();
    dialog.SetFileChooser(m_fileChooser.get());
    DialogInputCheck::Install(
        dialog, [&dialog](wxString *why, wxWindow **field) { return CheckSliceInput(dialog, why, field); },
        _("Error"));
    if (dialog.ShowModal() != wxID_OK)
        return;
    wxString why;
    if (!CheckSliceInput(dialog, &why, nullptr)) {
        ShowError(why);
        return;
    }
    const std::vector<wxString> existing = ExistingPieces(dialog);
    if (!existing.empty()) {
        const wxString question =
            existing.size() == 1
                ? wxString::Format(_("The slice %s is there already.\nDo you want to replace it?"), existing[0])
                : wxString::Format(_("%zu slices are there already, %s among them.\nDo you want to replace them?"),
                                   existing.size(), existing[0]);
        if (!Confirm(question, true))
            return;
    }
    const wxString path = dialog.GetPath();
    int counts[3];
    for (int k = 0; k < 3; k++)
        counts[k] = PointSliceDialog::ReadCount(dialog.GetSliceText(k));
    StartTask(new TaskThread(this, TASK_SLICE_LAS, path, counts));
}

void CorvaneFrame::OnAbout(wxRibbonButtonBarEvent &)
{
    AboutDialog dialog(this, wxID_ANY, wxDefaultPosition, wxDefaultSize);
    dialog.ShowModal();
}

void CorvaneFrame::OnManual(wxRibbonButtonBarEvent &)
{
    HelpDialog dialog(this, wxID_ANY, wxDefaultPosition);
    dialog.ShowModal();
}

void CorvaneFrame::OnUpdateVersion(UpdateVersionEvent &event)
{
    if (!UpdateRequest::IsNewer(event.GetVersion(), cvVersion) || m_setupDownload)
        return;
    // The version becomes part of a file name; anything but digits and dots
    // could carry a path from the server into the file system, so such an
    // offer is dropped like any other malformed answer.
    if (!SetupDownload::IsPlainVersion(event.GetVersion()))
        return;
    // Nor is an offer made that the download would refuse after Yes.
    if (!SetupDownload::CanFetch(wxString::FromUTF8(event.GetUrl()), event.GetFileSize()))
        return;
    const wxString version = wxString::FromUTF8(event.GetVersion());
    const wxString description = Unescaped(wxString::FromUTF8(event.GetDescription()));
    wxMessageDialog offer(this, wxString::Format(_("New version:%s\n%s\nWill you download it now?"), version,
                                                 description),
                          _("Update"), wxYES_NO | wxCENTRE);
    if (offer.ShowModal() != wxID_YES)
        return;

    const wxString folder = SetupDownload::UserDataFolder();
    if (!wxFileName::DirExists(folder) && !wxFileName::Mkdir(folder, 0777, wxPATH_MKDIR_FULL)) {
        wxMessageBox(wxString::Format(_("Cannot create the folder %s."), folder), _("Update"),
                     wxOK | wxCENTRE | wxICON_ERROR, this);
        return;
    }
    DownloadSetup(wxString::FromUTF8(event.GetUrl()), event.GetFileSize(),
                  SetupDownload::SetupFilePath(folder, version));
}

void CorvaneFrame::DownloadSetup(const wxString &url, int size, const wxString &file)
{
    m_setupDownload = new SetupDownloadDialog(this, url, size, file, UpdateRequest::FromConfig().GetTimeout());
    m_setupDownload->Bind(EVT_SETUP_DOWNLOAD_END, &CorvaneFrame::OnSetupDownloadEnd, this);
}

void CorvaneFrame::OnSetupDownloadEnd(wxCommandEvent &event)
{
    SetupDownloadDialog *download = m_setupDownload;
    if (!download || event.GetEventObject() != download)
        return;
    m_setupDownload = nullptr;
    const wxString file = download->GetFile(), error = download->GetError();
    const int outcome = download->GetOutcome();
    download->Destroy();
    // A download the user cancelled needs no message.
    if (outcome == SetupDownloadDialog::FAILED)
        wxMessageBox(error, _("Update"), wxOK | wxCENTRE | wxICON_ERROR, this);
    if (outcome != SetupDownloadDialog::WHOLE)
        return;

    wxMessageDialog setup(this, _("Download finished,will you setup it now?"), _("Setup"), wxYES_NO | wxCENTRE);
    if (setup.ShowModal() != wxID_YES)
        return;
    // The installer replaces this program, so the program leaves once the
    // installer runs; if it cannot be started the program stays.
    const wxScopedCharBuffer program = file.fn_str();
    const char *argv[] = {program.data(), nullptr};
    if (wxExecute(argv, wxEXEC_ASYNC) <= 0) {
        wxMessageBox(wxString::Format(_("Cannot start the setup file %s."), file), _("Setup"),
                     wxOK | wxCENTRE | wxICON_ERROR, this);
        return;
    }
    wxTheApp->ExitMainLoop();
}

bool CorvaneFrame::StopSetupDownloadForClose(wxCloseEvent &event)
{
    if (!m_setupDownload)
        return true;
    const bool running = m_setupDownload->GetOutcome() == SetupDownloadDialog::RUNNING;
    if (running && event.CanVeto() && !Confirm(_("The setup file of the new version is still being downloaded. Stop the "
                                      "download and close?"))) {
        event.Veto();
        return false;
    }
    // The download may have ended while the question was open.
    if (!m_setupDownload)
        return true;
    m_setupDownload->Stop();
    m_setupDownload->Destroy();
    m_setupDownload = nullptr;
    return true;
}
