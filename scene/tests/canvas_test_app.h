// The toolkit for the window tests: started once per test process, without a
// main loop; tests pump its events themselves.
#pragma once

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/window.h>

#include <chrono>
#include <functional>
#include <thread>

// False when there is no display to open windows on.
inline bool StartToolkit()
{
    static int started = -1;
    if (started < 0) {
        static int argc = 1;
        static char name[] = "scene_tests";
        static char *argv[] = {name, nullptr};
        wxApp::SetInstance(new wxApp);
        started = wxEntryStart(argc, argv) && wxTheApp->CallOnInit() ? 1 : 0;
    }
    return started == 1;
}

// Handles the toolkit's pending events (and idle events too, when asked)
// until done() or the time is up; returns done().
inline bool PumpEventsUntil(const std::function<bool()> &done, int milliseconds = 5000, bool with_idle = false)
{
    static wxGUIEventLoop loop;
    wxEventLoopActivator activator(&loop);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        while (loop.Pending())
            loop.Dispatch();
        wxTheApp->ProcessPendingEvents();
        if (with_idle)
            wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(with_idle ? 2 : 5));
    }
    return done();
}

inline void PumpEventsFor(int milliseconds)
{
    PumpEventsUntil([] { return false; }, milliseconds);
}

// Waits until a shown window is mapped and laid out at its final size.
inline bool WaitUntilShown(wxWindow *window)
{
    return PumpEventsUntil([window] {
        return window->IsShownOnScreen() && window->GetClientSize().GetWidth() > 0
               && window->GetClientSize().GetHeight() > 0;
    });
}
