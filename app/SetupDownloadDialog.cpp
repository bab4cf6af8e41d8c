#include "SetupDownloadDialog.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

wxDEFINE_EVENT(EVT_SETUP_DOWNLOAD_END, wxCommandEvent);

namespace {

const int GAUGE_RANGE = 1000;
const int REFRESH_MS = 100;

wxString Kilobytes(int64_t bytes)
{
    return wxString::Format("%lld", (long long)((bytes + 1023) / 1024));
}

} // namespace

wxBEGIN_EVENT_TABLE(SetupDownloadDialog, wxDialog)
    EVT_TIMER(wxID_ANY, SetupDownloadDialog::OnTimer)
    EVT_BUTTON(wxID_CANCEL, SetupDownloadDialog::OnCancel)
    EVT_CLOSE(SetupDownloadDialog::OnCloseWindow)
wxEND_EVENT_TABLE()

SetupDownloadDialog::SetupDownloadDialog(wxWindow *parent, const wxString &url, int size, const wxString &file,
                                         int timeoutSeconds)
    : wxDialog(parent, wxID_ANY, _("Update")), m_file(file), m_download(timeoutSeconds), m_timer(this)
{
    auto *sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(this, wxID_ANY, _("Downloading Corvane setup file...")), 0, wxALL, 10);
    Gauge = new wxGauge(this, wxID_ANY, GAUGE_RANGE, wxDefaultPosition, wxSize(360, -1));
    sizer->Add(Gauge, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    BytesText = new wxStaticText(this, wxID_ANY, wxString());
    sizer->Add(BytesText, 0, wxEXPAND | wxALL, 10);
    CancelButton = new wxButton(this, wxID_CANCEL, _("Cancel"));
    sizer->Add(CancelButton, 0, wxALIGN_CENTRE | wxBOTTOM, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();

    m_worker = std::thread([this, url, size, file] {
        m_whole = m_download.Fetch(url, size, file);
        m_finished = true;
    });
    m_timer.Start(REFRESH_MS);
    Show();
    CancelButton->SetFocus();
}

SetupDownloadDialog::~SetupDownloadDialog()
{
    Stop();
}

void SetupDownloadDialog::Stop()
{
    m_timer.Stop();
    m_download.Cancel();
    Join();
}

void SetupDownloadDialog::Join()
{
    if (!m_worker.joinable())
        return;
    m_worker.join();
    if (m_outcome == RUNNING)
        m_outcome = m_whole ? WHOLE : m_download.WasCancelled() ? CANCELLED : FAILED;
}

void SetupDownloadDialog::End()
{
    m_timer.Stop();
    Join();
    Hide();
    wxCommandEvent *end = new wxCommandEvent(EVT_SETUP_DOWNLOAD_END, GetId());
    end->SetEventObject(this);
    end->SetInt(m_outcome);
    wxQueueEvent(this, end);
}

void SetupDownloadDialog::OnTimer(wxTimerEvent &)
{
    if (m_finished) {
        End();
        return;
    }
    const int64_t received = m_download.GetReceived(), expected = m_download.GetExpected();
    if (expected > 0) {
        Gauge->SetValue((int)(std::min(received, expected) * GAUGE_RANGE / expected));
        BytesText->SetLabel(wxString::Format(_("%s of %s KB"), Kilobytes(received), Kilobytes(expected)));
    }
}

void SetupDownloadDialog::OnCancel(wxCommandEvent &)
{
    if (!m_worker.joinable())
        return;
    m_download.Cancel();
    End();
}

void SetupDownloadDialog::OnCloseWindow(wxCloseEvent &)
{
    // The frame owns this window and destroys it once the end is handled.
    if (!m_worker.joinable()) {
        Hide();
        return;
    }
    m_download.Cancel();
    End();
}
