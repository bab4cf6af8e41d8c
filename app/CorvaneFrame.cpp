#include "CorvaneFrame.h"

#include "AppResources.h"
#include "FileChooser.h"
#include "OSGCanvas.h"
#include "StatusView.h"
#include "TaskThread.h"
#include "dockart_metric.h"

#include <osgDB/DatabasePager>

#include <wx/icon.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/propgrid/propgrid.h>
#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/sizer.h>
#include <wx/treelist.h>
#include <wx/utils.h>

#include <algorithm>
#include <cstring>

// Identifiers are made before the event table below reads them: both are
// initialised in the order of this file.
const long CorvaneFrame::ID_RIBBONBAR = wxNewId();
const long CorvaneFrame::ID_DB_TREE = wxNewId();
const long CorvaneFrame::ID_PROP_GRID = wxNewId();
const long CorvaneFrame::ID_PANEL_MODEL = wxNewId();
const long CorvaneFrame::ID_PANEL_SECTION = wxNewId();
const long CorvaneFrame::ID_PANEL1 = wxNewId();
const long CorvaneFrame::ID_PANEL2 = wxNewId();
const long CorvaneFrame::ID_RIBBON_NEW = wxNewId();
const long CorvaneFrame::ID_RIBBON_OPEN = wxNewId();
const long CorvaneFrame::ID_RIBBON_HELP = wxNewId();
const long CorvaneFrame::ID_RIBBON_ABOUT = wxNewId();
const long CorvaneFrame::ID_RIBBON_IMPORT_CLOUD = wxNewId();
const long CorvaneFrame::ID_RIBBON_COLOR = wxNewId();
const long CorvaneFrame::ID_RIBBON_SLICE = wxNewId();
const long CorvaneFrame::ID_RIBBON_IMPORT_ROAD = wxNewId();
const long CorvaneFrame::ID_RIBBON_EXPORT_ROAD = wxNewId();
const long CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS = wxNewId();
const long CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS = wxNewId();
const long CorvaneFrame::ID_RIBBON_LONGITUDE_SECTIONS = wxNewId();
const long CorvaneFrame::ID_RIBBON_VERTICAL_SECTION = wxNewId();
const long CorvaneFrame::ID_RIBBON_HORIZONTAL_SECTION = wxNewId();
const long CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS = wxNewId();
const long CorvaneFrame::ID_MENU_COLOR_RGB = wxNewId();
const long CorvaneFrame::ID_MENU_COLOR_INTENSITY = wxNewId();
const long CorvaneFrame::ID_MENU_COLOR_HEIGHT = wxNewId();
const long CorvaneFrame::ID_MENU_COLOR_CLASSIFICATION = wxNewId();
const long CorvaneFrame::ID_MENU_SECTION_COLOR_RGB = wxNewId();
const long CorvaneFrame::ID_MENU_SECTION_COLOR_INTENSITY = wxNewId();
const long CorvaneFrame::ID_MENU_SECTION_COLOR_OFFSET = wxNewId();
const long CorvaneFrame::ID_MENU_SECTION_COLOR_CLASSIFICATION = wxNewId();
const long CorvaneFrame::ID_MENU_VIEW_FRONT = wxNewId();
const long CorvaneFrame::ID_MENU_VIEW_SIDE = wxNewId();
const long CorvaneFrame::ID_MENU_VIEW_3D = wxNewId();
const long CorvaneFrame::ID_MENU_DELETE_CLOUD = wxNewId();
const long CorvaneFrame::ID_MENU_DELETE_ROAD = wxNewId();
const long CorvaneFrame::ID_MENU_MEASURE_SECTION = wxNewId();
const long CorvaneFrame::ID_MENU_CLEAR_MEASURES = wxNewId();
const long CorvaneFrame::ID_MENU_DELETE_SECTION = wxNewId();
const long CorvaneFrame::ID_MENU_MEASURE_BACK = wxNewId();
const long CorvaneFrame::ID_MENU_MEASURE_CLEAR = wxNewId();
const long CorvaneFrame::ID_MENU_MEASURE_QUIT = wxNewId();

namespace {

// How long an idle event waits when neither view needed a frame.
const unsigned long IDLE_PAUSE_MS = 2;

// Narrower than this the frame's rows are not laid out.
const int MIN_LAYOUT_WIDTH = 200;

} // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CorvaneFrame, wxFrame)
    EVT_RIBBONBAR_HELP_CLICK(ID_RIBBONBAR, CorvaneFrame::OnRibbonHelp)
    EVT_RIBBONBAR_TOGGLED(ID_RIBBONBAR, CorvaneFrame::OnRibbonToggled)
    EVT_IDLE(CorvaneFrame::OnIdle)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_OPEN, CorvaneFrame::OnOpenProject)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_NEW, CorvaneFrame::OnCreateProject)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_IMPORT_CLOUD, CorvaneFrame::OnImportLasFile)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_ROAD_ELEMENTS, CorvaneFrame::OnRoadElements)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_LATITUDE_SECTIONS, CorvaneFrame::OnGenerateLatitudeSections)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_LONGITUDE_SECTIONS, CorvaneFrame::OnGenerateLongitudeSections)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_IMPORT_ROAD, CorvaneFrame::OnImportRoad)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_EXPORT_ROAD, CorvaneFrame::OnExportRoad)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_VERTICAL_SECTION, CorvaneFrame::OnCreateVerticalSection)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_HORIZONTAL_SECTION, CorvaneFrame::OnCreateHorizontalSection)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_EXPORT_SECTIONS, CorvaneFrame::OnExportSections)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_ABOUT, CorvaneFrame::OnAbout)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_HELP, CorvaneFrame::OnManual)
    EVT_RIBBONBUTTONBAR_DROPDOWN_CLICKED(ID_RIBBON_COLOR, CorvaneFrame::OnColorDropdown)
    EVT_RIBBONBUTTONBAR_CLICKED(ID_RIBBON_SLICE, CorvaneFrame::OnSliceLas)
    EVT_TASK_START_HANDLER(CorvaneFrame::OnTaskStart)
    EVT_TASK_PROGRESS_HANDLER(CorvaneFrame::OnTaskProgress)
    EVT_TASK_FINISH_HANDLER(CorvaneFrame::OnTaskFinish)
    EVT_SHOW(CorvaneFrame::OnShow)
    EVT_MENU(wxID_ANY, CorvaneFrame::OnMenu)
    EVT_CLOSE(CorvaneFrame::OnClose)
    EVT_MAXIMIZE(CorvaneFrame::OnMaximize)
    EVT_UPDATE_VERSION_HANDLER(CorvaneFrame::OnUpdateVersion)
wxEND_EVENT_TABLE()
// clang-format on

ClassificationColorTable ClassificationColorTable::Defaults()
{
    // Codes 0-6 (unclassified, ground, vegetation, building) shown, the rest
    // hidden; 7, 8, 12 and 17-31 transparent black.
    static const float colors[18][4] = {
        {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {0.4f, 0.4f, 0.0f, 1.0f}, {0.0f, 0.4f, 0.0f, 1.0f},
        {0.0f, 0.6f, 0.0f, 1.0f}, {0.0f, 0.8f, 0.0f, 1.0f}, {0.4f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f},
        {0.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.4f, 1.0f}, {0.6f, 0.6f, 0.0f, 1.0f}, {0.6f, 0.6f, 0.6f, 1.0f},
        {0.0f, 0.0f, 0.0f, 0.0f}, {0.8f, 0.8f, 0.0f, 1.0f}, {0.8f, 0.8f, 0.4f, 1.0f}, {0.8f, 0.8f, 0.6f, 1.0f},
        {0.8f, 0.8f, 0.8f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f}};
    ClassificationColorTable table;
    std::memset(&table, 0, sizeof table);
    std::memcpy(table.colors, colors, sizeof colors);
    for (int code = 0; code <= 6; ++code)
        table.visible[code] = 1;
    return table;
}

CorvaneFrame::CorvaneFrame(wxWindow *parent, wxWindowID id)
    : wxFrame(parent, id, _("Corvane"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE, "id")
{
    std::memset(&m_classColors, 0, sizeof m_classColors);
    std::memset(&m_lastRemovedMeasurement, 0, sizeof m_lastRemovedMeasurement);
    SetMinSize(wxSize(600, 400));
    CreatePanes();
    BindRunTimeHandlers();
    SetFieldDefaults();
    CreateRibbon();
    InitWorkspaceTree();
    InitPropertyGrid();
    InitModelViewer();
    InitSectionViewer();
    Maximize(true);
    SetFrameIcon();
    m_fileChooser = std::make_unique<DialogFileChooser>();
    StartUpdateCheck();
    // The manager owns the dock art from here on.
    m_auiManager->SetArtProvider(new wxAuiMetricDockArt());
}

CorvaneFrame::~CorvaneFrame()
{
    m_auiManager->UnInit();
    delete m_auiManager;
    m_auiManager = nullptr;
    m_distancePoints.clear();
    m_sectionViewer = nullptr;
    m_modelViewer = nullptr;
}

void CorvaneFrame::CreatePanes()
{
    auto *sizer = new wxFlexGridSizer(0, 1, 0, 0);
    m_ribbonBar = new wxRibbonBar(this, ID_RIBBONBAR, wxDefaultPosition, wxDefaultSize, wxRIBBON_BAR_DEFAULT_STYLE);
    sizer->Add(m_ribbonBar, 1, wxALL, 0);

    m_mainPanel = new wxPanel(this, ID_PANEL1, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL1");
    m_auiManager = new wxAuiManager(m_mainPanel, wxAUI_MGR_DEFAULT);

    m_workspaceTree = new wxTreeListCtrl(m_mainPanel, ID_DB_TREE, wxDefaultPosition, wxDefaultSize,
                                         wxTL_CHECKBOX | wxTL_NO_HEADER, "ID_DB_TREE");
    m_auiManager->AddPane(m_workspaceTree, wxAuiPaneInfo()
                                               .Name("DBTree")
                                               .Caption(_("DB Tree"))
                                               .CaptionVisible()
                                               .MaximizeButton()
                                               .CloseButton(false)
                                               .Left());

    m_propertyGrid = new wxPropertyGrid(m_mainPanel, ID_PROP_GRID, wxDefaultPosition, wxDefaultSize,
                                        wxPG_SPLITTER_AUTO_CENTER, "ID_PROP_GRID");
    m_auiManager->AddPane(m_propertyGrid, wxAuiPaneInfo()
                                              .Name("PropGrid")
                                              .Caption(_("Properties"))
                                              .CaptionVisible()
                                              .MaximizeButton()
                                              .CloseButton(false)
                                              .Left());

    m_modelCanvas = new OSGCanvas(m_mainPanel, ID_PANEL_MODEL, nullptr, wxDefaultPosition, wxDefaultSize,
                                  wxTAB_TRAVERSAL, "ID_PANEL_MODEL");
    m_auiManager->AddPane(m_modelCanvas, wxAuiPaneInfo()
                                             .Name("PanelModel")
                                             .Caption(_("Model"))
                                             .CaptionVisible()
                                             .MaximizeButton()
                                             .CloseButton(false)
                                             .Center());

    m_sectionCanvas = new OSGCanvas(m_mainPanel, ID_PANEL_SECTION, nullptr, wxDefaultPosition, wxDefaultSize,
                                    wxTAB_TRAVERSAL | wxWANTS_CHARS, "ID_PANEL_SECTION");
    m_auiManager->AddPane(m_sectionCanvas, wxAuiPaneInfo()
                                               .Name("PaneSection")
                                               .Caption(_("Section"))
                                               .CaptionVisible()
                                               .MaximizeButton()
                                               .Center()
                                               .Hide());
    m_auiManager->Update();
    sizer->Add(m_mainPanel, 1, wxALL | wxEXPAND, 0);

    m_statusView = new StatusView(this, ID_PANEL2);
    m_statusView->SetMinSize(wxSize(-1, 24));
    m_statusView->SetGrowHandler([this](int dx, int dy) { FitStatusPanel(dx, dy); });
    sizer->Add(m_statusView, 1, wxALL | wxALIGN_CENTER, 5);
    SetSizer(sizer);
    Fit();
    Centre(wxBOTH);
}

void CorvaneFrame::BindRunTimeHandlers()
{
    m_modelCanvas->Bind(wxEVT_LEFT_DCLICK, &CorvaneFrame::OnModelDoubleClick, this);
    m_modelCanvas->Bind(wxEVT_MOTION, &CorvaneFrame::OnModelMotion, this);
    m_modelCanvas->Bind(wxEVT_SIZE, &CorvaneFrame::OnModelSize, this);
    m_sectionCanvas->Bind(wxEVT_KEY_DOWN, &CorvaneFrame::OnSectionKeyDown, this);
    m_sectionCanvas->Bind(wxEVT_LEFT_DOWN, &CorvaneFrame::OnSectionLeftDown, this);
    m_sectionCanvas->Bind(wxEVT_LEFT_UP, &CorvaneFrame::OnSectionLeftUp, this);
    m_sectionCanvas->Bind(wxEVT_RIGHT_DOWN, &CorvaneFrame::OnSectionRightDown, this);
    m_sectionCanvas->Bind(wxEVT_RIGHT_UP, &CorvaneFrame::OnSectionRightUp, this);
    m_sectionCanvas->Bind(wxEVT_MOTION, &CorvaneFrame::OnSectionMotion, this);
    m_sectionCanvas->Bind(wxEVT_SIZE, &CorvaneFrame::OnSectionSize, this);
    m_auiManager->Bind(wxEVT_AUI_PANE_CLOSE, &CorvaneFrame::OnPaneClose, this);
    m_auiManager->Bind(wxEVT_AUI_PANE_MAXIMIZE, &CorvaneFrame::OnPaneMaximize, this);
    m_auiManager->Bind(wxEVT_AUI_PANE_RESTORE, &CorvaneFrame::OnPaneRestore, this);
    m_mainPanel->Bind(wxEVT_SIZE, &CorvaneFrame::OnPanelSize, this);
    Bind(wxEVT_SIZE, &CorvaneFrame::OnSize, this);
    // A button's command may open a modal dialog, which keeps the mouse from
    // the bar: the pointer leaves unseen, and the button would keep its
    // hovered and pressed face after the dialog closes.  The bar forgets
    // both before the command runs.  Events sent by others may carry another
    // object: the class is checked before any cast.
    const auto forgetFace = [](wxRibbonButtonBarEvent &event) {
        if (auto *bar = dynamic_cast<wxRibbonButtonBar *>(event.GetEventObject())) {
            wxMouseEvent leave(wxEVT_LEAVE_WINDOW);
            leave.SetEventObject(bar);
            bar->GetEventHandler()->ProcessEvent(leave);
        }
        event.Skip();
    };
    Bind(wxEVT_RIBBONBUTTONBAR_CLICKED, forgetFace);
    Bind(wxEVT_RIBBONBUTTONBAR_DROPDOWN_CLICKED, forgetFace);
}

void CorvaneFrame::SetFieldDefaults()
{
    m_classColors = ClassificationColorTable::Defaults();
    m_sectionColorMode = COLOR_HEIGHT;
    m_sectionMode = SECTION_IDLE;
    m_pointSize = 2.0f;
    m_sectionViewMode = VIEW_FRONT;
    m_modelViewMode = VIEW_3D;
    m_modelColorMode = COLOR_HEIGHT;
    m_runningTask = nullptr;
    m_menuCloud = nullptr;
    m_menuRoad = nullptr;
    m_menuSection = nullptr;
    m_currentSection = nullptr;
    m_sectionTool = nullptr;
    m_lastMeasureAction = 0;
    m_lastAddedMeasurement = nullptr;
}

void CorvaneFrame::SetFrameIcon()
{
    const wxBitmap bitmap = AppLoadBitmap("icons/corvane.png");
    if (!bitmap.IsOk())
        return;
    wxIcon icon;
    icon.CopyFromBitmap(bitmap);
    SetIcon(icon);
}

void CorvaneFrame::StartUpdateCheck()
{
    auto *task = new TaskThread(this, TASK_CHECK_UPDATE, wxEmptyString, nullptr);
    // A detached thread that never started is ours to delete; leaving it in
    // the busy guard would refuse every command and the close for good.
    if (task->Run() != wxTHREAD_NO_ERROR) {
        delete task;
        return;
    }
    m_runningTask = task;
    ++m_tasksStarted;
}

// ---- Static event table ----------------------------------------------------------

void CorvaneFrame::OnRibbonHelp(wxRibbonBarEvent &)
{
    wxMessageBox(_("Welcome to Corvane."), _("About"), wxOK | wxCENTRE | wxICON_INFORMATION, this);
}

void CorvaneFrame::OnRibbonToggled(wxRibbonBarEvent &)
{
    LayOutFrame();
    // The bar laid its pages out while it was still folded, and gives the
    // shown page alone its new room: the other pages would keep panels
    // collapsed to the folded height until the window is resized.
    if (m_ribbonBar->ArePanelsShown()) {
        m_ribbonBar->Realize();
        LayOutFrame();
    }
}

void CorvaneFrame::OnIdle(wxIdleEvent &event)
{
    // Model view first; each view renders under its own scene mutex only.
    const bool modelDrawn = RenderFrame(m_modelViewer.get(), m_modelCanvas, SceneLockModel, SceneUnlockModel);
    if (modelDrawn)
        NoteModelFrame();
    const bool sectionDrawn =
        RenderFrame(m_sectionViewer.get(), m_sectionCanvas, SceneLockSection, SceneUnlockSection);
    // Idle events keep coming so that a view draws as soon as it needs to;
    // while neither does, a short pause keeps the loop from taking a whole
    // processor core for nothing.
    if (!modelDrawn && !sectionDrawn)
        wxMilliSleep(IDLE_PAUSE_MS);
    FollowSectionCanvas();
    ShowCloudMessages();
    event.RequestMore();
}

void CorvaneFrame::NoteModelFrame()
{
    if (!m_viewTimeLog.Watching())
        return;
    const osgDB::DatabasePager *pager = m_modelViewer->getDatabasePager();
    const bool idle = !pager || (pager->getFileRequestListSize() == 0 && pager->getDataToMergeListSize() == 0 &&
                                 !pager->getRequestsInProgress());
    m_viewTimeLog.ModelFrameDrawn(SceneLoadedTileCount(), idle);
}

bool CorvaneFrame::RenderFrame(osgViewer::Viewer *viewer, OSGCanvas *canvas, int (*lock)(), int (*unlock)())
{
    // A canvas that is not on screen (the section pane starts hidden, the
    // frame may be minimised) has no native window to make current.
    if (!viewer || !canvas || !canvas->IsShownOnScreen() || !viewer->checkNeedToDoFrame())
        return false;
    lock();
    viewer->frame();
    unlock();
    return true;
}

void CorvaneFrame::OnTaskStart(TaskThreadEvent &event)
{
    m_statusView->SetProgress(0, event.GetMessage());
}

void CorvaneFrame::OnTaskProgress(TaskThreadEvent &event)
{
    const int percent = event.GetPercent();
    if (percent != m_statusView->GetProgressPercent())
        m_statusView->SetProgress(percent, event.GetMessage());
    switch (event.GetCode()) {
    case TASK_LATITUDE_SECTIONS:
    case TASK_LONGITUDE_SECTIONS:
    case TASK_CUSTOM_SECTIONS:
        if (event.GetSection())
            SceneShowSection(event.GetSection());
        break;
    case TASK_OPEN_PROJECT:
        if (event.GetCloud()) {
            SceneShowCloud(event.GetCloud(), m_modelColorMode);
            m_modelViewer->home();
            RefreshTreeChecks();
        } else if (event.GetSection()) {
            SceneShowSection(event.GetSection());
        } else if (event.GetRoad()) {
            SceneShowRoad(event.GetRoad());
            m_modelViewer->home();
            RefreshTreeChecks();
        }
        break;
    default:
        break;
    }
}

void CorvaneFrame::OnTaskFinish(TaskThreadEvent &event)
{
    m_statusView->SetProgress(0, wxEmptyString);
    // A pick may start the load of the section it found: that task stays
    // the running one.
    const unsigned long startedBefore = m_tasksStarted;
    switch (event.GetCode()) {
    case TASK_IMPORT_LAS:
        if (event.GetCloud()) {
            SceneShowCloud(event.GetCloud(), m_modelColorMode);
            m_modelViewer->home();
        }
        UpdateWorkspaceTree();
        if (!event.GetCloud())
            ReportTaskFailure(event, _("The point cloud could not be imported."));
        break;
    case TASK_IMPORT_HAIDI:
    case TASK_IMPORT_WEIDI:
        if (event.GetRoad()) {
            SceneShowRoad(event.GetRoad());
            m_modelViewer->home();
        }
        UpdateWorkspaceTree();
        // A road imported whole carries no message.
        if (!event.GetRoad() || !event.GetMessage().empty())
            ReportTaskFailure(event, _("The road could not be imported."));
        break;
    case TASK_OPEN_PROJECT:
        m_viewTimeLog.OpenFinished();
        UpdateWorkspaceTree();
        m_pendingMissingCheck = true;
        break;
    case TASK_SLICE_LAS:
        if (!event.GetMessage().empty())
            ReportTaskFailure(event, wxString());
        else
            m_statusView->ShowMessage(event.GetString());
        break;
    case TASK_LATITUDE_SECTIONS:
    case TASK_LONGITUDE_SECTIONS:
    // The new sections are shown only as they are computed; their ticks
    // follow once all are.
    case TASK_CUSTOM_SECTIONS:
        UpdateWorkspaceTree();
        if (!event.GetMessage().empty() && NoteShownMessage(event.GetMessage()))
            ReportTaskFailure(event, wxString());
        break;
    // The removed cloud is still in memory but no longer in the workspace;
    // the tree must not offer it.
    case TASK_REMOVE_CLOUD:
        UpdateWorkspaceTree();
        break;
    case TASK_LOAD_SECTION:
    case TASK_RELOAD_SECTION:
    case TASK_PICK_SECTION:
        FinishSectionTask(event);
        break;
    default:
        break;
    }
    if (m_tasksStarted == startedBefore)
        m_runningTask = nullptr;
    ShowWaitingSelection();
    StartPendingSectionReload();
    ReleaseSectionPoints();
    if (event.GetInt() == TaskThread::FINISH_SAVE_FAILED && m_pendingFailure.empty())
        m_pendingFailure = event.GetMessage();
    if (!m_pendingFailure.empty()) {
        const wxString message = m_pendingFailure;
        m_pendingFailure.clear();
        ReportFailure(message);
    }
    if (m_pendingMissingCheck) {
        m_pendingMissingCheck = false;
        WarnOfMissingClouds();
    }
}

// The busy guard is still set here; the message box must not let another
// command start before the guard is cleared, so the report comes last.
void CorvaneFrame::ReportTaskFailure(const TaskThreadEvent &event, const wxString &fallback)
{
    m_pendingFailure = event.GetMessage().empty() ? fallback : event.GetMessage();
}

void CorvaneFrame::OnClose(wxCloseEvent &event)
{
    if (!m_runningTask) {
        if (!StopSetupDownloadForClose(event))
            return;
        // Measurements of a mode still open are saved by leaving it.
        SetSectionMode(SECTION_IDLE);
        SaveProject();
        event.Skip();
        return;
    }
    wxMessageBox(TaskThread::BusyCloseMessage(), _("Warning"), wxOK | wxCENTRE | wxICON_EXCLAMATION, this);
    if (event.CanVeto()) {
        event.Veto();
        return;
    }
    // A close that cannot be refused (the session ends): the worker queues
    // its events to this frame, so it must be gone before the frame is.
    while (TaskThread::HasCurrentTask())
        wxMilliSleep(20);
    m_runningTask = nullptr;
    StopSetupDownloadForClose(event);
    SetSectionMode(SECTION_IDLE);
    SaveProject();
    event.Skip();
}

// ---- Layout ---------------------------------------------------------------------

void CorvaneFrame::OnSize(wxSizeEvent &)
{
    LayOutFrame();
}

void CorvaneFrame::LayOutFrame()
{
    // The frame places its three rows itself: the ribbon and the status
    // panel keep their minimum heights, the main panel takes the rest.
    if (!m_ribbonBar || !m_mainPanel || !m_statusView)
        return;
    const wxSize client = GetClientSize();
    // The window system first hands the frame a client area a few pixels
    // wide; the ribbon's pages would size their panels negative in it.
    if (client.GetWidth() < MIN_LAYOUT_WIDTH)
        return;
    int ribbon = m_ribbonBar->GetMinSize().GetHeight();
    if (ribbon < 0)
        ribbon = m_ribbonBar->GetBestSize().GetHeight();
    int status = m_statusView->GetMinSize().GetHeight();
    if (status < 0)
        status = 24;
    m_ribbonBar->SetSize(0, 0, client.GetWidth(), ribbon);
    m_statusView->SetSize(0, client.GetHeight() - status, client.GetWidth(), status);
    m_mainPanel->SetSize(0, ribbon, client.GetWidth(), std::max(0, client.GetHeight() - ribbon - status));
    m_ribbonBar->Layout();
}

void CorvaneFrame::FitStatusPanel(int dx, int dy)
{
    SetSize(GetSize() + wxSize(dx, dy));
    ShowSectionToolIfShown();
}

void CorvaneFrame::OnPanelSize(wxSizeEvent &event)
{
    const wxSize client = m_mainPanel->GetClientSize();
    const int w = client.GetWidth();
    const int h = client.GetHeight();
    m_auiManager->GetPane(m_workspaceTree).MinSize(w / 5, h / 2);
    m_auiManager->GetPane(m_propertyGrid).MinSize(w / 5, h / 2);
    m_auiManager->GetPane(m_modelCanvas).BestSize(4 * w / 5, h / 2);
    m_auiManager->GetPane(m_sectionCanvas).BestSize(4 * w / 5, h / 2);
    m_auiManager->Update();
    ShowSectionToolIfShown();
    event.Skip();
}
