// Turns what the surveyor typed into the vertical element dialogs into
// element records, refusing anything that is not a sound number for its
// field, and checks that a changed profile can still be drawn and built.
// Each refusal comes with the message that tells the surveyor why.
#pragma once

#include "road.h"

#include <wx/string.h>

#include <vector>

class V_Line;
class V_Round;
class V_StartPoint;
class wxWindow;

class VerticalInput
{
public:
    // Steepest grade a profile may have, in percent either way.
    static constexpr double MAX_GRADE_PERCENT = 100.0;

    // Each fills *element and returns true, or returns false with *error set,
    // *wrong the field to correct, and *element untouched.
    static bool ReadStartPoint(const V_StartPoint &dialog, vertical_element_t *element, wxString *error,
                               wxWindow **wrong = nullptr);
    static bool ReadLine(const V_Line &dialog, vertical_element_t *element, wxString *error,
                         wxWindow **wrong = nullptr);
    static bool ReadCurve(const V_Round &dialog, vertical_element_t *element, wxString *error,
                          wxWindow **wrong = nullptr);

    // True when every element of the chained profile has finite ends and
    // grades no steeper than the limit: a vertical curve longer than its
    // radius allows fails here.
    static bool IsSoundProfile(road_t *road);

    // The message box of the alignment editors for a refused input.
    static void ShowError(const wxString &message);
};
