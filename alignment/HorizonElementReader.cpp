#include "HorizonElementReader.h"

#include "AngleText.h"
#include "H_Line.h"
#include "H_Moderate.h"
#include "H_Round.h"
#include "H_StartPoint.h"

#include <cmath>
#include <cstdlib>
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

// Length from the dialog's measure fields: the length itself, or end minus
// start mileage.
bool ReadLength(bool lengthMode, const wxString &first, const wxString &second, double *length, wxString *why)
{
    if (lengthMode) {
        if (!HorizonElementReader::ReadNumber(first, length))
            return Fail(why, "长度输入有误，请输入数字！");
    } else {
        double start = 0, end = 0;
        if (!HorizonElementReader::ReadNumber(first, &start) || !HorizonElementReader::ReadNumber(second, &end) ||
            std::fabs(start) > kLargestCoordinate || std::fabs(end) > kLargestCoordinate)
            return Fail(why, "里程输入有误，请输入数字！");
        if (start >= end) {
            if (why)
                *why = HorizonElementReader::MileageMessage();
            return false;
        }
        *length = end - start;
    }
    if (!(*length > 0.0))
        return Fail(why, "长度必须大于0！");
    if (*length > kLongestElement)
        return Fail(why, "长度过大！");
    return true;
}

bool ReadRadius(const wxString &text, double *radius, bool zeroIsStraight, wxString *why)
{
    if (!HorizonElementReader::ReadNumber(text, radius))
        return Fail(why, "半径输入有误，请输入数字！");
    if (*radius < 0.0)
        return Fail(why, "半径不能为负数！");
    if (!zeroIsStraight && *radius <= ROAD_INFINITE_RADIUS)
        return Fail(why, "圆曲线半径必须大于0！");
    if (*radius > kLargestRadius)
        return Fail(why, "半径过大！");
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
    char *end = nullptr;
    const double number = std::strtod(begin, &end);
    if (end == begin || *end != '\0' || !std::isfinite(number))
        return false;
    *value = number;
    return true;
}

bool HorizonElementReader::ReadStartPoint(const H_StartPoint &dialog, horizon_element_t *element, wxString *why)
{
    horizon_element_t e{};
    e.type = HORIZON_START;
    if (!ReadNumber(dialog.TextCtrl3->GetValue(), &e.start_chainage) ||
        std::fabs(e.start_chainage) > kLargestCoordinate)
        return Fail(why, "起点里程输入有误，请输入数字！");
    wxString reason;
    if (!CheckDmmss(dialog.TextCtrl4->GetValue(), &reason)) {
        if (why)
            *why = reason;
        return false;
    }
    e.start_azimuth = ParseDmmss(dialog.TextCtrl4->GetValue().Strip(wxString::both));
    if (!ReadNumber(dialog.TextCtrl1->GetValue(), &e.start_x) || std::fabs(e.start_x) > kLargestCoordinate)
        return Fail(why, "北坐标输入有误，请输入数字！");
    if (!ReadNumber(dialog.TextCtrl2->GetValue(), &e.start_y) || std::fabs(e.start_y) > kLargestCoordinate)
        return Fail(why, "东坐标输入有误，请输入数字！");
    *element = e;
    return true;
}

bool HorizonElementReader::ReadLine(const H_Line &dialog, horizon_element_t *element, wxString *why)
{
    horizon_element_t e{};
    e.type = HORIZON_LINE;
    if (!ReadLength(dialog.RadioButton1->GetValue(), dialog.TextCtrl1->GetValue(), dialog.TextCtrl2->GetValue(),
                    &e.length, why))
        return false;
    *element = e;
    return true;
}

bool HorizonElementReader::ReadCircle(const H_Round &dialog, horizon_element_t *element, wxString *why)
{
    horizon_element_t e{};
    e.type = HORIZON_CIRCLE;
    if (!ReadRadius(dialog.TextCtrl1->GetValue(), &e.radius, false, why))
        return false;
    if (!ReadLength(dialog.RadioButton1->GetValue(), dialog.TextCtrl2->GetValue(), dialog.TextCtrl3->GetValue(),
                    &e.length, why))
        return false;
    // The road library refuses an arc turning more than twice round.
    if (e.length / e.radius > 4.0 * M_PI)
        return Fail(why, "圆曲线长度超过两周，请检查半径和长度！");
    e.direction = dialog.Choice1->GetSelection() != 0 ? 1 : 0;
    *element = e;
    return true;
}

bool HorizonElementReader::ReadTransition(const H_Moderate &dialog, horizon_element_t *element, wxString *why)
{
    horizon_element_t e{};
    e.type = HORIZON_TRANSITION;
    if (!ReadRadius(dialog.TextCtrl1->GetValue(), &e.start_radius, true, why) ||
        !ReadRadius(dialog.TextCtrl2->GetValue(), &e.end_radius, true, why))
        return false;
    const bool startStraight = e.start_radius <= ROAD_INFINITE_RADIUS;
    const bool endStraight = e.end_radius <= ROAD_INFINITE_RADIUS;
    if (startStraight && endStraight)
        return Fail(why, "缓和曲线起终点半径不能都为0（无穷大），否则不构成曲线！");
    if (!startStraight && !endStraight && std::fabs(e.start_radius - e.end_radius) <= 1e-9 * e.end_radius)
        return Fail(why, "缓和曲线起终点半径相同，不构成缓和曲线，请使用圆曲线！");
    if (!ReadLength(dialog.RadioButton1->GetValue(), dialog.TextCtrl3->GetValue(), dialog.TextCtrl4->GetValue(),
                    &e.length, why))
        return false;
    e.direction = dialog.Choice1->GetSelection() != 0 ? 1 : 0;
    *element = e;
    return true;
}
