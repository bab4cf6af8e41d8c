// The real program, started as a surveyor starts it and closed through its
// window's close button (the window manager's delete request): it must open
// its main window, keep its settings under the program's own name and end
// with status 0.  Needs a display (run under Xvfb).
#include "canvas_test_app.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// The top-level window a process has mapped, by the process id the toolkit
// records on it; 0 when there is none yet.
Window FindWindowOf(Display *display, Window window, pid_t pid)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom != None) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                               &data) == Success
            && data) {
            const bool match = count == 1 && format == 32 && pid_t(*reinterpret_cast<unsigned long *>(data)) == pid;
            XFree(data);
            XWindowAttributes attributes;
            if (match && XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
                return window;
        }
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = FindWindowOf(display, children[i], pid);
    if (children)
        XFree(children);
    return found;
}

std::string WindowTitle(Display *display, Window window)
{
    char *name = nullptr;
    std::string title;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

// What the window manager sends when the user clicks the close button.
void RequestClose(Display *display, Window window)
{
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

class ProgramRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        display = HeldDisplay();
        ASSERT_TRUE(display) << ToolkitFailure();
    }

    void TearDown() override
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Starts the program from the temporary folder with home as its home.
    void Start(const std::string &home, std::string program = CORVANE_PROGRAM)
    {
        std::vector<std::string> variables;
        for (char **entry = environ; *entry; ++entry)
            if (std::strncmp(*entry, "HOME=", 5) != 0)
                variables.push_back(*entry);
        variables.push_back("HOME=" + home);
        std::vector<char *> envp;
        for (std::string &variable : variables)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        char *argv[] = {program.data(), nullptr};
        const std::string saved = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        // What the program and its toolkit say on the standard error stream.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errors().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_EQ(0, posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()));
        posix_spawn_file_actions_destroy(&actions);
        std::filesystem::current_path(saved);
    }

    Window WaitForWindow(int seconds = 30)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(seconds);
        while (Clock::now() < deadline) {
            if (Window window = FindWindowOf(display, DefaultRootWindow(display), pid))
                return window;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = 0;
                return 0;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return 0;
    }

    // The exit status, or -1 while the program still runs after the time.
    int WaitForExit(int seconds = 20)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(seconds);
        while (Clock::now() < deadline) {
            if (pid == 0 || waitpid(pid, &status, WNOHANG) == pid) {
                pid = 0;
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

    std::string errors() const { return dir.file("stderr.txt"); }

    TempDir dir;
    Display *display = nullptr;
    pid_t pid = 0;
    int status = 0;
};

TEST_F(ProgramRunTest, OpensItsWindowKeepsItsSettingsAndEndsCleanlyWhenClosed)
{
    const std::string home = dir.file("home");
    std::filesystem::create_directories(home);
    Start(home);
    const Window window = WaitForWindow();
    ASSERT_NE(0u, window) << "no main window; exit status " << status;
    EXPECT_EQ("Corvane", WindowTitle(display, window));

    // Let it render a while before it is closed.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    RequestClose(display, window);
    const int exit = WaitForExit();
    ASSERT_NE(-1, exit) << "the program did not end after its window was closed";
    ASSERT_TRUE(WIFEXITED(exit)) << "ended by signal " << (WIFSIGNALED(exit) ? WTERMSIG(exit) : 0);
    EXPECT_EQ(0, WEXITSTATUS(exit));
    // Settings are kept under the program's name, with the defaults it read.
    EXPECT_TRUE(std::filesystem::exists(home + "/.Corvane"));
    // The program's own widgets are sized so that the toolkit has nothing to
    // complain about.
    const std::string said = read_bytes(errors());
    EXPECT_EQ(std::string::npos, said.find("Gtk-CRITICAL")) << said;
    EXPECT_EQ(std::string::npos, said.find("Gtk-WARNING")) << said;
}

TEST_F(ProgramRunTest, AHomeItCannotWriteSettingsToDoesNotSpoilTheExit)
{
    Start(dir.file("missing-home"));
    const Window window = WaitForWindow();
    ASSERT_NE(0u, window) << "no main window; exit status " << status;
    // A close while the start-up update check runs would rightly be refused.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    RequestClose(display, window);
    const int exit = WaitForExit();
    ASSERT_NE(-1, exit) << "the program did not end after its window was closed";
    ASSERT_TRUE(WIFEXITED(exit)) << "ended by signal " << (WIFSIGNALED(exit) ? WTERMSIG(exit) : 0);
    EXPECT_EQ(0, WEXITSTATUS(exit));
}

// What a user gets from `cmake --install build --prefix DIR`: DIR/bin/corvane
// finds its libraries, icons, manual and tile reader from wherever it is
// started, with nothing of the source or build tree beside it.
TEST_F(ProgramRunTest, AnInstalledCopyStartsWithItsIconsManualAndTileReader)
{
    namespace fs = std::filesystem;
    const fs::path prefix = dir.path() / "prefix";
    const std::string install = std::string("\"") + CORVANE_CMAKE_COMMAND + "\" --install \"" +
                                CORVANE_BUILD_DIR + "\" --prefix \"" + prefix.string() + "\" >\"" +
                                dir.file("install.txt") + "\" 2>&1";
    ASSERT_EQ(0, std::system(install.c_str())) << read_bytes(dir.file("install.txt"));

    const fs::path share = prefix / "share/corvane";
    EXPECT_TRUE(fs::is_regular_file(share / "doc/manual.html"));
    EXPECT_TRUE(fs::is_regular_file(share / "icons/logo.png"));
    bool reader = false;
    for (const auto &entry : fs::directory_iterator(prefix / "lib"))
        if (entry.path().filename().string().rfind("osgPlugins-", 0) == 0)
            reader = reader || fs::is_regular_file(entry.path() / "osgdb_octree.so");
    EXPECT_TRUE(reader) << "no tile reader under " << (prefix / "lib");

    // Every library the program and the reader need is found.
    const std::string ldd = "ldd \"" + (prefix / "bin/corvane").string() + "\" " + "\"" + prefix.string() +
                            "\"/lib/osgPlugins-*/osgdb_octree.so >\"" + dir.file("ldd.txt") + "\" 2>&1";
    ASSERT_EQ(0, std::system(ldd.c_str())) << read_bytes(dir.file("ldd.txt"));
    EXPECT_EQ(std::string::npos, read_bytes(dir.file("ldd.txt")).find("not found")) << read_bytes(dir.file("ldd.txt"));

    const std::string home = dir.file("home");
    fs::create_directories(home);
    Start(home, (prefix / "bin/corvane").string());
    const Window window = WaitForWindow();
    ASSERT_NE(0u, window) << "no main window; exit status " << status << "\n" << read_bytes(errors());
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    RequestClose(display, window);
    const int exit = WaitForExit();
    ASSERT_NE(-1, exit) << "the installed program did not end after its window was closed";
    ASSERT_TRUE(WIFEXITED(exit)) << "ended by signal " << (WIFSIGNALED(exit) ? WTERMSIG(exit) : 0);
    EXPECT_EQ(0, WEXITSTATUS(exit)) << read_bytes(errors());
}

} // namespace
