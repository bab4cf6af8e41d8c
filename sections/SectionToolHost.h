// What the section tool windows ask of the window that shows the current
// section.  The windows keep no values of their own: every change goes to the
// host at once, and what they show is read back from it.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

class SectionToolHost
{
public:
    virtual ~SectionToolHost() = default;

    // The values in force for the current section.
    virtual double SectionThickness() const = 0;
    virtual double SectionWidth() const = 0;
    virtual float GetPointSize() const = 0;

    // A longitude section spans its chainages: its width cannot change.
    virtual bool IsSectionWidthFixed() const = 0;

    // Each is true when the value is in force: shown at once, or computed
    // once the running task ends.  False leaves every value as it was.
    virtual bool SetSectionPointSize(float size) = 0;
    virtual bool SetSectionOffset(double thickness) = 0;
    virtual bool SetSectionWidth(double width) = 0;

    virtual void ShowViewModeMenu() = 0;
    virtual void ShowColorMenu() = 0;
    virtual void MeasureDistance() = 0;
    virtual void MeasureSectionPoint() = 0;
    virtual void DeleteSectionPoint() = 0;
    virtual void FinishSectionMeasure() = 0;
    virtual void ImportSectionDxf() = 0;
    virtual void ExportSectionFile() = 0;

    // A picture of the program's resources such as "icons/view.png"; an
    // invalid bitmap when it is missing.
    virtual wxBitmap LoadPicture(const wxString &relative) const = 0;
};
