#include "SaveGuard.h"

#include "SceneManager.h"
#include "VelmoPath.h"

#include <wx/filename.h>
#include <wx/intl.h>

namespace {

wxString KindName(int kind)
{
    switch (kind) {
    case VELMO_FILE_LAS:
        return "LAS";
    case VELMO_FILE_HDM:
        return "HDM";
    case VELMO_FILE_DMX:
        return "DMX";
    case VELMO_FILE_DXF:
        return "DXF";
    case VELMO_FILE_DAT:
        return "DAT";
    default:
        return _("road");
    }
}

wxString RoleRefusal(const wxString &path, int role)
{
    switch (role) {
    case WKS_FILE_PROJECT:
        return wxString::Format(_("%s is a file of the open project itself. Choose another name."), path);
    case WKS_FILE_DATA:
        return wxString::Format(_("%s lies in the project's data folder, which holds the project's own files. "
                                  "Choose a file elsewhere."),
                                path);
    case WKS_FILE_CLOUD:
        return wxString::Format(_("%s is the LAS file of a point cloud of the project. Choose another name."), path);
    case WKS_FILE_ROAD:
        return wxString::Format(_("%s is the file of a road of the project. Choose another name."), path);
    default:
        return wxString();
    }
}

int RoleOf(const wxString &path)
{
    char utf8[VELMO_PATH_SIZE];
    return g_workspace && VelmoPath::ToUtf8(path, utf8) ? wks_file_role(g_workspace, utf8) : WKS_FILE_FOREIGN;
}

wxString KindRefusal(const wxString &path, int kind)
{
    const wxString folder = FileChooser::FolderRefusal(path);
    if (!folder.empty())
        return folder;
    char utf8[VELMO_PATH_SIZE];
    if (!wxFileName::Exists(path) || (VelmoPath::ToUtf8(path, utf8) && velmo_file_is_kind(utf8, kind)))
        return wxString();
    return wxString::Format(_("%s does not hold %s data; it was left as it is. Choose another name."), path,
                            KindName(kind));
}

} // namespace

wxString SaveGuard::ProjectRefusal(const wxString &path)
{
    return RoleRefusal(path, RoleOf(path));
}

wxString SaveGuard::Refusal(const wxString &path, int kind)
{
    const wxString held = ProjectRefusal(path);
    return held.empty() ? KindRefusal(path, kind) : held;
}

FileChooser::SaveCheck SaveGuard::Writing(std::vector<int> kinds)
{
    return [kinds](const wxString &path, int filter) {
        const size_t index = filter < 0 || size_t(filter) >= kinds.size() ? 0 : size_t(filter);
        return Refusal(path, kinds.empty() ? VELMO_FILE_ROAD : kinds[index]);
    };
}

FileChooser::SaveCheck SaveGuard::NewRoad()
{
    return [](const wxString &path, int) {
        const int role = RoleOf(path);
        return role == WKS_FILE_ROAD ? wxString() : role != WKS_FILE_FOREIGN ? RoleRefusal(path, role)
                                                                             : KindRefusal(path, VELMO_FILE_ROAD);
    };
}
