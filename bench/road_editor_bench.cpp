// road_editor_bench: opening the road element editor on a long road.
//
//   xvfb-run -a -s "-screen 0 1600x1000x24" road_editor_bench [--runs N]
//
// The road: 10 km with 200 horizontal elements (lines, spirals and arcs) and
// 100 vertical elements (grades and crest and sag curves).  Figures, each the
// median of N runs, in milliseconds:
//   editor_open_ms     the editor built on the road, shown, both pages
//                      listed, drawn and painted on screen
//   editor_empty_ms    the same on a road without elements: the cost of the
//                      windows themselves
//   profile_draw_ms    one fitted redraw of the profile (sampling every
//                      curve through the road library) and its paint
//   profile_samples_ms the same curve samples taken from the road library
//                      alone, nothing drawn
#include "HorizonPanel.h"
#include "MyCanvas.h"
#include "RoadElementDialog.h"
#include "VerticalPanel.h"
#include "canvas_test_app.h"
#include "road.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/notebook.h>

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

double Milliseconds(const std::function<void()> &work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Flush()
{
    wxEventLoopBase *loop = wxEventLoopBase::GetActive();
    while (loop && loop->Pending())
        loop->Dispatch();
    wxTheApp->ProcessPendingEvents();
}

// 10 km of plan: start, then 199 elements in a repeating line, spiral in,
// arc, spiral out pattern, turning left and right in turn.
void BuildPlan(road_t *road)
{
    horizon_element_t start{};
    start.type = HORIZON_START;
    start.start_x = 3500000.0;
    start.start_y = 500000.0;
    start.start_azimuth = 0.3;
    road_insert_horizon(road, &start, 0);
    double total = 0.0;
    for (int i = 1; road_number_horizon(road) < 200; ++i) {
        const int direction = (i / 4) % 2;
        horizon_element_t e{};
        switch (i % 4) {
        case 1:
            e.type = HORIZON_LINE;
            e.length = 20.0;
            break;
        case 2:
            e.type = HORIZON_TRANSITION;
            e.length = 60.0;
            e.start_radius = 0.0;
            e.end_radius = 800.0;
            break;
        case 3:
            e.type = HORIZON_CIRCLE;
            e.length = 61.2;
            e.radius = 800.0;
            break;
        default:
            e.type = HORIZON_TRANSITION;
            e.length = 60.0;
            e.start_radius = 800.0;
            e.end_radius = 0.0;
            break;
        }
        e.direction = direction;
        total += e.length;
        road_insert_horizon(road, &e, road_number_horizon(road));
    }
    road_apply_horizon(road);
    std::printf("plan_length_m=%.1f\n", total);
}

// 100 vertical elements over the same 10 km: grades of 100 m between crest
// and sag curves of 100 m, radius 5000.
void BuildProfile(road_t *road)
{
    vertical_element_t start{};
    start.type = VERTICAL_START;
    start.start_elevation = 100.0;
    start.start_grade = std::atan(0.01);
    road_insert_vertical(road, &start, 0);
    for (int i = 1; road_number_vertical(road) < 100; ++i) {
        vertical_element_t e{};
        e.type = i % 2 ? VERTICAL_GRADE : VERTICAL_CURVE;
        e.length = 100.0;
        e.radius = 5000.0;
        e.turn = (i / 2) % 2;
        road_insert_vertical(road, &e, road_number_vertical(road));
    }
    road_apply_vertical(road);
}

// The parts of one opening, for the figures that explain it.
struct OpenParts {
    std::vector<double> build, show, switchPage;
};

double OpenEditor(road_t *road, OpenParts *parts = nullptr)
{
    double build = 0.0, show = 0.0, switchPage = 0.0;
    const double total = Milliseconds([&] {
        RoadElementDialog *editor = nullptr;
        build = Milliseconds([&] { editor = new RoadElementDialog(nullptr, road); });
        show = Milliseconds([&] {
            editor->Show();
            editor->Update();
            Flush();
        });
        switchPage = Milliseconds([&] {
            editor->ElementBook->SetSelection(1);
            editor->VerticalPage->ProfileCanvas->Update();
            Flush();
        });
        editor->Destroy();
        Flush();
    });
    if (parts) {
        parts->build.push_back(build);
        parts->show.push_back(show);
        parts->switchPage.push_back(switchPage);
    }
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    if (!StartToolkit()) {
        std::fprintf(stderr, "road_editor_bench: %s\n", ToolkitFailure().c_str());
        return 1;
    }
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);

    road_t road, empty;
    road_init(&road);
    road_init(&empty);
    BuildPlan(&road);
    BuildProfile(&road);
    const vertical_element_t *last = road_vertical(&road, road_number_vertical(&road) - 1);
    std::printf("profile_length_m=%.1f\n", last->end_chainage - road_vertical(&road, 0)->start_chainage);

    std::vector<double> open, bare, draw, samples;
    OpenParts parts;
    OpenEditor(&road); // fonts and caches warmed once
    for (int run = 0; run < runs; ++run) {
        open.push_back(OpenEditor(&road, &parts));
        bare.push_back(OpenEditor(&empty));
    }
    auto *editor = new RoadElementDialog(nullptr, &road);
    editor->Show();
    editor->ElementBook->SetSelection(1);
    Flush();
    std::vector<double> horizonSet, verticalSet;
    for (int run = 0; run < runs; ++run) {
        horizonSet.push_back(Milliseconds([editor, &road] {
            editor->HorizonPage->SetRoad(&road);
            Flush();
        }));
        verticalSet.push_back(Milliseconds([editor, &road] {
            editor->VerticalPage->SetRoad(&road);
            Flush();
        }));
        draw.push_back(Milliseconds([editor] {
            editor->VerticalPage->DrawProfile(true);
            editor->VerticalPage->ProfileCanvas->Update();
        }));
        samples.push_back(Milliseconds([&road] {
            double sum = 0.0;
            for (int i = 0; i < road_number_vertical(&road); ++i) {
                const vertical_element_t *e = road_vertical(&road, i);
                if (e->type != VERTICAL_CURVE)
                    continue;
                for (int k = 1; k < 20; ++k) {
                    double z = 0.0;
                    road_l2h(&road, e->start_chainage + k * e->length / 20.0, &z, nullptr);
                    sum += z;
                }
            }
            if (sum == 42.0)
                std::printf("#");
        }));
    }
    editor->Destroy();
    Flush();
    road_final(&road);
    road_final(&empty);

    std::printf("runs=%d\n", runs);
    std::printf("editor_open_ms=%.2f\n", Median(open));
    std::printf("editor_empty_ms=%.2f\n", Median(bare));
    std::printf("editor_build_ms=%.2f\n", Median(parts.build));
    std::printf("editor_show_ms=%.2f\n", Median(parts.show));
    std::printf("vertical_page_show_ms=%.2f\n", Median(parts.switchPage));
    std::printf("horizon_page_fill_ms=%.2f\n", Median(horizonSet));
    std::printf("vertical_page_fill_ms=%.2f\n", Median(verticalSet));
    std::printf("profile_draw_ms=%.2f\n", Median(draw));
    std::printf("profile_samples_ms=%.3f\n", Median(samples));
    wxEntryCleanup();
    return 0;
}
