#include "HorizonElementReader.h"

#include "AngleText.h"
#include "H_Line.h"
#include "H_Moderate.h"
#include "H_Round.h"
#include "H_StartPoint.h"
#include "c_notation.h"

#include <cmath>
#include <cstring>

namespace {

// Beyond these a value is a typing slip, not a road: a thousand kilometres
// of element, a radius wider than the earth, coordinates and chainages of
// a hundred thousand kilometres.
const double kLongestElement = 1e6;
const double kLargestRadius = 1e8;
const double kLargestCoordinate = 1e8;
const size_t kLongestText = 64;

wxString Utf8(const char *text)
{
    return wxString::FromUTF8(text);
}

bool Fail(wxString *why, const char *message)
{
    if (why)
        *why = Utf8(message);
    return false;
}

// A refusal that also names the field to correct.
bool FailAt(wxString *why, wxWindow **field, wxWindow *at, const char *message)
{
    if (field)
        *field = at;
    return Fail(why, message);
}

// Length from the dialog's measure fields: the length itself, or end minus
// start mileage.
bool ReadLength(bool lengthMode, wxTextCtrl *first, wxTextCtrl *second, double *length, wxString *why,
                wxWindow **field)
{
    if (lengthMode) {
        if (!HorizonElementReader::ReadNumber(first->GetValue(), length))
            return FailAt(why, field, first, "长度输入有误，请输入数字！");
    } else {
        double start = 0, end = 0;
        if (!HorizonElementReader::ReadNumber(first->GetValue(), &start) || std::fabs(start) > kLargestCoordinate)
            return FailAt(why, field, first, "里程输入有误，请输入数字！");
        if (!HorizonElementReader::ReadNumber(second->GetValue(), &end) || std::fabs(end) > kLargestCoordinate)
            return FailAt(why, field, second, "里程输入有误，请输入数字！");
        if (start >= end) {
            if (field)
                *field = second;
            if (why)
                *why = HorizonElementReader::MileageMessage();
            return false;
        }
        *length = end - start;
    }
    if (!(*length > 0.0))
        return FailAt(why, field, first, "长度必须大于0！");
    if (*length > kLongestElement)
        return FailAt(why, field, first, "长度过大！");
    return true;
}

bool ReadRadius(wxTextCtrl *text, double *radius, bool zeroIsStraight, wxString *why, wxWindow **field)
{
    if (!HorizonElementReader::ReadNumber(text->GetValue(), radius))
        return FailAt(why, field, text, "半径输入有误，请输入数字！");
    if (*radius < 0.0)
        return FailAt(why, field, text, "半径不能为负数！");
    if (!zeroIsStraight && *radius <= ROAD_INFINITE_RADIUS)
        return FailAt(why, field, text, "圆曲线半径必须大于0！");
    if (*radius > kLargestRadius)
        return FailAt(why, field, text, "半径过大！");
    return true;
}

} // namespace

wxString HorizonElementReader::MileageMessage()
{
    return Utf8("里程输入有误，请重新输入！");
}

bool HorizonElementReader::ReadNumber(const wxString &text, double *value)
{
    wxString trimmed = text;
    trimmed.Trim(true).Trim(false);
    if (trimmed.empty() || trimmed.length() > kLongestText)
        return false;
    const wxScopedCharBuffer utf8 = trimmed.utf8_str();
    const char *begin = utf8.data();
    // Plain decimal numbers only: no hexadecimal, no "nan" or "inf".
    for (const char *c = begin; *c; ++c)
        if (!std::strchr("0123456789+-.eE", *c))
            return false;
    // Typed the same in every locale: a decimal point, never a comma.
    double number = 0;
    const char *end = velmo::read_c_number(begin, &number);
    if (!end || *end != '\0' || !std::isfinite(number))
        return false;
    *value = number;
    return true;
}

bool HorizonElementReader::ReadStartPoint(const H_StartPoint &dialog, horizon_element_t *element, wxString *why,
                                          wxWindow **field)
{
    horizon_element_t e{};
    e.type = HORIZON_START;
    if (!ReadNumber(dialog.TextCtrl3->GetValue(), &e.start_chainage) ||
        std::fabs(e.start_chainage) > kLargestCoordinate)
        return FailAt(why, field, dialog.TextCtrl3, "起点里程输入有误，请输入数字！");
    wxString reason;
    if (!CheckDmmss(dialog.TextCtrl4->GetValue(), &reason)) {
        if (field)
            *field = dialog.TextCtrl4;
        if (why)
            *why = reason;
        return false;
    }
    e.start_azimuth = ParseDmmss(dialog.TextCtrl4->GetValue().Strip(wxString::both));
    if (!ReadNumber(dialog.TextCtrl1->GetValue(), &e.start_x) || std::fabs(e.start_x) > kLargestCoordinate)
        return FailAt(why, field, dialog.TextCtrl1, "北坐标输入有误，请输入数字！");
    if (!ReadNumber(dialog.TextCtrl2->GetValue(), &e.start_y) || std::fabs(e.start_y) > kLargestCoordinate)
        return FailAt(why, field, dialog.TextCtrl2, "东坐标输入有误，请输入数字！");
    *element = e;
    return true;
}

bool HorizonElementReader::ReadLine(const H_Line &dialog, horizon_element_t *element, wxString *why,
                                    wxWindow **field)
{
    horizon_element_t e{};
    e.type = HORIZON_LINE;
    if (!ReadLength(dialog.RadioButton1->GetValue(), dialog.TextCtrl1, dialog.TextCtrl2, &e.length, why, field))
        return false;
    *element = e;
    return true;
}

bool HorizonElementReader::ReadCircle(const H_Round &dialog, horizon_element_t *element, wxString *why,
                                      wxWindow **field)
{
    horizon_element_t e{};
    e.type = HORIZON_CIRCLE;
    if (!ReadRadius(dialog.TextCtrl1, &e.radius, false, why, field))
        return false;
    if (!ReadLength(dialog.RadioButton1->GetValue(), dialog.TextCtrl2, dialog.TextCtrl3, &e.length, why, field))
        return false;
    // The road library refuses an arc turning more than twice round.
    if (e.length / e.radius > 4.0 * M_PI)
        return FailAt(why, field, dialog.TextCtrl2, "圆曲线长度超过两周，请检查半径和长度！");
    e.direction = dialog.Choice1->GetSelection() != 0 ? 1 : 0;
    *element = e;
    return true;
}

bool HorizonElementReader::ReadTransition(const H_Moderate &dialog, horizon_element_t *element, wxString *why,
                                          wxWindow **field)
{
    horizon_element_t e{};
    e.type = HORIZON_TRANSITION;
    if (!ReadRadius(dialog.TextCtrl1, &e.start_radius, true, why, field) ||
        !ReadRadius(dialog.TextCtrl2, &e.end_radius, true, why, field))
        return false;
    const bool startStraight = e.start_radius <= ROAD_INFINITE_RADIUS;
    const bool endStraight = e.end_radius <= ROAD_INFINITE_RADIUS;
    if (startStraight && endStraight)
        return FailAt(why, field, dialog.TextCtrl1, "缓和曲线起终点半径不能都为0（无穷大），否则不构成曲线！");
    if (!startStraight && !endStraight && std::fabs(e.start_radius - e.end_radius) <= 1e-9 * e.end_radius)
        return FailAt(why, field, dialog.TextCtrl2, "缓和曲线起终点半径相同，不构成缓和曲线，请使用圆曲线！");
    if (!ReadLength(dialog.RadioButton1->GetValue(), dialog.TextCtrl3, dialog.TextCtrl4, &e.length, why, field))
        return false;
    e.direction = dialog.Choice1->GetSelection() != 0 ? 1 : 0;
    *element = e;
    return true;
}
