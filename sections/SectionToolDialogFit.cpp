// The strip's layout for the section view it lies in.  A narrow or low
// view gets the strip in a more compact form rather than a strip
// that sticks out of it: shorter sliders, then no labels (each text box
// names its value in its tool tip), then the buttons in a row of their
// own, then the values one above the other, and last without the DXF
// buttons, used least; in the lowest views the text boxes stand without
// their sliders.
#include "SectionToolDialog.h"

#include <wx/bmpbuttn.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace {

struct Compaction {
    int sliderWidth; // 0: no sliders, the text boxes alone
    bool labels;
    bool buttonsBelow;
    bool valuesStacked;
    bool dxfButtons;
};

// From the roomiest to the most compact; the first that fits is taken.
const Compaction LAYOUTS[] = {
    {150, true, false, false, true}, {90, true, false, false, true},  {90, false, false, false, true},
    {150, true, true, false, true},  {90, true, true, false, true},   {90, false, true, false, true},
    {90, true, true, true, true},    {60, false, true, true, true},   {0, false, true, false, true},
    {0, false, true, false, false},  {60, false, true, true, false},  {0, false, true, true, false},
};

} // namespace

wxSize SectionToolDialog::FitToSize(const wxSize &room)
{
    auto *row = dynamic_cast<wxBoxSizer *>(GetSizer());
    wxSizerItem *valuesItem = row ? row->GetItem(size_t(0)) : nullptr;
    auto *values = valuesItem ? dynamic_cast<wxBoxSizer *>(valuesItem->GetSizer()) : nullptr;
    if (!row || !values)
        return GetSize();
    wxStaticText *labels[] = {m_pointSizeLabel, m_bufferWidthLabel, m_sectionWidthLabel};
    wxSlider *sliders[] = {m_pointSizeSlider, m_bufferWidthSlider, m_sectionWidthSlider};
    wxTextCtrl *texts[] = {m_pointSizeText, m_bufferWidthText, m_sectionWidthText};
    wxWindow *dxf[] = {FindWindow(ID_BITMAPBUTTON3), FindWindow(ID_BITMAPBUTTON7)};
    for (int i = 0; i < 3; i++)
        texts[i]->SetToolTip(labels[i]->GetLabel());

    wxSize needed;
    for (const Compaction &layout : LAYOUTS) {
        for (int i = 0; i < 3; i++) {
            labels[i]->Show(layout.labels);
            sliders[i]->Show(layout.sliderWidth > 0);
            if (layout.sliderWidth > 0)
                sliders[i]->SetMinSize(wxSize(layout.sliderWidth, -1));
        }
        for (wxWindow *button : dxf)
            if (button)
                button->Show(layout.dxfButtons);
        row->SetOrientation(layout.buttonsBelow ? wxVERTICAL : wxHORIZONTAL);
        values->SetOrientation(layout.valuesStacked ? wxVERTICAL : wxHORIZONTAL);
        needed = row->GetMinSize();
        if (needed.GetWidth() <= room.GetWidth() && needed.GetHeight() <= room.GetHeight())
            break;
    }
    // The toolkit keeps a window at least as large as its minimum size; the
    // strip must never be larger than the view, even when its controls are.
    SetSizeHints(wxSize(1, 1));
    // The controls are laid out at the size the strip is about to get, not at
    // the size it has: under a window manager the strip keeps its old size
    // until the manager grants the new one, and controls squeezed into the
    // old size in the meantime make the toolkit complain.
    row->SetDimension(wxPoint(0, 0), wxSize(room.GetWidth(), std::min(needed.GetHeight(), room.GetHeight())));
    return needed;
}
