// The ribbon panel that shows the program's logo at its right edge.
#pragma once

#include <wx/bitmap.h>
#include <wx/ribbon/panel.h>

class wxRibbonFlag : public wxRibbonPanel
{
public:
    wxRibbonFlag(wxWindow *parent, wxWindowID id = wxID_ANY, const wxString &label = wxEmptyString,
                 const wxBitmap &minimisedIcon = wxNullBitmap, const wxPoint &pos = wxDefaultPosition,
                 const wxSize &size = wxDefaultSize, long style = wxRIBBON_PANEL_DEFAULT_STYLE);

    // Replaces the logo by an image file of any known type; a file that is
    // missing or unreadable leaves no logo.
    bool LoadLogo(const wxString &path);
    const wxBitmap &GetLogo() const { return m_logo; }

    bool Layout() override;

    // Paints the panel as it is at the given size onto any device context.
    void Draw(wxDC &dc, const wxSize &size);

private:
    void OnEraseBackground(wxEraseEvent &event);
    void OnPaint(wxPaintEvent &event);

    wxBitmap m_logo;

    wxDECLARE_EVENT_TABLE();
};
