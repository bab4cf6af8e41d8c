// canvas_bench: speed of the 2-D canvas on a plan the size of a long road.
//
//   xvfb-run -a -s "-screen 0 1600x1000x24" canvas_bench [--runs N]
//
// The map: a 10 km road on survey coordinates drawn every metre as 20,000
// two-point polylines (both edges), 2,000 symbols and 2,000 labels.  Figures,
// each the median of N runs after one untimed run, in milliseconds:
//   draw_ms          MyMap::Draw of the whole map into a 1600 x 1000 back buffer
//   draw_last_ms     draw_ms again after every other figure (caches warm)
//   draw_baseline_ms the same segments, circles and texts drawn straight
//                    through the device context, one pen and font set once
//   pick_ms          one click over the map with every kind selectable
//   pick_baseline_ms the distance from the click to every segment, nothing else
//   fit_ms           MyCanvas::ZoomToExtents (extent, all pixel positions, bands)
//   fit_baseline_ms  one pass over every point for its extent
#include "MyCanvas.h"
#include "canvas_test_app.h"

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int runs, const std::function<void()> &work)
{
    // One untimed run first: fonts, caches and the back buffer's first use.
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Road {
    std::vector<wxRealPoint> left, right, stations;
};

// A gentle S-curve 10 km long at survey coordinates, 7.5 m either side.
Road MakeRoad()
{
    Road road;
    const double e0 = 3512000.0, n0 = 4498000.0;
    for (int s = 0; s <= 10000; ++s) {
        const double t = s / 10000.0;
        const double e = e0 + 8000.0 * t, n = n0 + 600.0 * std::sin(t * 2.0 * M_PI) + 3000.0 * t;
        const double de = 8000.0, dn = 600.0 * 2.0 * M_PI * std::cos(t * 2.0 * M_PI) + 3000.0;
        const double len = std::hypot(de, dn);
        road.left.emplace_back(e - 7.5 * dn / len, n + 7.5 * de / len);
        road.right.emplace_back(e + 7.5 * dn / len, n - 7.5 * de / len);
        if (s % 5 == 0 && road.stations.size() < 2000)
            road.stations.emplace_back(e, n);
    }
    return road;
}

double LoadAverage()
{
    double load = 0.0;
    if (FILE *file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = 0.0;
        std::fclose(file);
    }
    return load;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 15;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    if (!StartToolkit()) {
        std::fprintf(stderr, "canvas_bench: %s\n", ToolkitFailure().c_str());
        return 1;
    }
    wxFrame *frame = new wxFrame(nullptr, wxID_ANY, "bench");
    MyCanvas *canvas = new MyCanvas(frame, wxID_ANY, wxDefaultPosition, wxSize(1600, 1000));
    frame->SetClientSize(1600, 1000);
    canvas->SetSize(1600, 1000);

    const Road road = MakeRoad();
    // Each edge metre by metre, as a plan draws its elements one after the other.
    for (const std::vector<wxRealPoint> *edge : {&road.left, &road.right})
        for (size_t i = 0; i + 1 < edge->size(); ++i)
            canvas->AddPolyline(2, &(*edge)[i], *wxBLACK, 1, 1, *wxGREEN);
    char label[64];
    for (size_t i = 0; i < road.stations.size(); ++i) {
        const wxRealPoint &p = road.stations[i];
        canvas->AddSymbol(p.x, p.y, 0, 8, 1, *wxBLACK, *wxWHITE, 1, *wxRED);
        std::snprintf(label, sizeof label, "K%zu+%03zu.00", i * 5 / 1000, i * 5 % 1000);
        canvas->AddText(label, p.x, p.y, "Arial", *wxBLACK, 10);
    }
    const MyMap &map = canvas->GetMap();
    std::printf("polylines=%zu\nsymbols=%zu\ntexts=%zu\n", map.polylines.size(), map.symbols.size(),
                map.texts.size());

    const double fit = MedianMs(runs, [canvas] { canvas->ZoomToExtents(); });
    const double fitBaseline = MedianMs(runs, [&map] {
        double lo = 1e300, hi = -1e300;
        for (const MyPolyline *polyline : map.polylines)
            for (const MyPoint *point : polyline->points) {
                lo = std::min(lo, point->x);
                hi = std::max(hi, point->x);
            }
        if (lo > hi)
            std::printf("?");
    });

    wxBitmap buffer(1600, 1000, wxBITMAP_SCREEN_DEPTH);
    wxMemoryDC dc(buffer);
    auto clear = [&dc] {
        dc.SetBrush(*wxWHITE_BRUSH);
        dc.SetPen(*wxBLACK_PEN);
        dc.DrawRectangle(0, 0, 1600, 1000);
    };
    const double draw = MedianMs(runs, [&] {
        clear();
        map.Draw(dc);
    });
    // The same map one kind at a time, to see where the time goes.
    auto drawOnly = [&](auto keep) {
        MyMap part;
        part.CopyFrom(map);
        keep(part);
        part.SetView(map.ViewOriginX(), map.ViewOriginY(), map.ViewScale());
        return MedianMs(runs, [&] {
            clear();
            part.Draw(dc);
        });
    };
    auto drop = [](auto &list) {
        for (auto *item : list)
            delete item;
        list.clear();
    };
    const double drawPolylines = drawOnly([&](MyMap &m) {
        drop(m.texts);
        drop(m.symbols);
    });
    const double drawTexts = drawOnly([&](MyMap &m) {
        drop(m.polylines);
        drop(m.symbols);
    });
    const double drawSymbols = drawOnly([&](MyMap &m) {
        drop(m.polylines);
        drop(m.texts);
    });
    const double drawBaseline = MedianMs(runs, [&] {
        clear();
        dc.SetPen(wxPen(*wxBLACK, 1));
        for (const MyPolyline *polyline : map.polylines)
            dc.DrawLine(polyline->points[0]->px, polyline->points[0]->py, polyline->points[1]->px,
                        polyline->points[1]->py);
        dc.SetFont(wxFont(10, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, "Arial"));
        for (const MyText *text : map.texts)
            dc.DrawText(text->text, text->anchor.px, text->anchor.py);
        dc.SetBrush(*wxWHITE_BRUSH);
        for (const MySymbol *symbol : map.symbols)
            dc.DrawEllipse(symbol->position.px - 4, symbol->position.py - 4, 8, 8);
    });

    canvas->SetPolylinesSelectable(1);
    canvas->SetPolygonsSelectable(1);
    canvas->SetSymbolsSelectable(1);
    // A click on empty paper walks every entity: the slowest click.
    const wxPoint empty(5, 995);
    const double pick = MedianMs(runs, [canvas, empty] {
        wxMouseEvent down(wxEVT_LEFT_DOWN), up(wxEVT_LEFT_UP);
        down.SetPosition(empty);
        up.SetPosition(empty);
        canvas->GetEventHandler()->ProcessEvent(down);
        canvas->GetEventHandler()->ProcessEvent(up);
    });
    const double pickBaseline = MedianMs(runs, [&map, empty] {
        double best = 1e300;
        for (const MyPolyline *polyline : map.polylines) {
            const MyPoint &a = *polyline->points[0], &b = *polyline->points[1];
            const double dx = b.px - a.px, dy = b.py - a.py, len2 = dx * dx + dy * dy;
            double t = len2 > 0 ? ((empty.x - a.px) * dx + (empty.y - a.py) * dy) / len2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            best = std::min(best, std::hypot(a.px + t * dx - empty.x, a.py + t * dy - empty.y));
        }
        if (best < 0)
            std::printf("?");
    });
    const bool nothingPicked = canvas->GetSelectedPolylines().empty() && canvas->GetSelectedSymbols().empty();

    const double drawLast = MedianMs(runs, [&] {
        clear();
        map.Draw(dc);
    });
    std::printf("draw_ms=%.2f\ndraw_last_ms=%.2f\ndraw_baseline_ms=%.2f\n", draw, drawLast, drawBaseline);
    std::printf("draw_polylines_ms=%.2f\ndraw_texts_ms=%.2f\ndraw_symbols_ms=%.2f\n", drawPolylines, drawTexts,
                drawSymbols);
    std::printf("pick_ms=%.3f\npick_baseline_ms=%.3f\npick_hit_nothing=%d\n", pick, pickBaseline, nothingPicked);
    std::printf("fit_ms=%.2f\nfit_baseline_ms=%.2f\n", fit, fitBaseline);
    std::printf("runs=%d\nloadavg=%.2f\n", runs, LoadAverage());
    dc.SelectObject(wxNullBitmap);
    frame->Destroy();
    wxEntryCleanup();
    return 0;
}
