// Times of the model view's first frames after a project is opened, for the
// benchmark scripts that cannot see inside the program: with CORVANE_VIEW_LOG
// naming a file, each noted event appends a line "event seconds" to it
// (seconds on the monotonic clock, so only differences mean anything).
// Without the variable nothing is written.
#pragma once

#include <cstdio>
#include <string>

class ViewTimeLog
{
public:
    ViewTimeLog();
    ~ViewTimeLog();
    ViewTimeLog(const ViewTimeLog &) = delete;
    ViewTimeLog &operator=(const ViewTimeLog &) = delete;

    // A project open starts: the frames that follow are watched afresh.
    void OpenStarted();
    // The project open finished (its clouds may be drawn before this).
    void OpenFinished();
    // Whether frames are still awaited; counting tiles costs a walk over them.
    bool Watching() const { return m_awaitingPoints || m_awaitingIdle; }
    // A model view frame was drawn; shownTiles is how many tiles had points
    // in it, and pagerIdle whether the tile pager had nothing left to load.
    void ModelFrameDrawn(size_t shownTiles, bool pagerIdle);

private:
    void Note(const char *event);

    FILE *m_file = nullptr;
    bool m_awaitingPoints = false;
    bool m_awaitingIdle = false;
};
