// Where the program finds its read-only files (icons/, doc/ and the "internat"
// message catalogue) and the scene-graph plug-ins, whatever the working
// directory: beside the executable (the build tree links them there), in
// ../share/corvane beside its bin folder (installed), or, last, under the
// working directory.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

// The folder that holds icons/ and doc/, without a trailing separator.
wxString AppResourceDir();

// A resource file by its path below the resource folder, such as
// "icons/new.png"; the path is returned even when the file is missing.
wxString AppResourcePath(const wxString &relative);

// Loads a PNG resource; an invalid bitmap when the file is missing or broken,
// without a message (the toolkit's own log message is suppressed).
wxBitmap AppLoadBitmap(const wxString &relative);

// The lib folder beside the executable's folder: build/lib in the build tree,
// <prefix>/lib when installed.  The octree reader lives below it.
wxString AppPluginLibraryDir();

// Puts AppPluginLibraryDir() first on the scene-graph registry's library
// path, once, so that the tile reader plug-in is found by its extension.
void AppAddPluginLibraryPath();
