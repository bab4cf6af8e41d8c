// The frame's section commands: latitude and longitude sections along a
// road, custom vertical and horizontal sections, and the export of a
// project's sections.  The dialogs check what the user typed; the commands
// hand it to the engine, rebuild the tree and leave the computing to the
// worker thread.
#include "CorvaneFrame.h"

#include "ExportDialog.h"
#include "FileChooser.h"
#include "HSectionDialog.h"
#include "RoadSectionDialog.h"
#include "SaveGuard.h"
#include "TaskThread.h"
#include "VSectionDialog.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/ribbon/buttonbar.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>

namespace {

size_t SizeOf(Array *list)
{
    return list ? array_size(list) : 0;
}

// Azimuth in degrees, 0 north and growing east, as an angle from +X.
double AzimuthToAngle(double azimuth)
{
    return (90.0 - azimuth) * M_PI / 180.0;
}

FileChooser *ChooserOf(std::unique_ptr<FileChooser> &chooser)
{
    if (!chooser)
        chooser = std::make_unique<DialogFileChooser>();
    return chooser.get();
}

// The name in the engine's 64-byte field, cut before a character that no
// longer fits whole so the stored name stays valid UTF-8.
void CopySectionName(const wxString &name, char out[VELMO_NAME_SIZE])
{
    const wxScopedCharBuffer utf8 = name.utf8_str();
    size_t length = std::min<size_t>(utf8.length(), VELMO_NAME_SIZE - 1);
    while (length > 0 && length < utf8.length() && (utf8.data()[length] & 0xC0) == 0x80)
        --length;
    std::memcpy(out, utf8.data(), length);
    out[length] = '\0';
}

// The custom sections' names in use, so new ones never repeat an old one
// after sections were deleted.
std::set<std::string> CustomSectionNames()
{
    std::set<std::string> names;
    for (size_t i = 0; i < SizeOf(g_workspace->custom_sections); ++i) {
        void *item = nullptr;
        if (array_get_at(g_workspace->custom_sections, i, &item) == CC_OK && item)
            names.insert(static_cast<section_t *>(item)->name);
    }
    return names;
}

struct SectionExport {
    wxString message;
    wxString wildcard;
    int (*write)(wks_t *, const char *, const int *);
    wxString finished;
    Array *sections;
    wxString none;
    int kind;
};

bool ExportOfPage(int page, SectionExport *out)
{
    const wxString hdm = _("HINTCAD HDM file(*.HDM)|*.HDM");
    switch (page) {
    case ExportDialog::PAGE_LATITUDE:
        *out = {_("Select HDM file to export."), hdm, wks_export_latitude_sections,
                _("Export latitude sections finished."), g_workspace->latitude_sections,
                _("The project has no latitude sections to export."), VELMO_FILE_HDM};
        return true;
    case ExportDialog::PAGE_LONGITUDE:
        *out = {_("Select DMX file to export."), _("HINTCAD DMX file(*.DMX)|*.DMX"), wks_export_longitude_sections,
                _("Export longitude sections finished."), g_workspace->longitude_sections,
                _("The project has no longitude sections to export."), VELMO_FILE_DMX};
        return true;
    case ExportDialog::PAGE_CUSTOM:
        *out = {_("Select HDM file to export."), hdm, wks_export_custom_sections,
                _("Export custom sections finished."), g_workspace->custom_sections,
                _("The project has no custom sections to export."), VELMO_FILE_HDM};
        return true;
    default:
        return false;
    }
}

// The engine answers 0 both when it cannot write and when no section has a
// ground line to give; the user needs to know which.
wxString ExportFailure(const wxString &path)
{
    const wxFileName file(path);
    const bool writable = wxFileName::IsDirWritable(file.GetPath().empty() ? wxString(".") : file.GetPath()) &&
                          (!file.FileExists() || file.IsFileWritable());
    if (!writable)
        return wxString::Format(_("Cannot write %s."), path);
    return wxString::Format(_("Nothing was written to %s: no section has a ground line to export. Measure the "
                              "sections, or tick \"Section points\" to export their automatic ground lines."),
                            path);
}

// The DMX file the latitude export writes beside the HDM file with the
// option "Auto generated longitude section"; empty without that option.
wxString LatitudeTwin(int page, const int options[3], const wxString &path)
{
    char twin[VELMO_PATH_SIZE];
    if (page != ExportDialog::PAGE_LATITUDE || !options[1] || !wks_latitude_dmx_path(path.utf8_str(), twin, sizeof twin))
        return wxString();
    return wxString::FromUTF8(twin);
}

// For each row, the road's sections of the list (0 latitude, 1 longitude)
// that the row would make a second time: those of the same name generated
// on that road.
std::vector<std::vector<section_t *>> SectionsMadeAgain(wks_road_t *road, int list,
                                                        const std::vector<std::array<double, 2>> &rows)
{
    Array *sections = list == 0 ? g_workspace->latitude_sections : g_workspace->longitude_sections;
    std::multimap<std::string, section_t *> named;
    for (size_t i = 0; i < SizeOf(sections); ++i) {
        void *item = nullptr;
        if (array_get_at(sections, i, &item) == CC_OK && item &&
            wks_section_on_road(g_workspace, road, static_cast<section_t *>(item)))
            named.emplace(static_cast<section_t *>(item)->name, static_cast<section_t *>(item));
    }
    std::vector<std::vector<section_t *>> again(rows.size());
    char name[VELMO_NAME_SIZE];
    for (size_t i = 0; i < rows.size() && !named.empty(); ++i) {
        if (!wks_road_section_name(road, list, rows[i].data(), name))
            continue;
        const auto same = named.equal_range(name);
        for (auto it = same.first; it != same.second; ++it)
            again[i].push_back(it->second);
    }
    return again;
}

} // namespace

void CorvaneFrame::OnGenerateLatitudeSections(wxRibbonButtonBarEvent &)
{
    GenerateRoadSections(ROAD_SECTION_LATITUDE);
}

void CorvaneFrame::OnGenerateLongitudeSections(wxRibbonButtonBarEvent &)
{
    GenerateRoadSections(ROAD_SECTION_LONGITUDE);
}

void CorvaneFrame::GenerateRoadSections(int mode)
{
    if (RefuseWithoutProject() || RefuseWhileBusy())
        return;
    const bool latitude = mode == ROAD_SECTION_LATITUDE;
    RoadSectionDialog dialog(this, latitude ? ROAD_SECTION_LATITUDE : ROAD_SECTION_LONGITUDE, wxID_ANY);
    dialog.SetFileChooser(ChooserOf(m_fileChooser));
    if (dialog.ShowModal() != wxID_OK)
        return;
    wks_road_t *road = dialog.GetRoad();
    std::vector<std::array<double, 2>> pairs = dialog.GetRows();
    if (!road || pairs.empty())
        return;
    std::vector<section_t *> replaced;
    if (!ReplaceOrSkipRepeated(road, latitude ? 0 : 1, &pairs, &replaced))
        return;
    std::vector<double> rows;
    rows.reserve(2 * pairs.size());
    for (const std::array<double, 2> &pair : pairs)
        rows.insert(rows.end(), pair.begin(), pair.end());
    const int n = (int)pairs.size();
    Array *list = latitude ? g_workspace->latitude_sections : g_workspace->longitude_sections;
    const int count =
        latitude ? wks_generate_road_latitude_sections(g_workspace, road, n, rows.data(), dialog.GetBufferWidth(),
                                                       dialog.GetSectionWidth())
                 : wks_generate_road_longitude_sections(g_workspace, road, n, rows.data(), dialog.GetBufferWidth());
    if (count <= 0) {
        ShowError(_("No section could be made from the chain list on this road."));
        return;
    }
    // Only once the new sections are there do the ones they replace go, so
    // that a batch the engine refuses loses nothing.  The new ones are the
    // last of the list.
    RemoveSections(replaced);
    UpdateWorkspaceTree();
    const int last = (int)SizeOf(list);
    StartTask(new TaskThread(this, latitude ? TASK_LATITUDE_SECTIONS : TASK_LONGITUDE_SECTIONS, last - count, last));
    // Rows in a gap of the alignment make no section; the user must know
    // which of the list are missing.
    if (count < n)
        wxMessageBox(wxString::Format(_("%d of the %d rows made no section: the road has no alignment there."),
                                      n - count, n),
                     _("Warning"), wxOK | wxCENTRE | wxICON_WARNING, this);
}

bool CorvaneFrame::ReplaceOrSkipRepeated(wks_road_t *road, int list, std::vector<std::array<double, 2>> *rows,
                                         std::vector<section_t *> *replaced)
{
    const std::vector<std::vector<section_t *>> repeated = SectionsMadeAgain(road, list, *rows);
    const int count = int(std::count_if(repeated.begin(), repeated.end(), [](const auto &s) { return !s.empty(); }));
    if (count == 0)
        return true;
    wxMessageDialog question(this,
                             wxString::Format(wxPLURAL("%d chainage already has a section on this road: Replace (its "
                                                       "measurements are removed) / Skip",
                                                       "%d chainages already have sections on this road: Replace "
                                                       "(their measurements are removed) / Skip",
                                                       count),
                                              count),
                             _("Warning"), wxYES_NO | wxNO_DEFAULT | wxCENTRE | wxICON_WARNING);
    question.SetYesNoLabels(_("Replace"), _("Skip"));
    if (question.ShowModal() == wxID_YES) {
        for (const std::vector<section_t *> &sections : repeated)
            replaced->insert(replaced->end(), sections.begin(), sections.end());
        return true;
    }
    std::vector<std::array<double, 2>> kept;
    for (size_t i = 0; i < rows->size(); ++i)
        if (repeated[i].empty())
            kept.push_back((*rows)[i]);
    rows->swap(kept);
    if (rows->empty()) {
        wxMessageBox(_("Nothing was generated: every chainage of the list already has a section on this road."),
                     _("Warning"), wxOK | wxCENTRE | wxICON_WARNING, this);
        return false;
    }
    return true;
}

void CorvaneFrame::OnCreateVerticalSection(wxRibbonButtonBarEvent &)
{
    if (RefuseWithoutProject() || RefuseWhileBusy())
        return;
    VSectionDialog dialog(this, wxID_ANY);
    dialog.SetFileChooser(ChooserOf(m_fileChooser));
    if (dialog.ShowModal() != wxID_OK)
        return;
    const int first = (int)SizeOf(g_workspace->custom_sections);
    const double halfBuffer = dialog.GetBufferWidth() * 0.5;
    const double halfWidth = dialog.GetSectionWidth() * 0.5;
    const double normalRange[2] = {-halfBuffer, halfBuffer};
    const double widthRange[2] = {-halfWidth, halfWidth};
    const double up[3] = {0.0, 0.0, 1.0};
    std::set<std::string> names = CustomSectionNames();
    int k = first;
    int failed = 0;
    for (const VSectionDialog::Row &row : dialog.GetRows()) {
        std::string name;
        do
            name = wxString::Format("custom%d", ++k).ToStdString();
        while (names.count(name));
        names.insert(name);
        const double a = AzimuthToAngle(row.azimuth);
        const double center[3] = {row.x, row.y, 0.0};
        const double normal[3] = {-std::cos(a), -std::sin(a), 0.0};
        if (!wks_add_custom_section(g_workspace, name.c_str(), center, normal, up, normalRange, widthRange))
            ++failed;
    }
    UpdateWorkspaceTree();
    StartTask(new TaskThread(this, TASK_CUSTOM_SECTIONS, first, (int)SizeOf(g_workspace->custom_sections)));
    if (failed > 0)
        ShowError(wxString::Format(_("%d of the custom sections could not be created."), failed));
}

void CorvaneFrame::OnCreateHorizontalSection(wxRibbonButtonBarEvent &)
{
    if (RefuseWithoutProject() || RefuseWhileBusy())
        return;
    HSectionDialog dialog(this, wxID_ANY);
    double center[3] = {0.0, 0.0, 0.0};
    wks_get_center(g_workspace, center);
    dialog.SetCenter(center);
    if (dialog.ShowModal() != wxID_OK)
        return;
    const double a = AzimuthToAngle(dialog.GetOrientation());
    const int first = (int)SizeOf(g_workspace->custom_sections);
    char name[VELMO_NAME_SIZE];
    CopySectionName(dialog.GetSectionName(), name);
    const double orientation[3] = {std::cos(a), std::sin(a), 0.0};
    const double normal[3] = {0.0, 0.0, 1.0};
    const double normalRange[2] = {-(dialog.GetBufferWidth() * 0.5), dialog.GetBufferWidth() * 0.5};
    const double widthRange[2] = {-(dialog.GetSectionWidth() * 0.5), dialog.GetSectionWidth() * 0.5};
    dialog.GetCenter(center);
    if (!wks_add_custom_section(g_workspace, name, center, normal, orientation, normalRange, widthRange)) {
        ShowError(_("The horizontal section could not be created."));
        return;
    }
    UpdateWorkspaceTree();
    StartTask(new TaskThread(this, TASK_CUSTOM_SECTIONS, first, first + 1));
}

void CorvaneFrame::OnExportSections(wxRibbonButtonBarEvent &)
{
    if (RefuseWithoutProject() || RefuseWhileBusy())
        return;
    ExportDialog dialog(this, wxID_ANY);
    if (dialog.ShowModal() != wxID_OK)
        return;
    int options[3] = {0, 0, 0};
    dialog.GetOptions(options);
    SectionExport target;
    if (!ExportOfPage(dialog.GetSelectedPage(), &target))
        return;
    if (SizeOf(target.sections) == 0) {
        wxMessageBox(target.none, _("Warning"), wxOK | wxCENTRE | wxICON_WARNING, this);
        return;
    }
    const int page = dialog.GetSelectedPage();
    // The DMX file beside is written with the HDM file: it must be as free
    // to write as the HDM file itself.
    const FileChooser::SaveCheck check = [&](const wxString &chosen, int) {
        const wxString refusal = SaveGuard::Refusal(chosen, target.kind);
        const wxString twin = LatitudeTwin(page, options, chosen);
        return refusal.empty() && !twin.empty() ? SaveGuard::Refusal(twin, VELMO_FILE_DMX) : refusal;
    };
    wxString path;
    if (!ChooseFile(target.message, target.wildcard, wxFD_SAVE | wxFD_OVERWRITE_PROMPT, &path, check))
        return;
    const wxString twin = LatitudeTwin(page, options, path);
    if (!twin.empty() && wxFileName::FileExists(twin) &&
        !Confirm(wxString::Format(_("The file %s, written beside it, already exists.\nDo you want to replace it?"),
                                  twin),
                 true))
        return;
    char buffer[VELMO_PATH_SIZE];
    TaskThread::PathToUtf8(path, buffer);
    if (!buffer[0]) {
        ShowError(_("The file's path is too long."));
        return;
    }
    if (!target.write(g_workspace, buffer, options)) {
        ShowError(ExportFailure(path));
        return;
    }
    wxMessageBox(target.finished, wxMessageBoxCaptionStr, wxOK | wxCENTRE, this);
}
