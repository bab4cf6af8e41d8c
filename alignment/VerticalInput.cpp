#include "VerticalInput.h"

#include "HorizonElementReader.h"
#include "V_Line.h"
#include "V_Round.h"
#include "V_StartPoint.h"
#include "c_notation.h"

#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <cmath>

namespace {

// Beyond this a typed chainage, elevation, length or radius is a slip of
// the keyboard, not a road.
const double LARGEST_VALUE = 1e7;
// Grades and lengths are compared after rounding in the list texts.
const double GRADE_TOLERANCE = 1e-9;

// A refusal naming the field to correct.
bool Refuse(wxString *error, wxWindow **wrong, wxWindow *at, const wxString &message)
{
    *error = message;
    if (wrong)
        *wrong = at;
    return false;
}

bool ReadField(wxTextCtrl *field, const wxString &name, double *value, wxString *error, wxWindow **wrong)
{
    if (!HorizonElementReader::ReadNumber(field->GetValue(), value) || std::fabs(*value) > LARGEST_VALUE)
        return Refuse(error, wrong, field,
                      wxString::Format(_("%s must be a number, not \"%s\"."), name, field->GetValue()));
    return true;
}

bool ReadPositive(wxTextCtrl *field, const wxString &name, double *value, wxString *error, wxWindow **wrong)
{
    if (!ReadField(field, name, value, error, wrong))
        return false;
    if (*value <= 0.0)
        return Refuse(error, wrong, field, wxString::Format(_("%s must be greater than 0."), name));
    return true;
}

// The length of a grade line or curve from either of the two modes.
bool ReadLength(const wxRadioButton *lengthRadio, wxTextCtrl *first, wxTextCtrl *second, double *length,
                wxString *error, wxWindow **wrong)
{
    if (lengthRadio->GetValue())
        return ReadPositive(first, _("Length"), length, error, wrong);
    double start = 0.0, end = 0.0;
    if (!ReadField(first, _("Start mileage"), &start, error, wrong) ||
        !ReadField(second, _("End mileage"), &end, error, wrong))
        return false;
    if (end <= start)
        return Refuse(error, wrong, second, HorizonElementReader::MileageMessage());
    *length = end - start;
    return true;
}

double GradePercent(double angle)
{
    return std::tan(angle) * 100.0;
}

} // namespace

bool VerticalInput::ReadStartPoint(const V_StartPoint &dialog, vertical_element_t *element, wxString *error,
                                   wxWindow **wrong)
{
    double chainage = 0.0, elevation = 0.0, grade = 0.0;
    if (!ReadField(dialog.MileageText, _("Mileage"), &chainage, error, wrong)
        || !ReadField(dialog.HeightText, _("Height"), &elevation, error, wrong)
        || !ReadField(dialog.SlopeText, _("Slope"), &grade, error, wrong))
        return false;
    if (std::fabs(grade) > MAX_GRADE_PERCENT)
        return Refuse(error, wrong, dialog.SlopeText,
                      wxString::Format(_("Slope must lie between -%s %% and %s %%."),
                                       wxString(velmo::c_number_text(MAX_GRADE_PERCENT)),
                                       wxString(velmo::c_number_text(MAX_GRADE_PERCENT))));
    vertical_element_t e{};
    e.type = VERTICAL_START;
    e.start_chainage = chainage;
    e.start_elevation = elevation;
    e.start_grade = std::atan(grade / 100.0);
    *element = e;
    return true;
}

bool VerticalInput::ReadLine(const V_Line &dialog, vertical_element_t *element, wxString *error, wxWindow **wrong)
{
    double length = 0.0;
    if (!ReadLength(dialog.LengthRadio, dialog.FirstText, dialog.SecondText, &length, error, wrong))
        return false;
    vertical_element_t e{};
    e.type = VERTICAL_GRADE;
    e.length = length;
    *element = e;
    return true;
}

bool VerticalInput::ReadCurve(const V_Round &dialog, vertical_element_t *element, wxString *error, wxWindow **wrong)
{
    double radius = 0.0, length = 0.0;
    if (!ReadPositive(dialog.RadiusText, _("Radius"), &radius, error, wrong)
        || !ReadLength(dialog.LengthRadio, dialog.FirstText, dialog.SecondText, &length, error, wrong))
        return false;
    vertical_element_t e{};
    e.type = VERTICAL_CURVE;
    e.radius = radius;
    e.length = length;
    e.turn = dialog.TurnChoice->GetSelection() == 0 ? 0 : 1;
    *element = e;
    return true;
}

bool VerticalInput::IsSoundProfile(road_t *road)
{
    const int n = road_number_vertical(road);
    for (int i = 0; i < n; ++i) {
        const vertical_element_t *e = road_vertical(road, i);
        if (!e || !std::isfinite(e->end_chainage) || !std::isfinite(e->end_elevation)
            || !std::isfinite(e->end_grade))
            return false;
        if (std::fabs(GradePercent(e->end_grade)) > MAX_GRADE_PERCENT + GRADE_TOLERANCE)
            return false;
    }
    return true;
}

void VerticalInput::ShowError(const wxString &message)
{
    wxMessageBox(message, wxString(L"错误"), wxOK | wxICON_ERROR | wxCENTRE);
}
