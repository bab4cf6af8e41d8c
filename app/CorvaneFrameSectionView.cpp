// The section view: the current section, its measuring by mouse and keys,
// the section commands of the tree's pop-up menu, the DXF and DAT files of
// the current section, picking a section in the model view, the coordinate
// read-out and the floating tool window that follows the section canvas.
#include "CorvaneFrame.h"

#include "AppResources.h"
#include "EngineText.h"
#include "FileChooser.h"
#include "SaveGuard.h"
#include "ModelPicker.h"
#include "OSGCanvas.h"
#include "OrthoManipulator.h"
#include "SectionColorTableDialog.h"
#include "SectionPick.h"
#include "SectionToolDialog.h"
#include "SectionValues.h"
#include "SideManipulator.h"
#include "StatusView.h"
#include "TaskThread.h"
#include "c_notation.h"

#include <osg/Camera>
#include <osg/Viewport>
#include <osgGA/TrackballManipulator>

#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/propgrid/propgrid.h>

#include <cmath>
#include <cstring>

namespace {

// A press and release this close (in pixels, on both axes) make a click.
const int CLICK_SLACK = 1;
// A point is picked within this many pixels of the mouse (squared).
const double PICK_RADIUS_SQUARED = 16.0;
const double THICKNESS_STEP = 0.2;
const double WIDTH_STEP = 1.0;
const float POINT_SIZE_STEP = 1.0f;
// Without a current section the tool window shows these.
const double DEFAULT_THICKNESS = 1.0;
const double DEFAULT_WIDTH = 40.0;

bool IsClick(const wxPoint &press, const wxPoint &release)
{
    return std::abs(release.x - press.x) <= CLICK_SLACK && std::abs(release.y - press.y) <= CLICK_SLACK;
}

// View times projection times the viewport's window matrix: a scene point
// times it gives window pixels (origin at the bottom left).
osg::Matrixd WindowMatrixOf(osgViewer::Viewer *viewer)
{
    osg::Camera *camera = viewer->getCamera();
    osg::Matrixd matrix = camera->getViewMatrix() * camera->getProjectionMatrix();
    if (camera->getViewport())
        matrix.postMult(camera->getViewport()->computeWindowMatrix());
    return matrix;
}

int ViewportHeight(osgViewer::Viewer *viewer)
{
    const osg::Viewport *viewport = viewer->getCamera()->getViewport();
    return viewport ? int(viewport->height()) : 0;
}

// The scene point under the mouse at window depth z (0 the near plane).
osg::Vec3d Unproject(osgViewer::Viewer *viewer, int x, int y, double z)
{
    const osg::Matrixd inverse = osg::Matrixd::inverse(WindowMatrixOf(viewer));
    return osg::Vec3d(x, ViewportHeight(viewer) - y, z) * inverse;
}

double DistanceAlong(const std::vector<velmo_point_t> &points)
{
    double sum = 0.0;
    for (size_t i = 1; i < points.size(); ++i) {
        const double du = double(points[i].u) - double(points[i - 1].u);
        const double dv = double(points[i].v) - double(points[i - 1].v);
        const double dw = double(points[i].w) - double(points[i - 1].w);
        sum += std::sqrt(du * du + dv * dv + dw * dw);
    }
    return sum;
}

bool ListHolds(Array *list, const section_t *section)
{
    const size_t size = list ? array_size(list) : 0;
    for (size_t i = 0; i < size; ++i) {
        void *item = nullptr;
        if (array_get_at(list, i, &item) == CC_OK && item == section)
            return true;
    }
    return false;
}

// "x,y,z" as the status panel shows a point: with decimal points whatever
// the locale, or the commas between the coordinates would be lost.
wxString CoordinateText(const osg::Vec3d &point)
{
    return velmo::c_number_text(point.x(), 2) + "," + velmo::c_number_text(point.y(), 2) + "," +
           velmo::c_number_text(point.z(), 2);
}

} // namespace

// ---- Current section --------------------------------------------------------------------

void CorvaneFrame::SetCurrentSection(section_t *section)
{
    if (m_currentSection) {
        SetSectionMode(SECTION_IDLE);
        SceneShowSectionOverlay(m_currentSection, false);
    }
    ClearSectionReadouts();
    if (section)
        SceneShowSectionOverlay(section, true);
    SceneShowSectionPoints(section, m_sectionColorMode, m_pointSize, m_classColors.visible, m_classColors.colors);
    SceneShowSectionLineBlue(section, m_pointSize);
    SceneShowSectionLineRed(section, m_pointSize);
    m_currentSection = section;
    RefreshSectionIcons();
    RedrawViews();
    if (!section) {
        m_statusView->SetStatusText(2, wxEmptyString);
        SetModelViewMode(VIEW_3D);
        ReleaseSectionPoints();
        return;
    }
    // A section picked in the model view must be seen: its pane opens.
    wxAuiPaneInfo &pane = m_auiManager->GetPane(m_sectionCanvas);
    if (!pane.IsShown()) {
        pane.Show();
        m_auiManager->Update();
    }
    Array *points = ScenePublishedPoints(section);
    if (points && array_size(points) > 0)
        InstallSectionManipulator();
    else
        StartSectionTask(TASK_LOAD_SECTION);
    SetModelViewMode(VIEW_FRONT);
    ShowSectionTool(true);
    m_statusView->SetStatusText(2, EngineText::Name(section->name));
    ShowProperties(nullptr, nullptr, section);
    ReleaseSectionPoints();
}

// The distance and the coordinates read out belong to the section shown:
// kept once it has gone, they would be taken for the next one's.
void CorvaneFrame::ClearSectionReadouts()
{
    m_distancePoints.clear();
    SceneShowPolyline(m_distancePoints, m_pointSize);
    if (!m_statusView)
        return;
    m_statusView->SetStatusText(0, wxEmptyString);
    m_statusView->SetStatusText(1, wxEmptyString);
}

void CorvaneFrame::ForgetMeasuring()
{
    m_lastMeasureAction = 0;
    m_lastAddedMeasurement = nullptr;
    m_pendingSectionReload = false;
    ClearSectionReadouts();
}

void CorvaneFrame::RedrawViews()
{
    if (m_modelViewer)
        m_modelViewer->requestRedraw();
    if (m_sectionViewer)
        m_sectionViewer->requestRedraw();
}

void CorvaneFrame::InstallSectionManipulator()
{
    osgGA::CameraManipulator *manipulator = nullptr;
    if (m_sectionViewMode == VIEW_FRONT) {
        manipulator = new OrthoManipulator(m_sectionViewer->getCamera());
    } else if (m_sectionViewMode == VIEW_SIDE) {
        manipulator = new SideManipulator(m_sectionViewer->getCamera());
    } else {
        SetPerspective(m_sectionViewer.get(), m_sectionCanvas);
        manipulator = new osgGA::TrackballManipulator(osgGA::StandardManipulator::UPDATE_MODEL_SIZE
                                                      | osgGA::StandardManipulator::PROCESS_MOUSE_WHEEL);
    }
    m_sectionViewer->setCameraManipulator(manipulator, true);
    m_sectionViewer->home();
}

void CorvaneFrame::StartSectionTask(int code)
{
    StartTask(new TaskThread(this, code, m_currentSection));
}

bool CorvaneFrame::IsSectionInWorkspace(const section_t *section) const
{
    return g_workspace && section
           && (ListHolds(g_workspace->latitude_sections, section) || ListHolds(g_workspace->longitude_sections, section)
               || ListHolds(g_workspace->custom_sections, section));
}

void CorvaneFrame::FinishSectionTask(TaskThreadEvent &event)
{
    section_t *section = event.GetSection();
    if (event.GetCode() == TASK_PICK_SECTION) {
        if (section)
            SetCurrentSection(section);
        return;
    }
    // A section that could not be computed keeps what it showed; the
    // reason is reported once the task is over.
    if (!event.GetMessage().empty() && NoteShownMessage(event.GetMessage()))
        ReportTaskFailure(event, wxString());
    // A section deleted while it was computed stays deleted.
    if (!IsSectionInWorkspace(section))
        return;
    SceneHideSection(section);
    SceneShowSection(section);
    RedrawViews();
    if (section != m_currentSection)
        return;
    SceneShowSectionOverlay(section, false);
    SceneShowSectionOverlay(section, true);
    SceneShowSectionPoints(section, m_sectionColorMode, m_pointSize, m_classColors.visible, m_classColors.colors);
    ShowProperties(nullptr, nullptr, section);
    if (event.GetCode() == TASK_LOAD_SECTION)
        InstallSectionManipulator();
}

// The scene draws copies of what it shows, so once no task runs nothing
// reads a section's points but the window, between its events: a replaced
// array can go, and so can the points of every section but the one shown
// (opening a section computes them again).  A task running now takes them
// at its end.
void CorvaneFrame::ReleaseSectionPoints()
{
    if (m_runningTask || !g_workspace)
        return;
    wks_release_section_points(g_workspace, m_currentSection);
}

void CorvaneFrame::StartPendingSectionReload()
{
    if (m_runningTask || !m_pendingSectionReload)
        return;
    m_pendingSectionReload = false;
    if (m_currentSection)
        StartSectionTask(TASK_RELOAD_SECTION);
}

// ---- Modes, widths and point size ------------------------------------------------------

void CorvaneFrame::SetSectionMode(int mode)
{
    if (mode == SECTION_MEASURE_DISTANCE || m_sectionMode == SECTION_MEASURE_DISTANCE) {
        m_distancePoints.clear();
        SceneShowPolyline(m_distancePoints, m_pointSize);
    }
    if (mode == m_sectionMode)
        return;
    // Saved on every change, undone ones included: after an add, a second add
    // and one undo the first add is still unsaved.
    if (m_measurementsChanged && m_currentSection) {
        SceneHideSection(m_currentSection);
        SceneShowSection(m_currentSection);
        RefreshSectionIcons();
        wks_save_section_data(g_workspace, m_currentSection);
        RedrawViews();
    }
    m_measurementsChanged = false;
    m_sectionMode = mode;
    m_lastMeasureAction = 0;
    m_lastAddedMeasurement = nullptr;
    switch (mode) {
    case SECTION_IDLE: m_sectionCanvas->SetCursor(wxCursor(wxCURSOR_ARROW)); break;
    case SECTION_MEASURE_POINT: m_sectionCanvas->SetCursor(wxCursor(wxCURSOR_CROSS)); break;
    case SECTION_DELETE_POINT: m_sectionCanvas->SetCursor(wxCursor(wxCURSOR_HAND)); break;
    case SECTION_MEASURE_DISTANCE: m_sectionCanvas->SetCursor(wxCursor(wxCURSOR_PENCIL)); break;
    default: break;
    }
}

double CorvaneFrame::SectionThickness() const
{
    return m_currentSection ? m_currentSection->normal_range[1] - m_currentSection->normal_range[0]
                            : DEFAULT_THICKNESS;
}

double CorvaneFrame::SectionWidth() const
{
    return m_currentSection ? m_currentSection->width_range[1] - m_currentSection->width_range[0] : DEFAULT_WIDTH;
}

bool CorvaneFrame::IsSectionWidthFixed() const
{
    return m_currentSection && m_currentSection->type == SECTION_LONGITUDE;
}

bool CorvaneFrame::SetSectionOffset(double thickness)
{
    if (!m_currentSection || !sectionvalues::BUFFER_WIDTH_RANGE.Holds(thickness))
        return false;
    thickness = sectionvalues::BUFFER_WIDTH_RANGE.Clamp(thickness);
    if (thickness == SectionThickness())
        return true;
    const double range[2] = {-thickness / 2, thickness / 2};
    if (!wks_modify_section_offset(g_workspace, m_currentSection, range))
        return false;
    ReloadCurrentSection();
    return true;
}

bool CorvaneFrame::SetSectionWidth(double width)
{
    if (!m_currentSection || IsSectionWidthFixed() || !sectionvalues::SECTION_WIDTH_RANGE.Holds(width))
        return false;
    width = sectionvalues::SECTION_WIDTH_RANGE.Clamp(width);
    if (width == SectionWidth())
        return true;
    const double range[2] = {-width / 2, width / 2};
    if (!wks_modify_section_width(g_workspace, m_currentSection, range))
        return false;
    ReloadCurrentSection();
    return true;
}

// A second task may not run beside the first: a change made meanwhile is
// computed as soon as the running task ends, the last one made being what
// the section ends with.  A drag of a slider thus costs one recomputation
// at a time.
void CorvaneFrame::ReloadCurrentSection()
{
    if (m_runningTask)
        m_pendingSectionReload = true;
    else
        StartSectionTask(TASK_RELOAD_SECTION);
}

bool CorvaneFrame::SetSectionPointSize(float size)
{
    if (!m_currentSection || !sectionvalues::POINT_SIZE_RANGE.Holds(size))
        return false;
    if (size == m_pointSize)
        return true;
    m_pointSize = size;
    SceneShowSectionPoints(m_currentSection, m_sectionColorMode, m_pointSize, m_classColors.visible,
                           m_classColors.colors);
    SceneShowSectionLineBlue(m_currentSection, m_pointSize);
    SceneShowSectionLineRed(m_currentSection, m_pointSize);
    SceneShowPolyline(m_distancePoints, m_pointSize);
    RedrawViews();
    return true;
}

void CorvaneFrame::ChooseClassificationColors()
{
    SectionColorTableDialog dialog(this, wxID_ANY);
    dialog.SetColorTable(m_classColors.visible, m_classColors.colors);
    if (dialog.ShowModal() != wxID_OK)
        return;
    m_sectionColorMode = COLOR_CLASSIFICATION;
    dialog.GetColorTable(m_classColors.visible, m_classColors.colors);
    SceneShowSectionPoints(m_currentSection, COLOR_CLASSIFICATION, m_pointSize, m_classColors.visible,
                           m_classColors.colors);
    RedrawViews();
}

// ---- Picking in the section view --------------------------------------------------------

velmo_point_t *CorvaneFrame::FindNearestSectionPoint(int x, int y, bool measurements)
{
    if (!m_currentSection || !m_sectionViewer)
        return nullptr;
    Array *list = measurements ? m_currentSection->measurements : ScenePublishedPoints(m_currentSection);
    return NearestSectionPoint(list, WindowMatrixOf(m_sectionViewer.get()), x,
                               ViewportHeight(m_sectionViewer.get()) - y, PICK_RADIUS_SQUARED);
}

void CorvaneFrame::WindowToSection(int x, int y, velmo_point_t *out)
{
    const osg::Vec3d point = Unproject(m_sectionViewer.get(), x, y, 0.0);
    out->u = float(point.x());
    out->v = float(point.y());
    out->w = float(point.z());
}

// ---- Mouse in the section view ----------------------------------------------------------

void CorvaneFrame::OnSectionLeftDown(wxMouseEvent &event)
{
    m_leftPress = event.GetPosition();
    event.Skip();
}

void CorvaneFrame::OnSectionRightDown(wxMouseEvent &event)
{
    m_rightPress = event.GetPosition();
    event.Skip();
}

void CorvaneFrame::OnSectionLeftUp(wxMouseEvent &event)
{
    event.Skip();
    m_sectionViewer->requestRedraw();
    const wxPoint at = event.GetPosition();
    if (!m_currentSection || m_sectionMode == SECTION_IDLE || !IsClick(m_leftPress, at))
        return;
    switch (m_sectionMode) {
    case SECTION_MEASURE_POINT: {
        velmo_point_t *measurement = nullptr;
        if (event.ShiftDown() && m_sectionViewMode != VIEW_3D) {
            velmo_point_t free;
            std::memset(&free, 0, sizeof free);
            WindowToSection(at.x, at.y, &free);
            measurement = section_create_meas(m_currentSection, &free, m_sectionViewMode);
        } else if (velmo_point_t *point = FindNearestSectionPoint(at.x, at.y, false)) {
            measurement = section_add_meas(m_currentSection, point);
        }
        if (!measurement)
            return;
        m_lastMeasureAction = 1;
        m_lastAddedMeasurement = measurement;
        m_measurementsChanged = true;
        SceneShowSectionLineBlue(m_currentSection, m_pointSize);
        break;
    }
    case SECTION_DELETE_POINT: {
        velmo_point_t *point = FindNearestSectionPoint(at.x, at.y, true);
        if (!point)
            return;
        m_lastRemovedMeasurement = *point;
        if (!section_remove_meas(m_currentSection, point))
            return;
        m_lastMeasureAction = -1;
        m_lastAddedMeasurement = nullptr;
        m_measurementsChanged = true;
        SceneShowSectionLineBlue(m_currentSection, m_pointSize);
        break;
    }
    case SECTION_MEASURE_DISTANCE: {
        velmo_point_t point;
        std::memset(&point, 0, sizeof point);
        if (m_sectionViewMode == VIEW_3D) {
            const velmo_point_t *nearest = FindNearestSectionPoint(at.x, at.y, false);
            if (!nearest)
                return;
            point = *nearest;
        } else {
            WindowToSection(at.x, at.y, &point);
            if (m_sectionViewMode == VIEW_FRONT)
                point.w = 0.0f;
            else if (m_sectionViewMode == VIEW_SIDE && !m_distancePoints.empty())
                point.v = m_distancePoints.back().v;
        }
        m_distancePoints.push_back(point);
        SceneShowPolyline(m_distancePoints, m_pointSize);
        m_statusView->SetStatusText(1, _("Distance:") + wxString(velmo::c_number_text(DistanceAlong(m_distancePoints), 2)));
        break;
    }
    default: break;
    }
}

void CorvaneFrame::OnSectionRightUp(wxMouseEvent &event)
{
    event.Skip();
    const wxPoint at = event.GetPosition();
    const bool click = IsClick(m_rightPress, at);
    m_rightPress = at;
    if (!click)
        return;
    if (m_sectionMode == SECTION_MEASURE_POINT || m_sectionMode == SECTION_DELETE_POINT) {
        SetSectionMode(SECTION_IDLE);
    } else if (m_sectionMode == SECTION_MEASURE_DISTANCE) {
        wxMenu menu(_("Measure"));
        menu.Append(ID_MENU_MEASURE_BACK, _("Back"));
        menu.Append(ID_MENU_MEASURE_CLEAR, _("Clear"));
        menu.Append(ID_MENU_MEASURE_QUIT, _("Quit"));
        PopupSectionMenu(menu, at);
    }
}

void CorvaneFrame::PopupSectionMenu(wxMenu &menu, const wxPoint &position)
{
    if (m_menuPopup)
        m_menuPopup(menu);
    else
        m_sectionCanvas->PopupMenu(&menu, position);
}

void CorvaneFrame::OnSectionMotion(wxMouseEvent &event)
{
    event.Skip();
    if (!m_sectionViewer)
        return;
    const osg::Vec3d point = Unproject(m_sectionViewer.get(), event.GetX(), event.GetY(), 0.0);
    m_statusView->SetStatusText(0, CoordinateText(point));
}

// ---- Keys of the section view -------------------------------------------------------------

void CorvaneFrame::OnSectionKeyDown(wxKeyEvent &event)
{
    event.Skip();
    if (!m_currentSection)
        return;
    const int code = event.GetKeyCode();
    switch (code) {
    case WXK_LEFT:
    case WXK_RIGHT:
    case WXK_UP:
    case WXK_DOWN:
    case WXK_NUMPAD_ADD:
    case WXK_NUMPAD_SUBTRACT:
        StepSectionValue(code);
        return;
    case WXK_ESCAPE: SetSectionMode(SECTION_IDLE); return;
    case WXK_BACK: UndoMeasureAction(); return;
    case '1':
    case WXK_NUMPAD1: SetSectionViewMode(VIEW_FRONT); return;
    case '2':
    case WXK_NUMPAD2: SetSectionViewMode(VIEW_SIDE); return;
    case '3':
    case WXK_NUMPAD3: SetSectionViewMode(VIEW_3D); return;
    case '4':
    case WXK_NUMPAD4: SetSectionColorMode(COLOR_RGB); return;
    case '5':
    case WXK_NUMPAD5: SetSectionColorMode(COLOR_INTENSITY); return;
    case '6':
    case WXK_NUMPAD6: SetSectionColorMode(COLOR_HEIGHT); return;
    case '7':
    case WXK_NUMPAD7: SetSectionColorMode(COLOR_CLASSIFICATION); return;
    default: break;
    }
    switch (code & ~0x20) {
    case 'A': SetSectionMode(SECTION_MEASURE_POINT); break;
    case 'D': SetSectionMode(SECTION_DELETE_POINT); break;
    case 'W': SetSectionMode(SECTION_MEASURE_DISTANCE); break;
    case 'S': SetSectionMode(SECTION_IDLE); break;
    default: break;
    }
}

// The arrows step the width by 1 and the thickness by 0.2, the numeric pad's
// signs the point size by 1, each within its range; the tool window shows
// the values in force afterwards, whether the step was made or not.
void CorvaneFrame::StepSectionValue(int key)
{
    using sectionvalues::BUFFER_WIDTH_RANGE;
    using sectionvalues::POINT_SIZE_RANGE;
    const double thickness = SectionThickness();
    const double width = SectionWidth();
    const float size = m_pointSize;
    if (key == WXK_LEFT && width > WIDTH_STEP)
        StepSectionWidth(width - WIDTH_STEP);
    else if (key == WXK_RIGHT)
        StepSectionWidth(width + WIDTH_STEP);
    else if (key == WXK_UP)
        SetSectionOffset(BUFFER_WIDTH_RANGE.Clamp(thickness + THICKNESS_STEP));
    else if (key == WXK_DOWN && thickness > THICKNESS_STEP)
        SetSectionOffset(BUFFER_WIDTH_RANGE.Clamp(thickness - THICKNESS_STEP));
    else if (key == WXK_NUMPAD_ADD)
        SetSectionPointSize(float(POINT_SIZE_RANGE.Clamp(size + POINT_SIZE_STEP)));
    else if (key == WXK_NUMPAD_SUBTRACT && size > POINT_SIZE_STEP)
        SetSectionPointSize(float(POINT_SIZE_RANGE.Clamp(size - POINT_SIZE_STEP)));
    if (m_sectionTool)
        m_sectionTool->ShowValuesInForce();
}

void CorvaneFrame::StepSectionWidth(double width)
{
    if (IsSectionWidthFixed())
        m_statusView->ShowMessage(_("A longitude section spans its chainages: its width cannot change."));
    else
        SetSectionWidth(sectionvalues::SECTION_WIDTH_RANGE.Clamp(width));
}

void CorvaneFrame::UndoMeasureAction()
{
    if (m_lastMeasureAction == 1) {
        section_remove_meas(m_currentSection, m_lastAddedMeasurement);
        m_lastAddedMeasurement = nullptr;
    } else if (m_lastMeasureAction == -1) {
        section_add_meas(m_currentSection, &m_lastRemovedMeasurement);
    } else {
        return;
    }
    m_lastMeasureAction = 0;
    m_measurementsChanged = true;
    SceneShowSectionLineBlue(m_currentSection, m_pointSize);
    RedrawViews();
}

// ---- Pop-up menu commands of sections and measuring ---------------------------------------

bool CorvaneFrame::HandleSectionMenu(long id)
{
    if (id == ID_MENU_MEASURE_SECTION) {
        if (m_menuSection)
            SetCurrentSection(m_menuSection);
    } else if (id == ID_MENU_CLEAR_MEASURES) {
        ClearMenuSection();
    } else if (id == ID_MENU_DELETE_SECTION) {
        DeleteMenuSection();
    } else if (id == ID_MENU_MEASURE_BACK) {
        if (m_distancePoints.empty())
            return true;
        m_distancePoints.pop_back();
        SceneShowPolyline(m_distancePoints, m_pointSize);
    } else if (id == ID_MENU_MEASURE_CLEAR) {
        m_distancePoints.clear();
        SceneShowPolyline(m_distancePoints, m_pointSize);
    } else if (id == ID_MENU_MEASURE_QUIT) {
        SetSectionMode(SECTION_IDLE);
    } else {
        return false;
    }
    RedrawViews();
    return true;
}

void CorvaneFrame::ClearMenuSection()
{
    section_t *section = m_menuSection;
    if (!section)
        return;
    section_clear_meas(section);
    wks_save_section_data(g_workspace, section);
    // The cleared records are gone from the section; an undo must not bring
    // one of them back.
    if (section == m_currentSection) {
        m_lastMeasureAction = 0;
        m_lastAddedMeasurement = nullptr;
    }
    RefreshSectionIcons();
    if (section == m_currentSection)
        SceneShowSectionLineBlue(section, m_pointSize);
    SceneHideSection(section);
    SceneShowSection(section);
    RedrawViews();
}

void CorvaneFrame::DeleteMenuSection()
{
    if (!Confirm(_("Are you sure to delete selected section?")) || !m_menuSection)
        return;
    section_t *section = m_menuSection;
    m_menuSection = nullptr;
    RemoveSections({section});
}

void CorvaneFrame::CloseCurrentSection()
{
    SceneShowSectionOverlay(m_currentSection, false);
    SceneClearSectionView();
    m_currentSection = nullptr;
    // Its measuring ends with it: nothing is left to save or undo.
    m_sectionMode = SECTION_IDLE;
    m_measurementsChanged = false;
    ForgetMeasuring();
    m_sectionCanvas->SetCursor(wxCursor(wxCURSOR_ARROW));
    m_statusView->SetStatusText(2, wxEmptyString);
    ShowSectionTool(false);
    m_auiManager->GetPane(m_sectionCanvas).Hide();
    m_auiManager->Update();
    SetModelViewMode(VIEW_3D);
}

void CorvaneFrame::RemoveSections(const std::vector<section_t *> &sections)
{
    if (sections.empty())
        return;
    for (section_t *section : sections) {
        if (section == m_currentSection)
            CloseCurrentSection();
        if (section == m_menuSection)
            m_menuSection = nullptr;
        SceneHideSection(section);
    }
    wks_remove_sections(g_workspace, sections.data(), int(sections.size()));
    m_propertyGrid->Clear();
    UpdateWorkspaceTree();
    RedrawViews();
    ReleaseSectionPoints();
}

// ---- DXF and DAT files of the current section ----------------------------------------------

void CorvaneFrame::OnImportDxf(wxCommandEvent &)
{
    ImportSectionDxf();
}

void CorvaneFrame::OnExportSectionFile(wxCommandEvent &)
{
    ExportSectionFile();
}

wxBitmap CorvaneFrame::LoadPicture(const wxString &relative) const
{
    return AppLoadBitmap(relative);
}

void CorvaneFrame::ImportSectionDxf()
{
    if (!m_currentSection)
        return;
    wxString path;
    if (!ChooseFile(_("Select DXF file to import."), _("DXF file(*.dxf)|*.dxf"), wxFD_OPEN, &path))
        return;
    char buffer[VELMO_PATH_SIZE];
    TaskThread::PathToUtf8(path, buffer);
    if (!buffer[0]) {
        ShowError(_("The file's path is too long."));
        return;
    }
    if (!section_import_dxf(m_currentSection, buffer)) {
        ShowError(wxString::FromUTF8(section_last_message(m_currentSection)));
        return;
    }
    SceneShowSectionLineRed(m_currentSection, m_pointSize);
    SceneShowSectionLineBlue(m_currentSection, m_pointSize);
    RedrawViews();
    ReleaseSectionPoints();
}

void CorvaneFrame::ExportSectionFile()
{
    // The ground line may be computed from every cloud, which a task may be
    // adding or removing.
    if (!m_currentSection || RefuseWhileBusy())
        return;
    wxString path;
    if (!ChooseFile(_("Select file to export."), _("DXF file(*.dxf)|*.dxf|DAT file(*.dat)|*.dat"),
                    wxFD_SAVE | wxFD_OVERWRITE_PROMPT, &path, SaveGuard::Writing({VELMO_FILE_DXF, VELMO_FILE_DAT})))
        return;
    const int filter = m_fileChooser->GetFilterIndex();
    char buffer[VELMO_PATH_SIZE];
    TaskThread::PathToUtf8(path, buffer);
    if (!buffer[0]) {
        ShowError(_("The file's path is too long."));
        return;
    }
    const int written = filter == 0 ? section_export_dxf(g_workspace, m_currentSection, buffer, 0)
                                    : section_export_dat(g_workspace, m_currentSection, buffer, filter);
    if (!written) {
        ShowError(wxString::FromUTF8(section_last_message(m_currentSection)));
        return;
    }
    wxMessageBox(_("Export file finished."), _("Message"), wxOK | wxCENTRE, this);
}

// ---- Model view: picking and read-out ----------------------------------------------------

void CorvaneFrame::OnModelDoubleClick(wxMouseEvent &event)
{
    event.Skip();
    if (!m_modelViewer || RefuseWhileBusy())
        return;
    // The lines are picked where they are drawn, in screen space: a plane
    // at another height would put the mouse over a neighbour's slab.
    section_t *section = ModelPicker(m_modelViewer.get()).LatitudeSectionAt(event.GetX(), event.GetY());
    if (section)
        StartTask(new TaskThread(this, TASK_PICK_SECTION, section));
}

void CorvaneFrame::OnModelMotion(wxMouseEvent &event)
{
    event.Skip();
    if (!m_modelViewer)
        return;
    osg::Vec3d point;
    if (!ModelPicker(m_modelViewer.get()).DrawnPointAt(event.GetX(), event.GetY(), &point)) {
        m_statusView->SetStatusText(0, wxEmptyString);
        return;
    }
    m_statusView->SetStatusText(0, CoordinateText(point));
}

// ---- Section tool window and panes ---------------------------------------------------------

void CorvaneFrame::ShowSectionTool(bool show)
{
    m_sectionToolWanted = show;
    if (!show) {
        if (m_sectionTool)
            m_sectionTool->Hide();
        return;
    }
    if (!m_sectionTool)
        m_sectionTool = new SectionToolDialog(this, this);
    m_sectionToolArea = wxRect();
    PlaceSectionTool();
    m_sectionTool->ShowValuesInForce();
    // A pane that has just been shown gets its place in the next layout.
    CallAfter([this] { FollowSectionCanvas(); });
}

// Places the tool window again after the section canvas moved.
void CorvaneFrame::ShowSectionToolIfShown()
{
    if (m_sectionTool && m_sectionToolWanted)
        ShowSectionTool(true);
}

void CorvaneFrame::OnShow(wxShowEvent &event)
{
    event.Skip();
    if (m_auiManager && m_sectionCanvas)
        ShowSectionTool(m_auiManager->GetPane(m_sectionCanvas).IsShown() && event.IsShown());
}

void CorvaneFrame::OnMaximize(wxMaximizeEvent &event)
{
    event.Skip();
    // The canvas has its new place only after the frame's layout.
    CallAfter([this] { ShowSectionToolIfShown(); });
}

void CorvaneFrame::OnSectionSize(wxSizeEvent &event)
{
    event.Skip();
    ShowSectionToolIfShown();
}

void CorvaneFrame::OnPaneMaximize(wxAuiManagerEvent &event)
{
    event.Skip();
    if (event.GetPane() && event.GetPane()->window != m_sectionCanvas)
        ShowSectionTool(false);
}

void CorvaneFrame::OnPaneRestore(wxAuiManagerEvent &event)
{
    event.Skip();
    if (event.GetPane() && event.GetPane()->window != m_sectionCanvas && m_currentSection)
        CallAfter([this] {
            if (m_currentSection)
                ShowSectionTool(true);
        });
}

void CorvaneFrame::OnPaneClose(wxAuiManagerEvent &event)
{
    event.Skip();
    if (event.GetPane() && event.GetPane()->window == m_sectionCanvas) {
        SetCurrentSection(nullptr);
        ShowSectionTool(false);
    }
}
