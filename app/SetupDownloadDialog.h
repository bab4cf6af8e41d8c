// The window of a setup download that runs beside the program: the download
// works on a thread of its own, the window shows how far it is and its Cancel
// button (or Escape, or the window's close box) ends it at once.
#pragma once

#include "SetupDownload.h"

#include <wx/dialog.h>
#include <wx/timer.h>

#include <atomic>
#include <thread>

class wxButton;
class wxGauge;
class wxStaticText;

// Queued to the dialog itself once the download has ended by itself or by
// Cancel; not after Stop().
wxDECLARE_EVENT(EVT_SETUP_DOWNLOAD_END, wxCommandEvent);

class SetupDownloadDialog : public wxDialog
{
public:
    enum Outcome { RUNNING, WHOLE, FAILED, CANCELLED };

    // Starts fetching url into file, expecting size bytes, and shows itself.
    SetupDownloadDialog(wxWindow *parent, const wxString &url, int size, const wxString &file,
                        int timeoutSeconds);
    // Stops a download still running.
    ~SetupDownloadDialog() override;

    // Ends a running download at once; its partial file is removed.  Posts
    // no end event.
    void Stop();

    Outcome GetOutcome() const { return m_outcome; }
    // Why a download failed.
    const wxString &GetError() const { return m_download.GetError(); }
    const wxString &GetFile() const { return m_file; }
    int64_t GetReceived() const { return m_download.GetReceived(); }

    wxGauge *Gauge;
    wxStaticText *BytesText;
    wxButton *CancelButton;

private:
    void OnTimer(wxTimerEvent &event);
    void OnCancel(wxCommandEvent &event);
    void OnCloseWindow(wxCloseEvent &event);

    // Waits for the thread; the outcome follows from what it left.
    void Join();
    // Hides the window and queues the end event.
    void End();

    wxString m_file;
    SetupDownload m_download;
    std::atomic<bool> m_finished{false};
    bool m_whole = false;
    std::thread m_worker;
    wxTimer m_timer;
    Outcome m_outcome = RUNNING;

    wxDECLARE_EVENT_TABLE();
};
