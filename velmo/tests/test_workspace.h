// Workspaces for the engine's tests, allocated as the program does.
#pragma once

#include "velmo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

inline wks_t *new_workspace()
{
    auto *wks = static_cast<wks_t *>(malloc(96));
    EXPECT_NE(wks_init(wks), 0);
    return wks;
}

// Element index of one of the workspace's lists.
template <typename T>
T *item(Array *list, size_t index)
{
    void *out = nullptr;
    array_get_at(list, index, &out);
    return static_cast<T *>(out);
}

// A workspace closed with the test; reopen() starts again on a project file.
struct Workspace {
    wks_t *wks = new_workspace();
    ~Workspace() { close(); }
    void open_empty() { wks = new_workspace(); }
    void close()
    {
        if (wks)
            wks_destroy(wks);
        wks = nullptr;
    }
    void reopen(const std::string &project)
    {
        close();
        open_empty();
        ASSERT_NE(wks_open_project(wks, project.c_str()), 0);
    }
};
