// The three section values (point size, buffer width, section width) as a
// small stand-alone window of sliders with value labels.  Like the section
// tool window it keeps no values: slider changes go at once to its host (the
// main frame), and the host's values come back through SetValues.
#pragma once

#include <wx/dialog.h>

class SectionToolHost;
class wxCloseEvent;
class wxCommandEvent;
class wxSlider;
class wxStaticText;

class SectionConfigDialog : public wxDialog
{
public:
    // The host outlives the window.
    SectionConfigDialog(wxWindow *parent, SectionToolHost *host);
    ~SectionConfigDialog() override;

    // Shows the values without sending them back to the frame.
    void SetValues(double bufferWidth, double sectionWidth, float pointSize);

    static const long ID_STATICTEXT1;
    static const long ID_SLIDER1;
    static const long ID_STATICTEXT4;
    static const long ID_STATICTEXT2;
    static const long ID_SLIDER2;
    static const long ID_STATICTEXT5;
    static const long ID_STATICTEXT3;
    static const long ID_SLIDER3;
    static const long ID_STATICTEXT6;

private:
    wxSizer *CreateValueGroup(const wxString &title, long labelId, const char *labelName, wxSlider **slider,
                              long sliderId, const char *sliderName, wxStaticText **value, const wxString &initial,
                              long valueId, const char *valueName);

    void OnPointSizeSlider(wxCommandEvent &event);
    void OnBufferWidthSlider(wxCommandEvent &event);
    void OnSectionWidthSlider(wxCommandEvent &event);
    void OnClose(wxCloseEvent &event);

    // The host's values again, after it refused a change.
    void ShowValuesInForce();

    SectionToolHost *m_host = nullptr;
    wxSlider *m_pointSizeSlider = nullptr;
    wxStaticText *m_pointSizeValue = nullptr;
    wxSlider *m_bufferWidthSlider = nullptr;
    wxStaticText *m_bufferWidthValue = nullptr;
    wxSlider *m_sectionWidthSlider = nullptr;
    wxStaticText *m_sectionWidthValue = nullptr;

    wxDECLARE_EVENT_TABLE();
};
