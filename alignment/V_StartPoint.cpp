#include "V_StartPoint.h"

#include "VerticalDialogLayout.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>

const long V_StartPoint::ID_STATICTEXT1 = wxNewId();
const long V_StartPoint::ID_STATICLINE1 = wxNewId();
const long V_StartPoint::ID_STATICTEXT2 = wxNewId();
const long V_StartPoint::ID_TEXTCTRL1 = wxNewId();
const long V_StartPoint::ID_STATICTEXT3 = wxNewId();
const long V_StartPoint::ID_TEXTCTRL2 = wxNewId();
const long V_StartPoint::ID_STATICTEXT4 = wxNewId();
const long V_StartPoint::ID_TEXTCTRL3 = wxNewId();
const long V_StartPoint::ID_STATICLINE2 = wxNewId();

wxBEGIN_EVENT_TABLE(V_StartPoint, wxDialog)
wxEND_EVENT_TABLE()

V_StartPoint::V_StartPoint(wxWindow *parent, wxWindowID id, const wxPoint &, const wxSize &)
{
    Create(parent, id, _(L"竖曲线"), wxDefaultPosition, wxDefaultSize, wxCAPTION, "id");
    SetClientSize(wxDefaultSize);
    Move(wxDefaultPosition);
    VerticalDialogLayout layout(this, ID_STATICTEXT1, _("Start point"), ID_STATICLINE1);
    layout.AddLabel(new wxStaticText(this, ID_STATICTEXT2, _("Mileage"), wxDefaultPosition, wxDefaultSize, 0,
                                     "ID_STATICTEXT2"));
    MileageText = layout.NewTextField(ID_TEXTCTRL1, "ID_TEXTCTRL1");
    layout.AddField(MileageText);
    layout.AddLabel(new wxStaticText(this, ID_STATICTEXT3, _(" Height"), wxDefaultPosition, wxDefaultSize, 0,
                                     "ID_STATICTEXT3"));
    HeightText = layout.NewTextField(ID_TEXTCTRL2, "ID_TEXTCTRL2");
    layout.AddField(HeightText);
    layout.AddLabel(new wxStaticText(this, ID_STATICTEXT4, _(L"Slope(％)"), wxDefaultPosition, wxDefaultSize, 0,
                                     "ID_STATICTEXT4"));
    SlopeText = layout.NewTextField(ID_TEXTCTRL3, "ID_TEXTCTRL3");
    layout.AddField(SlopeText);
    layout.Finish(ID_STATICLINE2);
}

V_StartPoint::~V_StartPoint()
{
}
