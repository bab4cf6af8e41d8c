// The toolkit for the window tests: started once per test process, without a
// main loop; tests pump its events themselves.  A window test that cannot
// start the toolkit fails with the reason (ASSERT_TOOLKIT_STARTED), and its
// TearDown may still pump events: with no toolkit that does nothing.
#pragma once

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/window.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

// Why the toolkit did not start; empty while it runs or was never asked.
inline std::string &ToolkitFailure()
{
    static std::string why;
    return why;
}

inline bool ToolkitRunning()
{
    return wxTheApp != nullptr && ToolkitFailure().empty();
}

// The X library itself, without its header's macros (None, Status, Bool...),
// which would clash with the toolkit's and the scene graph's names.
typedef struct _XDisplay Display;
extern "C" Display *XOpenDisplay(const char *name);

namespace toolkit_start {

// What fn writes on the standard error stream while it runs (the X library
// says there why the server refused a connection).
inline std::string CaptureStandardError(const std::function<void()> &fn)
{
    std::fflush(stderr);
    FILE *sink = std::tmpfile();
    const int saved = sink ? dup(STDERR_FILENO) : -1;
    if (saved < 0) {
        if (sink)
            std::fclose(sink);
        fn();
        return std::string();
    }
    dup2(fileno(sink), STDERR_FILENO);
    fn();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string text;
    std::rewind(sink);
    for (int c; (c = std::fgetc(sink)) != EOF;)
        text += char(c);
    std::fclose(sink);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// The connection HeldDisplay() opens.
inline Display *&Held()
{
    static Display *display = nullptr;
    return display;
}

// Opens the held connection; on failure returns why.
inline std::string OpenDisplay(const char *name)
{
    int error = 0;
    const std::string said = CaptureStandardError([&] {
        errno = 0;
        Held() = XOpenDisplay(name);
        error = errno;
    });
    if (Held())
        return std::string();
    std::string why = "cannot open display \"" + std::string(name) + "\"";
    if (!said.empty())
        why += ": " + said;
    else if (error != 0)
        why += ": " + std::string(std::strerror(error));
    return why;
}

} // namespace toolkit_start

// The connection this process holds on the display: opened once, tried
// again for a while when the display refuses it (on a loaded machine a
// virtual server may be between clients, resetting), and kept open so that
// the server does not reset under the connections opened after it.  Null,
// and ToolkitFailure() says why, when there is none.
inline Display *HeldDisplay()
{
    static bool tried = false;
    if (tried)
        return toolkit_start::Held();
    tried = true;
    const char *name = std::getenv("DISPLAY");
    if (!name || !*name) {
        ToolkitFailure() = "DISPLAY is not set: the toolkit needs an X display (run under xvfb-run)";
        return nullptr;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int refusals = 0;
    std::string why, last;
    while (!(why = toolkit_start::OpenDisplay(name)).empty()) {
        ++refusals;
        last = why;
        if (std::chrono::steady_clock::now() >= deadline) {
            ToolkitFailure() = why + " (tried " + std::to_string(refusals) + " times in 30 s)";
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (refusals > 0)
        std::fprintf(stderr, "opened after %d refusals, the last: %s\n", refusals, last.c_str());
    return toolkit_start::Held();
}

// Starts the toolkit once; false (and ToolkitFailure() says why) when it
// cannot.
inline bool StartToolkit()
{
    static int started = -1;
    if (started >= 0)
        return started == 1;
    started = 0;
    if (!HeldDisplay())
        return false;
    const char *name = std::getenv("DISPLAY");
    static int argc = 1;
    static char program[] = "window_tests";
    static char *argv[] = {program, nullptr};
    wxApp::SetInstance(new wxApp);
    bool up = false;
    const std::string said = toolkit_start::CaptureStandardError([&] { up = wxEntryStart(argc, argv); });
    if (!up) {
        ToolkitFailure() = "the toolkit did not start on display \"" + std::string(name) + "\""
                           + (said.empty() ? std::string() : ": " + said);
        return false;
    }
    if (!said.empty())
        std::fprintf(stderr, "%s\n", said.c_str());
    if (!wxTheApp->CallOnInit()) {
        ToolkitFailure() = "the application object did not initialise";
        return false;
    }
    // What the toolkit keeps for the whole run (image handlers, modules)
    // goes at exit as in a program's, so that leak checks see only leaks.
    std::atexit([] { wxEntryCleanup(); });
    started = 1;
    return true;
}

// In a SetUp or a test: the toolkit started, or the test fails saying why.
#define ASSERT_TOOLKIT_STARTED() ASSERT_TRUE(StartToolkit()) << ToolkitFailure()

// Handles the toolkit's pending events (and idle events too, when asked)
// until done() or the time is up; returns done().  Without a running
// toolkit there is nothing to handle.
inline bool PumpEventsUntil(const std::function<bool()> &done, int milliseconds = 5000, bool with_idle = false)
{
    if (!ToolkitRunning())
        return done();
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
