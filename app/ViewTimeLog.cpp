#include "ViewTimeLog.h"

#include <cstdlib>
#include <ctime>

ViewTimeLog::ViewTimeLog()
{
    const char *path = getenv("CORVANE_VIEW_LOG");
    if (path && *path)
        m_file = fopen(path, "a");
}

ViewTimeLog::~ViewTimeLog()
{
    if (m_file)
        fclose(m_file);
}

void ViewTimeLog::OpenStarted()
{
    if (!m_file)
        return;
    Note("open_started");
    m_awaitingPoints = true;
    m_awaitingIdle = true;
}

void ViewTimeLog::OpenFinished()
{
    if (m_file)
        Note("open_finished");
}

void ViewTimeLog::ModelFrameDrawn(size_t shownTiles, bool pagerIdle)
{
    if (!m_file || shownTiles == 0)
        return;
    if (m_awaitingPoints) {
        m_awaitingPoints = false;
        Note("first_points_frame");
    }
    if (m_awaitingIdle && pagerIdle) {
        m_awaitingIdle = false;
        Note("pager_idle_frame");
    }
}

void ViewTimeLog::Note(const char *event)
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Whole numbers only: the seconds read with a decimal point in every locale.
    fprintf(m_file, "%s %lld.%06ld\n", event, static_cast<long long>(now.tv_sec), now.tv_nsec / 1000);
    // The script reads the file while the program runs.
    fflush(m_file);
}
