// What a save of the program may write over.  Never one of the open
// project's own files (its project file, its data folder, a cloud's LAS
// file, a road's ".pm" file): writing there from outside would destroy the
// project.  Never a file of another kind than the one being written: the
// user picked the wrong name, and what the file held would be lost.
#pragma once

#include "FileChooser.h"

#include <wx/string.h>

#include <vector>

class SaveGuard
{
public:
    // Why path must not be written as a file of kind (enum
    // velmo_file_kind); empty when it may.  A missing or empty file may
    // always be written unless the project holds it.
    static wxString Refusal(const wxString &path, int kind);
    // Why path is the open project's own file; empty when it is not.
    static wxString ProjectRefusal(const wxString &path);
    // The check for FileChooser::Choose of a save whose filter n writes a
    // file of kinds[n].
    static FileChooser::SaveCheck Writing(std::vector<int> kinds);
    // The check for the file of a new road: a road the project already has
    // is left to the road selection, which then selects it.
    static FileChooser::SaveCheck NewRoad();
};
