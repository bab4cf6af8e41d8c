#include "SectionConfigDialog.h"

#include "SectionToolHost.h"
#include "SectionValues.h"

#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>

using namespace sectionvalues;

const long SectionConfigDialog::ID_STATICTEXT1 = wxNewId();
const long SectionConfigDialog::ID_SLIDER1 = wxNewId();
const long SectionConfigDialog::ID_STATICTEXT4 = wxNewId();
const long SectionConfigDialog::ID_STATICTEXT2 = wxNewId();
const long SectionConfigDialog::ID_SLIDER2 = wxNewId();
const long SectionConfigDialog::ID_STATICTEXT5 = wxNewId();
const long SectionConfigDialog::ID_STATICTEXT3 = wxNewId();
const long SectionConfigDialog::ID_SLIDER3 = wxNewId();
const long SectionConfigDialog::ID_STATICTEXT6 = wxNewId();

wxBEGIN_EVENT_TABLE(SectionConfigDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

const wxColour BACKGROUND(64, 64, 64);
const wxColour LABEL_TEXT(192, 192, 192);
const int SLIDER_WIDTH = 150;
const int VALUE_WIDTH = 30;

} // namespace

SectionConfigDialog::SectionConfigDialog(wxWindow *parent, SectionToolHost *host) : m_host(host)
{
    // 1. The window.
    Create(parent, wxID_ANY, _("Section config"), wxDefaultPosition, wxDefaultSize, 0, "wxID_ANY");
    SetBackgroundColour(BACKGROUND);

    // 2. The three value groups side by side.
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(CreateValueGroup(_("Point size"), ID_STATICTEXT1, "ID_STATICTEXT1", &m_pointSizeSlider, ID_SLIDER1,
                              "ID_SLIDER1", &m_pointSizeValue, _("2.0"), ID_STATICTEXT4, "ID_STATICTEXT4"),
             0, wxEXPAND | wxALL, 5);
    row->Add(CreateValueGroup(_("Buffer width"), ID_STATICTEXT2, "ID_STATICTEXT2", &m_bufferWidthSlider, ID_SLIDER2,
                              "ID_SLIDER2", &m_bufferWidthValue, _("1.0"), ID_STATICTEXT5, "ID_STATICTEXT5"),
             0, wxEXPAND | wxALL, 5);
    row->Add(CreateValueGroup(_("Section width"), ID_STATICTEXT3, "ID_STATICTEXT3", &m_sectionWidthSlider,
                              ID_SLIDER3, "ID_SLIDER3", &m_sectionWidthValue, _("40"), ID_STATICTEXT6,
                              "ID_STATICTEXT6"),
             0, wxEXPAND | wxALL, 5);
    SetSizer(row);
    row->SetSizeHints(this);
    Centre(wxBOTH);

    // 3. Handlers.
    Bind(wxEVT_SLIDER, &SectionConfigDialog::OnPointSizeSlider, this, ID_SLIDER1);
    Bind(wxEVT_SCROLL_CHANGED, &SectionConfigDialog::OnPointSizeSlider, this, ID_SLIDER1);
    Bind(wxEVT_SLIDER, &SectionConfigDialog::OnBufferWidthSlider, this, ID_SLIDER2);
    Bind(wxEVT_SCROLL_CHANGED, &SectionConfigDialog::OnBufferWidthSlider, this, ID_SLIDER2);
    Bind(wxEVT_SLIDER, &SectionConfigDialog::OnSectionWidthSlider, this, ID_SLIDER3);
    Bind(wxEVT_SCROLL_CHANGED, &SectionConfigDialog::OnSectionWidthSlider, this, ID_SLIDER3);
    Bind(wxEVT_CLOSE_WINDOW, &SectionConfigDialog::OnClose, this);
}

SectionConfigDialog::~SectionConfigDialog()
{
}

wxSizer *SectionConfigDialog::CreateValueGroup(const wxString &title, long labelId, const char *labelName,
                                               wxSlider **slider, long sliderId, const char *sliderName,
                                               wxStaticText **value, const wxString &initial, long valueId,
                                               const char *valueName)
{
    auto *group = new wxBoxSizer(wxHORIZONTAL);
    auto *label = new wxStaticText(this, labelId, title, wxDefaultPosition, wxDefaultSize, 0, labelName);
    label->SetForegroundColour(LABEL_TEXT);
    group->Add(label, 0, wxALL | wxFIXED_MINSIZE | wxALIGN_CENTER_VERTICAL, 5);
    *slider = new wxSlider(this, sliderId, SLIDER_MIN, SLIDER_MIN, SLIDER_MAX, wxDefaultPosition, wxDefaultSize, 0,
                           wxDefaultValidator, sliderName);
    (*slider)->SetMinSize(wxSize(SLIDER_WIDTH, -1));
    group->Add(*slider, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    *value = new wxStaticText(this, valueId, initial, wxDefaultPosition, wxDefaultSize, 0, valueName);
    (*value)->SetForegroundColour(LABEL_TEXT);
    (*value)->SetMinSize(wxSize(VALUE_WIDTH, -1));
    group->Add(*value, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    return group;
}

void SectionConfigDialog::SetValues(double bufferWidth, double sectionWidth, float pointSize)
{
    m_pointSizeSlider->SetValue(PointSizePosition(pointSize));
    m_pointSizeValue->SetLabel(TenthsText(pointSize));
    m_bufferWidthSlider->SetValue(BufferWidthPosition(bufferWidth));
    m_bufferWidthValue->SetLabel(TenthsText(bufferWidth));
    m_sectionWidthSlider->SetValue(SectionWidthPosition(sectionWidth));
    m_sectionWidthValue->SetLabel(WholeText(sectionWidth));
}

void SectionConfigDialog::ShowValuesInForce()
{
    if (m_host)
        SetValues(m_host->SectionThickness(), m_host->SectionWidth(), m_host->GetPointSize());
}

void SectionConfigDialog::OnPointSizeSlider(wxCommandEvent &)
{
    const float size = PointSizeAt(m_pointSizeSlider->GetValue());
    m_pointSizeValue->SetLabel(TenthsText(size));
    if (!m_host || !m_host->SetSectionPointSize(size))
        ShowValuesInForce();
}

void SectionConfigDialog::OnBufferWidthSlider(wxCommandEvent &)
{
    const double width = BufferWidthAt(m_bufferWidthSlider->GetValue());
    m_bufferWidthValue->SetLabel(TenthsText(width));
    if (!m_host || !m_host->SetSectionOffset(width))
        ShowValuesInForce();
}

void SectionConfigDialog::OnSectionWidthSlider(wxCommandEvent &)
{
    const double width = SectionWidthAt(m_sectionWidthSlider->GetValue());
    m_sectionWidthValue->SetLabel(WholeText(width));
    if (!m_host || !m_host->SetSectionWidth(width))
        ShowValuesInForce();
}

// The toolkit's own close handling hides a modeless dialog.
void SectionConfigDialog::OnClose(wxCloseEvent &event)
{
    event.Skip();
}
