#include "wxRibbonFlag.h"

#include "AppResources.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/ribbon/art.h>
#include <wx/sizer.h>

wxBEGIN_EVENT_TABLE(wxRibbonFlag, wxRibbonPanel)
    EVT_ERASE_BACKGROUND(wxRibbonFlag::OnEraseBackground)
    EVT_PAINT(wxRibbonFlag::OnPaint)
wxEND_EVENT_TABLE()

wxRibbonFlag::wxRibbonFlag(wxWindow *parent, wxWindowID id, const wxString &label, const wxBitmap &minimisedIcon,
                           const wxPoint &pos, const wxSize &size, long style)
    : wxRibbonPanel(parent, id, label, minimisedIcon, pos, size, style)
{
    LoadLogo(AppResourcePath("icons//logo.png"));
}

bool wxRibbonFlag::LoadLogo(const wxString &path)
{
    m_logo = wxBitmap();
    if (!wxFileName::FileExists(path))
        return false;
    wxLogNull quiet;
    m_logo = wxBitmap(path, wxBITMAP_TYPE_ANY);
    return m_logo.IsOk();
}

// The panel's own layout, kept safe while no art provider is set yet.
bool wxRibbonFlag::Layout()
{
    if (IsMinimised() || !m_art)
        return true;
    wxClientDC dc(this);
    wxPoint position;
    wxSize size = m_art->GetPanelClientSize(dc, this, GetSize(), &position);
    if (GetSizer()) {
        GetSizer()->SetDimension(position, size);
    } else if (GetChildren().GetCount() == 1) {
        GetChildren().GetFirst()->GetData()->SetSize(wxRect(position, size));
    }
    if (HasExtButton())
        m_ext_button_rect = m_art->GetPanelExtButtonArea(dc, this, GetSize());
    return true;
}

void wxRibbonFlag::OnEraseBackground(wxEraseEvent &)
{
}

void wxRibbonFlag::OnPaint(wxPaintEvent &)
{
    wxAutoBufferedPaintDC dc(this);
    Draw(dc, GetSize());
}

void wxRibbonFlag::Draw(wxDC &dc, const wxSize &size)
{
    if (!m_art)
        return;
    const wxRect whole(0, 0, size.GetWidth(), size.GetHeight());
    if (IsMinimised()) {
        m_art->DrawMinimisedPanel(dc, this, whole, m_minimised_icon_resized);
        return;
    }
    m_art->DrawPanelBackground(dc, this, whole);
    if (m_logo.IsOk()) {
        const wxSize client = GetClientSize();
        dc.DrawBitmap(m_logo, client.GetWidth() - m_logo.GetWidth() - 10,
                      (client.GetHeight() - m_logo.GetHeight()) / 2, false);
    }
}
