// The plan of the horizontal elements on the panel's canvas: one polyline
// per element after the start point, a symbol and a label at every
// element's end.  The canvas takes plane points as (East, North), the road
// library's (Y, X).
#include "HorizonPanel.h"

#include <vector>

namespace {

const int kSamples = 20;

const char *TypeLetter(int type)
{
    switch (type) {
    case HORIZON_LINE:
        return "Z";
    case HORIZON_CIRCLE:
        return "Y";
    case HORIZON_TRANSITION:
        return "H";
    default:
        return "";
    }
}

std::vector<wxRealPoint> ElementPoints(const road_t *road, const horizon_element_t &e)
{
    std::vector<wxRealPoint> points{wxRealPoint(e.start_y, e.start_x)};
    if (e.type == HORIZON_CIRCLE || e.type == HORIZON_TRANSITION) {
        const double end = e.start_chainage + e.length;
        const double step = e.length / kSamples;
        if (e.length > 0.001) {
            double s = e.start_chainage;
            for (int k = 1; k < kSamples; ++k) {
                s += step;
                if (s >= end)
                    break;
                double x = 0, y = 0;
                road_l2xy(road, s, &x, &y, nullptr);
                points.emplace_back(y, x);
            }
        }
    }
    points.emplace_back(e.end_y, e.end_x);
    return points;
}

wxString Label(road_t *road, int i, int n)
{
    const horizon_element_t *e = road_horizon(road, i);
    wxString letters;
    if (i == 0)
        letters = "QD";
    else if (i == n - 1)
        letters = "ZD";
    else
        letters = wxString(TypeLetter(e->type)) + TypeLetter(road_horizon(road, i + 1)->type);
    char station[64];
    mileage_format(e->start_chainage + e->length, station, sizeof station);
    return letters + "(" + wxString::FromUTF8(station) + ")";
}

} // namespace

void HorizonPanel::DrawPlan(bool zoom)
{
    const int n = m_road ? road_number_horizon(m_road) : 0;
    PlanCanvas->Clear();
    for (int i = 0; i < n; ++i) {
        const horizon_element_t e = *road_horizon(m_road, i);
        if (e.type == HORIZON_LINE || e.type == HORIZON_CIRCLE || e.type == HORIZON_TRANSITION) {
            const std::vector<wxRealPoint> points = e.type == HORIZON_LINE
                                                        ? std::vector<wxRealPoint>{wxRealPoint(e.start_y, e.start_x),
                                                                                   wxRealPoint(e.end_y, e.end_x)}
                                                        : ElementPoints(m_road, e);
            PlanCanvas->AddPolyline(static_cast<int>(points.size()), points.data(), *wxBLACK, 1, 1, *wxGREEN);
        }
        PlanCanvas->AddSymbol(e.end_y, e.end_x, 0, 8, 1, *wxBLACK, *wxWHITE, 1, *wxRED);
        PlanCanvas->AddText(Label(m_road, i, n), e.end_y, e.end_x, "Arial", *wxBLACK, 10);
    }
    const long selected = ElementList->GetFirstSelected();
    m_highlighted = selected > 0 ? static_cast<int>(selected) - 1 : -1;
    PlanCanvas->SetPolylineSelected(m_highlighted, 1);
    if (zoom)
        PlanCanvas->ZoomToExtents();
    else
        PlanCanvas->UpdateView();
}
