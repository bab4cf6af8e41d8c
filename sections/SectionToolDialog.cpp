#include "SectionToolDialog.h"

#include "SectionText.h"
#include "SectionToolHost.h"
#include "SectionValues.h"
#include "c_notation.h"

#include <wx/bmpbuttn.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

using namespace sectionvalues;

const long SectionToolDialog::ID_STATICTEXT1 = wxNewId();
const long SectionToolDialog::ID_SLIDER1 = wxNewId();
const long SectionToolDialog::ID_TEXTCTRL1 = wxNewId();
const long SectionToolDialog::ID_STATICTEXT2 = wxNewId();
const long SectionToolDialog::ID_SLIDER2 = wxNewId();
const long SectionToolDialog::ID_TEXTCTRL2 = wxNewId();
const long SectionToolDialog::ID_STATICTEXT3 = wxNewId();
const long SectionToolDialog::ID_SLIDER3 = wxNewId();
const long SectionToolDialog::ID_TEXTCTRL3 = wxNewId();
const long SectionToolDialog::ID_BITMAPBUTTON1 = wxNewId();
const long SectionToolDialog::ID_BITMAPBUTTON2 = wxNewId();
const long SectionToolDialog::ID_BITMAPBUTTON8 = wxNewId();
const long SectionToolDialog::ID_BITMAPBUTTON4 = wxNewId();
const long SectionToolDialog::ID_BITMAPBUTTON5 = wxNewId();
const long SectionToolDialog::ID_BITMAPBUTTON6 = wxNewId();
const long SectionToolDialog::ID_BITMAPBUTTON3 = wxNewId();
const long SectionToolDialog::ID_BITMAPBUTTON7 = wxNewId();

wxBEGIN_EVENT_TABLE(SectionToolDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

const wxColour BACKGROUND(64, 64, 64);
const wxColour LABEL_TEXT(192, 192, 192);
const int SLIDER_WIDTH = 150;
const int TEXT_WIDTH = 40;
// Pictures are shown at this size; a missing one leaves a blank of it.
const int PICTURE_SIZE = 24;
const int BLANK_PICTURE = PICTURE_SIZE;

} // namespace

SectionToolDialog::SectionToolDialog(wxWindow *parent, SectionToolHost *host, wxWindowID, const wxPoint &,
                                     const wxSize &)
    : m_host(host)
{
    // 1. The window: no caption, border or close box.  It must be resizable
    // all the same (without a border to resize it by): the toolkit would not
    // let the frame make a fixed-size window narrower than it first was.
    Create(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxRESIZE_BORDER | wxBORDER_NONE,
           "wxID_ANY");
    SetBackgroundColour(BACKGROUND);
    auto *row = new wxBoxSizer(wxHORIZONTAL);

    // 2. The three values.
    auto *values = new wxBoxSizer(wxHORIZONTAL);
    values->Add(CreateValueGroup(&m_pointSizeLabel, _("Point size"), ID_STATICTEXT1, &m_pointSizeSlider, ID_SLIDER1,
                                 &m_pointSizeText, _("2.0"), ID_TEXTCTRL1),
                0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    values->Add(CreateValueGroup(&m_bufferWidthLabel, _("Buffer width"), ID_STATICTEXT2, &m_bufferWidthSlider,
                                 ID_SLIDER2, &m_bufferWidthText, _("1.0"), ID_TEXTCTRL2),
                0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    values->Add(CreateValueGroup(&m_sectionWidthLabel, _("Section width"), ID_STATICTEXT3, &m_sectionWidthSlider,
                                 ID_SLIDER3, &m_sectionWidthText, _("100"), ID_TEXTCTRL3),
                1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    row->Add(values, 0, wxALL, 0);

    // 3. A stretch, then the eight buttons at the right end.
    row->Add(-1, -1, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    const struct {
        long id;
        const char *picture;
        wxString tip;
    } pictures[] = {
        {ID_BITMAPBUTTON1, "icons/view.png", _("Set section view point")},
        {ID_BITMAPBUTTON2, "icons/color.png", _("Set section color")},
        {ID_BITMAPBUTTON8, "icons/measure.png", _("Measure distance")},
        {ID_BITMAPBUTTON4, "icons/addto.png", _("Measure section point")},
        {ID_BITMAPBUTTON5, "icons/delete.png", _("Delete section point")},
        {ID_BITMAPBUTTON6, "icons/ok.png", _("Finish  section measure")},
        {ID_BITMAPBUTTON3, "icons/import.png", _("Import dxf file")},
        {ID_BITMAPBUTTON7, "icons/export.png", _("Export dxf file")},
    };
    for (const auto &picture : pictures)
        buttons->Add(CreateButton(picture.id, picture.picture, picture.tip), 1,
                     wxALL | wxFIXED_MINSIZE | wxALIGN_CENTER_VERTICAL, 5);
    row->Add(buttons, 0, wxALL | wxALIGN_CENTER_VERTICAL, 0);

    SetSizer(row);
    row->SetSizeHints(this);
    BindHandlers();
}

SectionToolDialog::~SectionToolDialog()
{
}

wxSizer *SectionToolDialog::CreateValueGroup(wxStaticText **label, const wxString &title, long labelId,
                                             wxSlider **slider, long sliderId, wxTextCtrl **text,
                                             const wxString &initial, long textId)
{
    auto *group = new wxBoxSizer(wxHORIZONTAL);
    *label = new wxStaticText(this, labelId, title, wxDefaultPosition, wxDefaultSize, 0,
                              labelId == ID_STATICTEXT1   ? "ID_STATICTEXT1"
                              : labelId == ID_STATICTEXT2 ? "ID_STATICTEXT2"
                                                          : "ID_STATICTEXT3");
    (*label)->SetForegroundColour(LABEL_TEXT);
    group->Add(*label, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    *slider = new wxSlider(this, sliderId, SLIDER_MIN, SLIDER_MIN, SLIDER_MAX, wxDefaultPosition, wxDefaultSize, 0,
                           wxDefaultValidator,
                           sliderId == ID_SLIDER1 ? "ID_SLIDER1" : sliderId == ID_SLIDER2 ? "ID_SLIDER2" : "ID_SLIDER3");
    (*slider)->SetMinSize(wxSize(SLIDER_WIDTH, -1));
    group->Add(*slider, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    *text = new wxTextCtrl(this, textId, initial, wxDefaultPosition, wxSize(TEXT_WIDTH, -1), wxTE_PROCESS_ENTER,
                           wxDefaultValidator,
                           textId == ID_TEXTCTRL1 ? "ID_TEXTCTRL1" : textId == ID_TEXTCTRL2 ? "ID_TEXTCTRL2" : "ID_TEXTCTRL3");
    group->Add(*text, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    return group;
}

wxBitmapButton *SectionToolDialog::CreateButton(long id, const wxString &picture, const wxString &tip)
{
    wxBitmap bitmap = m_host ? m_host->LoadPicture(picture) : wxBitmap();
    // The ribbon's 32-pixel pictures would make the strip wider than most
    // section views.
    if (bitmap.IsOk() && bitmap.GetWidth() > PICTURE_SIZE)
        bitmap = wxBitmap(bitmap.ConvertToImage().Rescale(PICTURE_SIZE, PICTURE_SIZE, wxIMAGE_QUALITY_HIGH));
    if (!bitmap.IsOk()) {
        wxImage blank(BLANK_PICTURE, BLANK_PICTURE);
        blank.InitAlpha();
        std::fill(blank.GetAlpha(), blank.GetAlpha() + BLANK_PICTURE * BLANK_PICTURE, 0);
        bitmap = wxBitmap(blank);
    }
    wxString name;
    if (id == ID_BITMAPBUTTON1) name = "ID_BITMAPBUTTON1";
    else if (id == ID_BITMAPBUTTON2) name = "ID_BITMAPBUTTON2";
    else if (id == ID_BITMAPBUTTON8) name = "ID_BITMAPBUTTON8";
    else if (id == ID_BITMAPBUTTON4) name = "ID_BITMAPBUTTON4";
    else if (id == ID_BITMAPBUTTON5) name = "ID_BITMAPBUTTON5";
    else if (id == ID_BITMAPBUTTON6) name = "ID_BITMAPBUTTON6";
    else if (id == ID_BITMAPBUTTON3) name = "ID_BITMAPBUTTON3";
    else name = "ID_BITMAPBUTTON7";
    auto *button = new wxBitmapButton(this, id, bitmap, wxDefaultPosition, wxDefaultSize, wxBU_AUTODRAW | wxBORDER_NONE,
                                      wxDefaultValidator, name);
    button->SetBackgroundColour(BACKGROUND);
    button->SetToolTip(tip);
    return button;
}

void SectionToolDialog::BindHandlers()
{
    Bind(wxEVT_SLIDER, &SectionToolDialog::OnPointSizeSlider, this, ID_SLIDER1);
    Bind(wxEVT_SCROLL_CHANGED, &SectionToolDialog::OnPointSizeSlider, this, ID_SLIDER1);
    Bind(wxEVT_SLIDER, &SectionToolDialog::OnBufferWidthSlider, this, ID_SLIDER2);
    Bind(wxEVT_SCROLL_CHANGED, &SectionToolDialog::OnBufferWidthSlider, this, ID_SLIDER2);
    Bind(wxEVT_SLIDER, &SectionToolDialog::OnSectionWidthSlider, this, ID_SLIDER3);
    Bind(wxEVT_SCROLL_CHANGED, &SectionToolDialog::OnSectionWidthSlider, this, ID_SLIDER3);
    Bind(wxEVT_TEXT_ENTER, &SectionToolDialog::OnPointSizeEnter, this, ID_TEXTCTRL1);
    Bind(wxEVT_TEXT_ENTER, &SectionToolDialog::OnBufferWidthEnter, this, ID_TEXTCTRL2);
    Bind(wxEVT_TEXT_ENTER, &SectionToolDialog::OnSectionWidthEnter, this, ID_TEXTCTRL3);
    Bind(wxEVT_BUTTON, &SectionToolDialog::OnViewMode, this, ID_BITMAPBUTTON1);
    Bind(wxEVT_BUTTON, &SectionToolDialog::OnColor, this, ID_BITMAPBUTTON2);
    Bind(wxEVT_BUTTON, &SectionToolDialog::OnMeasureDistance, this, ID_BITMAPBUTTON8);
    Bind(wxEVT_BUTTON, &SectionToolDialog::OnMeasurePoint, this, ID_BITMAPBUTTON4);
    Bind(wxEVT_BUTTON, &SectionToolDialog::OnDeletePoint, this, ID_BITMAPBUTTON5);
    Bind(wxEVT_BUTTON, &SectionToolDialog::OnFinishMeasure, this, ID_BITMAPBUTTON6);
    Bind(wxEVT_BUTTON, &SectionToolDialog::OnImportDxf, this, ID_BITMAPBUTTON3);
    Bind(wxEVT_BUTTON, &SectionToolDialog::OnExportDxf, this, ID_BITMAPBUTTON7);
}

void SectionToolDialog::SetValues(double bufferWidth, double sectionWidth, float pointSize)
{
    // ChangeValue sends no event: nothing goes back to the frame.
    m_pointSizeSlider->SetValue(PointSizePosition(pointSize));
    m_pointSizeText->ChangeValue(TenthsText(pointSize));
    m_bufferWidthSlider->SetValue(BufferWidthPosition(bufferWidth));
    m_bufferWidthText->ChangeValue(TenthsText(bufferWidth));
    m_sectionWidthSlider->SetValue(SectionWidthPosition(sectionWidth));
    m_sectionWidthText->ChangeValue(WholeText(sectionWidth));
}

void SectionToolDialog::ShowValuesInForce()
{
    if (!m_host)
        return;
    SetValues(m_host->SectionThickness(), m_host->SectionWidth(), m_host->GetPointSize());
    const bool widthCanChange = !m_host->IsSectionWidthFixed();
    m_sectionWidthSlider->Enable(widthCanChange);
    m_sectionWidthText->Enable(widthCanChange);
}

// ---- Sliders ----------------------------------------------------------------------------
// A change the host refuses is not left on show.

void SectionToolDialog::OnPointSizeSlider(wxCommandEvent &)
{
    const float size = PointSizeAt(m_pointSizeSlider->GetValue());
    m_pointSizeText->ChangeValue(TenthsText(size));
    if (!m_host || !m_host->SetSectionPointSize(size))
        ShowValuesInForce();
}

void SectionToolDialog::OnBufferWidthSlider(wxCommandEvent &)
{
    const double width = BufferWidthAt(m_bufferWidthSlider->GetValue());
    m_bufferWidthText->ChangeValue(TenthsText(width));
    if (!m_host || !m_host->SetSectionOffset(width))
        ShowValuesInForce();
}

void SectionToolDialog::OnSectionWidthSlider(wxCommandEvent &)
{
    const double width = SectionWidthAt(m_sectionWidthSlider->GetValue());
    m_sectionWidthText->ChangeValue(WholeText(width));
    if (!m_host || !m_host->SetSectionWidth(width))
        ShowValuesInForce();
}

// ---- Text boxes ----------------------------------------------------------------------------
// An accepted text stays as typed; the slider shows it as far as it reaches.

bool SectionToolDialog::ReadBox(const wxTextCtrl *box, const ValueRange &range, const wxString &rule,
                                double *value)
{
    double number = 0;
    if (SectionText::WholeNumber(box->GetValue(), &number) && range.Holds(number)) {
        *value = range.Clamp(number);
        return true;
    }
    const wxString least(velmo::c_number_text(range.least)), most(velmo::c_number_text(range.most));
    wxMessageBox(wxString::Format(rule, least, most), _("Error"), wxOK | wxCENTRE | wxICON_ERROR, this);
    ShowValuesInForce();
    return false;
}

void SectionToolDialog::OnPointSizeEnter(wxCommandEvent &)
{
    double size = 0;
    if (!ReadBox(m_pointSizeText, POINT_SIZE_RANGE,
                 _("The point size must be a number from %s to %s pixels."), &size))
        return;
    if (!m_host || !m_host->SetSectionPointSize(float(size))) {
        ShowValuesInForce();
        return;
    }
    m_pointSizeSlider->SetValue(PointSizePosition(float(size)));
}

void SectionToolDialog::OnBufferWidthEnter(wxCommandEvent &)
{
    double width = 0;
    if (!ReadBox(m_bufferWidthText, BUFFER_WIDTH_RANGE,
                 _("The buffer width must be a number from %s to %s m."), &width))
        return;
    if (!m_host || !m_host->SetSectionOffset(width)) {
        ShowValuesInForce();
        return;
    }
    m_bufferWidthSlider->SetValue(BufferWidthPosition(width));
}

void SectionToolDialog::OnSectionWidthEnter(wxCommandEvent &)
{
    double width = 0;
    if (!ReadBox(m_sectionWidthText, SECTION_WIDTH_RANGE,
                 _("The section width must be a number from %s to %s m."), &width))
        return;
    if (!m_host || !m_host->SetSectionWidth(width)) {
        ShowValuesInForce();
        return;
    }
    m_sectionWidthSlider->SetValue(SectionWidthPosition(width));
}

// ---- Buttons -------------------------------------------------------------------------------

void SectionToolDialog::OnViewMode(wxCommandEvent &)
{
    if (m_host)
        m_host->ShowViewModeMenu();
}

void SectionToolDialog::OnColor(wxCommandEvent &)
{
    if (m_host)
        m_host->ShowColorMenu();
}

void SectionToolDialog::OnMeasureDistance(wxCommandEvent &)
{
    if (m_host)
        m_host->MeasureDistance();
}

void SectionToolDialog::OnMeasurePoint(wxCommandEvent &)
{
    if (m_host)
        m_host->MeasureSectionPoint();
}

void SectionToolDialog::OnDeletePoint(wxCommandEvent &)
{
    if (m_host)
        m_host->DeleteSectionPoint();
}

void SectionToolDialog::OnFinishMeasure(wxCommandEvent &)
{
    if (m_host)
        m_host->FinishSectionMeasure();
}

void SectionToolDialog::OnImportDxf(wxCommandEvent &)
{
    if (m_host)
        m_host->ImportSectionDxf();
}

void SectionToolDialog::OnExportDxf(wxCommandEvent &)
{
    if (m_host)
        m_host->ExportSectionFile();
}
