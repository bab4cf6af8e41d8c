// Shared helpers of the theme tests: the toolkit started once per process,
// pixels read back from memory bitmaps, colour distances and contrast, and
// a recorder for the toolkit's assertions.
#pragma once

#include "canvas_test_app.h"

#include <gtest/gtest.h>

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <algorithm>
#include <ostream>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

// Readable colours in failure messages.
inline void PrintTo(const wxColour &c, std::ostream *os)
{
    *os << "rgb(" << int(c.Red()) << "," << int(c.Green()) << "," << int(c.Blue()) << ")";
}

namespace themetest {

inline wxColour PixelAt(const wxBitmap &bitmap, int x, int y)
{
    const wxImage image = bitmap.ConvertToImage();
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// Largest per-channel difference.
inline int Distance(const wxColour &a, const wxColour &b)
{
    return std::max({std::abs(a.Red() - b.Red()), std::abs(a.Green() - b.Green()), std::abs(a.Blue() - b.Blue())});
}

// Relative luminance and contrast ratio as used for text legibility.
inline double RelativeLuminance(const wxColour &c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.Red()) + 0.7152 * channel(c.Green()) + 0.0722 * channel(c.Blue());
}

inline double ContrastRatio(const wxColour &a, const wxColour &b)
{
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A bitmap filled with one colour, to see what a drawing call changed.
inline wxBitmap FilledBitmap(int w, int h, const wxColour &fill)
{
    wxBitmap bitmap(w, h, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(fill));
    dc.Clear();
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

// Collects the toolkit's assertion messages instead of aborting.
class AssertRecorder
{
public:
    AssertRecorder() { m_previous = wxSetAssertHandler(&AssertRecorder::Record); Messages().clear(); }
    ~AssertRecorder() { wxSetAssertHandler(m_previous); }
    static std::vector<std::string> &Messages()
    {
        static std::vector<std::string> messages;
        return messages;
    }

private:
    static void Record(const wxString &, int, const wxString &, const wxString &, const wxString &msg)
    {
        Messages().push_back(msg.ToStdString());
    }
    wxAssertHandler_t m_previous;
};

class ToolkitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
        static bool handlers = false;
        if (!handlers) {
            wxInitAllImageHandlers();
            handlers = true;
        }
    }
};

} // namespace themetest
