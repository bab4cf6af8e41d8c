// Plan azimuths as text: the display form degrees°minutes′seconds″ (seconds
// with four decimals) and the d.mmss form a surveyor types
// (123.45301234 is 123°45′30.1234″).
#pragma once

#include <wx/string.h>

// Radians to display text.  Seconds that round to 60 carry into the minutes
// and degrees; the angle is not normalised (400° stays 400°).
wxString FormatAngleText(double angle);

// Display text to d.mmss text; text that is not display text comes back
// unchanged.
wxString FormatDmmss(const wxString &text);

// d.mmss text to radians.  Parts that cannot be read count as 0; fields are
// not range-checked (CheckDmmss does that for typed input).
double ParseDmmss(const wxString &text);

// Whether typed d.mmss text is a well-formed angle: an optional sign, whole
// degrees, and after a point two digits of minutes below 60, two digits of
// seconds below 60 and any decimals.  On failure `why` says what is wrong.
bool CheckDmmss(const wxString &text, wxString *why);
