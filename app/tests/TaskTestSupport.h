// Shared pieces of the worker-thread, update-check and status-panel tests: a
// receiver that records task events, a workspace of the test's own, a small
// corridor project and a one-answer HTTP server on the loopback interface.
// The toolkit is started as in the scene's window tests.
#pragma once

#include "SceneManager.h"
#include "TaskThread.h"
#include "UpdateRequest.h"
#include "canvas_test_app.h"
#include "lasgen.h"
#include "temp_dir.h"
#include "velmo.h"

#include <gtest/gtest.h>

#include <wx/config.h>
#include <wx/memconf.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace tasktest {

// Handles the toolkit's pending events until done() or the time is up.
inline bool PumpUntil(const std::function<bool()> &done, int milliseconds = 20000)
{
    return PumpEventsUntil(done, milliseconds);
}

struct Recorded {
    wxEventType type;
    int total, current;
    wxString message;
    int code;
    velmo_t *cloud;
    section_t *section;
    wks_road_t *road;
};

struct RecordedUpdate {
    std::string version, url, description;
    int filesize;
};

// Receives what a task queues, in arrival order.
class EventRecorder : public wxEvtHandler
{
public:
    EventRecorder()
    {
        Bind(EVT_TASK_START, &EventRecorder::OnTask, this);
        Bind(EVT_TASK_PROGRESS, &EventRecorder::OnTask, this);
        Bind(EVT_TASK_FINISH, &EventRecorder::OnTask, this);
        Bind(EVT_UPDATE_VERSION, &EventRecorder::OnUpdate, this);
    }

    std::vector<Recorded> events;
    std::vector<RecordedUpdate> updates;

    bool Finished() const { return !events.empty() && events.back().type == EVT_TASK_FINISH; }
    std::vector<Recorded> Progress() const
    {
        std::vector<Recorded> steps;
        for (const Recorded &e : events)
            if (e.type == EVT_TASK_PROGRESS)
                steps.push_back(e);
        return steps;
    }

private:
    void OnTask(TaskThreadEvent &e)
    {
        events.push_back({e.GetEventType(), e.GetTotal(), e.GetCurrent(), e.GetMessage(), e.GetCode(), e.GetCloud(),
                          e.GetSection(), e.GetRoad()});
    }
    void OnUpdate(UpdateVersionEvent &e)
    {
        updates.push_back({e.GetVersion(), e.GetUrl(), e.GetDescription(), e.GetFileSize()});
    }
};

// Waits until no task thread is registered any more and the last one has
// run its last code: a test program that ends while the toolkit still cleans
// up a finished thread crashes in that clean-up.
inline bool WaitForThreadEnd(int milliseconds = 20000)
{
    return PumpUntil([] { return !TaskThread::HasCurrentTask() && !TaskThread::AnyThreadRunning(); },
                     milliseconds);
}

// Runs a task to its end; the finish event has been handled on return.
inline bool RunTask(TaskThread *task, EventRecorder &recorder, int milliseconds = 60000)
{
    if (task->Run() != wxTHREAD_NO_ERROR) {
        delete task;
        return false;
    }
    bool finished = PumpUntil([&] { return recorder.Finished(); }, milliseconds);
    return WaitForThreadEnd() && finished;
}

// A fresh workspace in g_workspace for one test; the one before comes back.
class TestWorkspace
{
public:
    TestWorkspace() : saved_(g_workspace) { Reset(); }
    ~TestWorkspace()
    {
        Close();
        g_workspace = saved_;
    }
    void Reset()
    {
        Close();
        g_workspace = static_cast<wks_t *>(malloc(96));
        wks_init(g_workspace);
    }
    wks_t *operator->() const { return g_workspace; }
    wks_t *get() const { return g_workspace; }

private:
    void Close()
    {
        if (g_workspace && g_workspace != saved_)
            wks_destroy(g_workspace);
        g_workspace = nullptr;
    }
    wks_t *saved_;
};

// A short straight corridor: a small LAS file and its centre line as a HaiDi
// road file.  Chainage 0 to 60, the road centre at chainage 0 at (east, north).
struct Corridor {
    lasgen::CorridorSpec spec;
    std::string las, pm;
};

inline Corridor MakeCorridor(const TempDir &folder, uint64_t points = 20000)
{
    Corridor c;
    c.spec.points = points;
    c.spec.length = 60;
    c.spec.tree_share = 0;
    c.spec.threads = 1;
    c.las = folder.file("corridor.las");
    c.pm = folder.file("corridor.pm");
    std::string error;
    EXPECT_TRUE(lasgen::write_corridor(c.spec, c.las, &error)) << error;
    road_t road;
    road_init(&road);
    lasgen::build_alignment(c.spec, &road);
    EXPECT_EQ(road_export_haidi(&road, c.pm.c_str()), 0);
    road_final(&road);
    return c;
}

template <typename T>
T *ItemOf(Array *list, size_t index)
{
    void *out = nullptr;
    if (array_get_at(list, index, &out) != CC_OK)
        return nullptr;
    return static_cast<T *>(out);
}

// The update server in the application's configuration for one test.
class UpdateServerConfig
{
public:
    UpdateServerConfig(const wxString &host, long port, long timeout = 3)
    {
        if (!host.empty())
            config_.Write(UpdateRequest::HOST_KEY, host);
        config_.Write(UpdateRequest::PORT_KEY, port);
        config_.Write(UpdateRequest::TIMEOUT_KEY, timeout);
        saved_ = wxConfigBase::Set(&config_);
    }
    ~UpdateServerConfig() { wxConfigBase::Set(saved_); }

private:
    wxMemoryConfig config_;
    wxConfigBase *saved_ = nullptr;
};

// Answers one HTTP request on 127.0.0.1 with canned bytes, sent in pieces
// with a pause between them; or, silent, answers nothing until the client
// gives up.  Waits at most a few seconds for the client.
class OneShotHttpServer
{
public:
    explicit OneShotHttpServer(std::vector<std::string> pieces, bool silent = false, int pauseMs = 150)
        : pieces_(std::move(pieces)), silent_(silent), pauseMs_(pauseMs)
    {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address);
        listen(listener_, 1);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~OneShotHttpServer()
    {
        if (thread_.joinable())
            thread_.join();
        close(listener_);
    }

    unsigned short port() const { return port_; }
    // The request as received; read it after the task has finished.
    std::string request()
    {
        if (thread_.joinable())
            thread_.join();
        return request_;
    }

    // A whole answer with status line and headers.
    static std::string Answer(const std::string &body, const std::string &status = "200 OK",
                              bool contentLength = true)
    {
        std::string head = "HTTP/1.0 " + status + "\r\nContent-Type: application/json\r\n";
        if (contentLength)
            head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        return head + "\r\n" + body;
    }

private:
    static bool Readable(int fd, int milliseconds)
    {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, milliseconds) > 0;
    }

    void Serve()
    {
        if (!Readable(listener_, 8000))
            return;
        int client = accept(listener_, nullptr, nullptr);
        if (client < 0)
            return;
        char buffer[1024];
        while (request_.find("\r\n\r\n") == std::string::npos && request_.size() < 8192 && Readable(client, 3000)) {
            ssize_t got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request_.append(buffer, (size_t)got);
        }
        if (silent_) {
            // Until the client closes or a generous time has passed.
            while (Readable(client, 8000) && recv(client, buffer, sizeof buffer, 0) > 0) {
            }
        } else {
            for (size_t i = 0; i < pieces_.size(); i++) {
                if (i > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
                // A client that has gone ends the answer.
                if (send(client, pieces_[i].data(), pieces_[i].size(), MSG_NOSIGNAL) < 0)
                    break;
            }
        }
        shutdown(client, SHUT_RDWR);
        close(client);
    }

    std::vector<std::string> pieces_;
    bool silent_;
    int pauseMs_;
    int listener_ = -1;
    unsigned short port_ = 0;
    std::string request_;
    std::thread thread_;
};

// A loopback port that nothing listens on.
inline unsigned short ClosedPort()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

} // namespace tasktest
