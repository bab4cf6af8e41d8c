#include "AppResources.h"

#include <osgDB/Registry>

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/stdpaths.h>

#include <algorithm>
#include <string>

namespace {

wxString ExecutableDir()
{
    return wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath();
}

wxString Normalized(const wxString &path)
{
    wxFileName name = wxFileName::DirName(path);
    name.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    return name.GetPath();
}

wxString FindResourceDir()
{
    const wxString exe = ExecutableDir();
    const wxString candidates[] = {exe, exe + "/../share/corvane", wxGetCwd()};
    for (const wxString &candidate : candidates)
        if (wxDir::Exists(candidate + "/icons"))
            return Normalized(candidate);
    // Nothing found: keep the executable's folder so that messages about a
    // missing file name a sensible place.
    return Normalized(exe);
}

} // namespace

wxString AppResourceDir()
{
    static const wxString dir = FindResourceDir();
    return dir;
}

wxString AppResourcePath(const wxString &relative)
{
    return AppResourceDir() + wxFILE_SEP_PATH + relative;
}

wxBitmap AppLoadBitmap(const wxString &relative)
{
    const wxString path = AppResourcePath(relative);
    if (!wxFileName::FileExists(path))
        return wxBitmap();
    wxLogNull quiet;
    wxImage image(path, wxBITMAP_TYPE_PNG);
    return image.IsOk() ? wxBitmap(image) : wxBitmap();
}

wxString AppPluginLibraryDir()
{
    return Normalized(ExecutableDir() + "/../lib");
}

void AppAddPluginLibraryPath()
{
    const std::string dir = AppPluginLibraryDir().utf8_string();
    osgDB::FilePathList &paths = osgDB::Registry::instance()->getLibraryFilePathList();
    if (std::find(paths.begin(), paths.end(), dir) == paths.end())
        paths.push_front(dir);
}
