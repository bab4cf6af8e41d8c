// Turns the fields of the horizontal element dialogs into element records.
// Every number is read whole and checked: text that is empty, not a number,
// not finite or out of range is refused with the reason, so that a bad field
// never reaches the road.
#pragma once

#include "road.h"

#include <wx/string.h>

class H_Line;
class H_Moderate;
class H_Round;
class H_StartPoint;
class wxWindow;

class HorizonElementReader
{
public:
    // Each fills `element` (all other fields zero) and returns true, or
    // returns false with the message to show in `why` and the field to
    // correct in `field`.
    static bool ReadStartPoint(const H_StartPoint &dialog, horizon_element_t *element, wxString *why,
                               wxWindow **field = nullptr);
    static bool ReadLine(const H_Line &dialog, horizon_element_t *element, wxString *why,
                         wxWindow **field = nullptr);
    static bool ReadCircle(const H_Round &dialog, horizon_element_t *element, wxString *why,
                           wxWindow **field = nullptr);
    static bool ReadTransition(const H_Moderate &dialog, horizon_element_t *element, wxString *why,
                               wxWindow **field = nullptr);

    // A number typed in a field: the whole text (blanks around it allowed),
    // finite.
    static bool ReadNumber(const wxString &text, double *value);

    // The message for a start mileage not below the end mileage.
    static wxString MileageMessage();
};
