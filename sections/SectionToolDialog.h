// The narrow strip that floats over the top edge of the section view: point
// size, buffer width and section width (each a slider and a text box) and
// eight picture buttons for the view and colour menus, the measuring modes
// and the DXF files.  It keeps no values: every change goes at once to its
// host (the main frame), which writes its values back with SetValues.
#pragma once

#include <wx/dialog.h>

class SectionToolHost;
namespace sectionvalues {
struct ValueRange;
}
class wxBitmapButton;
class wxCommandEvent;
class wxSlider;
class wxStaticText;
class wxTextCtrl;

class SectionToolDialog : public wxDialog
{
public:
    // The host outlives the window.
    SectionToolDialog(wxWindow *parent, SectionToolHost *host, wxWindowID id = wxID_ANY,
                      const wxPoint &pos = wxDefaultPosition, const wxSize &size = wxDefaultSize);
    ~SectionToolDialog() override;

    // Shows the values without sending them back to the frame.
    void SetValues(double bufferWidth, double sectionWidth, float pointSize);
    // Lays the controls out to fit the room (narrower sliders, no labels,
    // two rows, ... as needed) and answers the size they need, which is
    // larger than the room when not even the most compact form fits.
    wxSize FitToSize(const wxSize &room);
    // Shows the host's values, the section width only where it can change.
    void ShowValuesInForce();

    static const long ID_STATICTEXT1;
    static const long ID_SLIDER1;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT2;
    static const long ID_SLIDER2;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICTEXT3;
    static const long ID_SLIDER3;
    static const long ID_TEXTCTRL3;
    static const long ID_BITMAPBUTTON1;
    static const long ID_BITMAPBUTTON2;
    static const long ID_BITMAPBUTTON8;
    static const long ID_BITMAPBUTTON4;
    static const long ID_BITMAPBUTTON5;
    static const long ID_BITMAPBUTTON6;
    static const long ID_BITMAPBUTTON3;
    static const long ID_BITMAPBUTTON7;

private:
    wxSizer *CreateValueGroup(wxStaticText **label, const wxString &title, long labelId, wxSlider **slider,
                              long sliderId, wxTextCtrl **text, const wxString &initial, long textId);
    wxBitmapButton *CreateButton(long id, const wxString &picture, const wxString &tip);
    void BindHandlers();

    void OnPointSizeSlider(wxCommandEvent &event);
    void OnBufferWidthSlider(wxCommandEvent &event);
    void OnSectionWidthSlider(wxCommandEvent &event);
    void OnPointSizeEnter(wxCommandEvent &event);
    void OnBufferWidthEnter(wxCommandEvent &event);
    void OnSectionWidthEnter(wxCommandEvent &event);
    void OnViewMode(wxCommandEvent &event);
    void OnColor(wxCommandEvent &event);
    void OnMeasureDistance(wxCommandEvent &event);
    void OnMeasurePoint(wxCommandEvent &event);
    void OnDeletePoint(wxCommandEvent &event);
    void OnFinishMeasure(wxCommandEvent &event);
    void OnImportDxf(wxCommandEvent &event);
    void OnExportDxf(wxCommandEvent &event);

    // The box's text as one number within range; otherwise false, after a
    // message saying what the box takes and with the values in force shown
    // again.
    bool ReadBox(const wxTextCtrl *box, const sectionvalues::ValueRange &range, const wxString &rule,
                 double *value);

    SectionToolHost *m_host = nullptr;
    wxStaticText *m_pointSizeLabel = nullptr;
    wxSlider *m_pointSizeSlider = nullptr;
    wxTextCtrl *m_pointSizeText = nullptr;
    wxStaticText *m_bufferWidthLabel = nullptr;
    wxSlider *m_bufferWidthSlider = nullptr;
    wxTextCtrl *m_bufferWidthText = nullptr;
    wxStaticText *m_sectionWidthLabel = nullptr;
    wxSlider *m_sectionWidthSlider = nullptr;
    wxTextCtrl *m_sectionWidthText = nullptr;

    wxDECLARE_EVENT_TABLE();
};
