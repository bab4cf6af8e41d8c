#include "AngleText.h"

#include "c_notation.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

const double kPi = 3.141592653589793;
// Seconds are shown to a ten-thousandth.
const int64_t kUnitsPerSecond = 10000;
const int64_t kUnitsPerMinute = 60 * kUnitsPerSecond;
const int64_t kUnitsPerDegree = 60 * kUnitsPerMinute;
// Angles beyond this many degrees would overflow the unit count.
const double kLargestDegrees = 1e11;

// The value of the longest prefix that reads as an integer, 0 when none,
// held within 32 bits.
int LeadingInteger(const wxString &text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    const long value = std::strtol(utf8.data(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// The value of the longest prefix that reads as a decimal number (a point
// before the fraction in every locale), 0 when none.
double LeadingNumber(const wxString &text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    const char *start = utf8.data();
    while (*start == ' ' || *start == '\t')
        ++start;
    double value = 0;
    return velmo::read_c_number(start, &value) ? value : 0.0;
}

wxString TwoDigits(int64_t value)
{
    return wxString::Format(value < 10 ? "0%lld" : "%lld", static_cast<long long>(value));
}

// Ten-thousandths of a second in a fraction of a degree (0 <= fraction < 1),
// rounded once from the exact product, half to even as "%.4f" rounds.  The
// product's rounding error is recovered exactly with a fused multiply-add,
// so that a product landing on a half does not round a second time.
int64_t UnitsOfFraction(double fraction)
{
    const double scale = double(kUnitsPerDegree);
    const double product = fraction * scale;
    const double error = std::fma(fraction, scale, -product);
    const double whole = std::floor(product);
    const double above = product - whole;
    const bool odd = std::fmod(whole, 2.0) != 0.0;
    const bool up = above > 0.5 || (above == 0.5 && (error > 0.0 || (error == 0.0 && odd)));
    return static_cast<int64_t>(whole) + (up ? 1 : 0);
}

bool AllDigits(const wxString &text)
{
    for (wxUniChar c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

wxString FormatAngleText(double angle)
{
    const double degrees = (180.0 * angle) / kPi;
    if (!std::isfinite(degrees))
        return "---";
    if (std::fabs(degrees) >= kLargestDegrees)
        return wxString::Format("%.0f", degrees) + wxString::FromUTF8("\xC2\xB0");
    // The whole degrees are split off first: the fraction left is exact.
    const double whole = std::trunc(std::fabs(degrees));
    const int64_t units =
        static_cast<int64_t>(whole) * kUnitsPerDegree + UnitsOfFraction(std::fabs(degrees) - whole);
    const int64_t d = units / kUnitsPerDegree;
    const int64_t m = units % kUnitsPerDegree / kUnitsPerMinute;
    const int64_t rest = units % kUnitsPerMinute;
    const wxString seconds =
        TwoDigits(rest / kUnitsPerSecond) + wxString::Format(".%04lld", static_cast<long long>(rest % kUnitsPerSecond));
    // Negative angles keep their sign even when they round to zero; -0.0
    // is no negative angle.
    const wxString sign = degrees < 0.0 ? "-" : "";
    return sign + wxString::Format("%lld", static_cast<long long>(d)) + wxString::FromUTF8("\xC2\xB0") +
           TwoDigits(m) + wxString::FromUTF8("\xE2\x80\xB2") + seconds + wxString::FromUTF8("\xE2\x80\xB3");
}

wxString FormatDmmss(const wxString &text)
{
    const int degree = text.Find(wxString::FromUTF8("\xC2\xB0"));
    const int minute = text.Find(wxString::FromUTF8("\xE2\x80\xB2"));
    const int point = text.Find('.');
    const int second = text.Find(wxString::FromUTF8("\xE2\x80\xB3"));
    if (degree == wxNOT_FOUND || minute == wxNOT_FOUND || point == wxNOT_FOUND || second == wxNOT_FOUND ||
        !(degree < minute && minute < point && point < second))
        return text;
    return text.Left(degree) + "." + text.Mid(degree + 1, minute - degree - 1) +
           text.Mid(minute + 1, point - minute - 1) + text.Mid(point + 1, second - point - 1);
}

double ParseDmmss(const wxString &text)
{
    const int point = text.Find('.');
    if (point == wxNOT_FOUND)
        return (LeadingInteger(text) * kPi) / 180.0;
    const wxString degreeText = text.Left(point);
    const wxString minuteText = text.Mid(point + 1, 2);
    const wxString secondText = text.Mid(point + 3, 2) + "." + text.Mid(point + 5);
    const int D = LeadingInteger(degreeText);
    const double M = LeadingInteger(minuteText);
    const double S = LeadingNumber(secondText);
    double t;
    if (D != 0) {
        t = ((M / 60.0 + std::abs(double(D))) + S / 3600.0) * (D < 0 ? -1.0 : 1.0);
    } else {
        t = M / 60.0 + S / 3600.0;
        if (degreeText.Contains("-"))
            t = -t;
    }
    return (t * kPi) / 180.0;
}

bool CheckDmmss(const wxString &typed, wxString *why)
{
    auto fail = [why](const char *utf8) {
        if (why)
            *why = wxString::FromUTF8(utf8);
        return false;
    };
    wxString text = typed;
    text.Trim(true).Trim(false);
    if (text.empty())
        return fail("方位角不能为空，请按 d.mmss 格式输入（如 123.4530）！");
    if (text.length() > 32)
        return fail("方位角文字过长，请按 d.mmss 格式输入！");
    wxString body = text;
    if (body[0] == '-' || body[0] == '+')
        body = body.Mid(1);
    const int point = body.Find('.');
    const wxString degrees = point == wxNOT_FOUND ? body : body.Left(point);
    const wxString fraction = point == wxNOT_FOUND ? wxString() : body.Mid(point + 1);
    if (degrees.empty() || !AllDigits(degrees) || !AllDigits(fraction))
        return fail("方位角不是数字，请按 d.mmss 格式输入（如 123.4530）！");
    if (degrees.length() > 9)
        return fail("方位角度数过大！");
    const wxString minutes = fraction.Mid(0, 2), seconds = fraction.Mid(2, 2);
    if (!minutes.empty() && LeadingInteger(minutes) >= 60)
        return fail("方位角的分应小于60！");
    if (!seconds.empty() && LeadingInteger(seconds) >= 60)
        return fail("方位角的秒应小于60！");
    return true;
}
