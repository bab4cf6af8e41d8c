// The program's main window: the ribbon, a main panel whose AUI manager holds
// the workspace tree, the property grid, the model view and the section view,
// and the status panel at the bottom.  Idle events drive the two 3-D viewers;
// long work runs on a TaskThread whose events come back here.
#pragma once

#include "FileChooser.h"
#include "SavePathAsker.h"
#include "SceneManager.h"
#include "SectionToolHost.h"
#include "ViewTimeLog.h"

#include <osg/ref_ptr>
#include <osgViewer/Viewer>

#include <wx/aui/framemanager.h>
#include <wx/frame.h>
#include <wx/treelist.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

class OSGCanvas;
class SectionToolDialog;
class SetupDownloadDialog;
class StatusView;
class TaskThread;
class TaskThreadEvent;
class TreeData;
class UpdateVersionEvent;
class wxMenu;
class wxPanel;
class wxPropertyGrid;
class wxRibbonBar;
class wxRibbonBarEvent;
class wxRibbonButtonBar;
class wxRibbonButtonBarEvent;
class wxRibbonPage;

// Cameras of the two views.
enum ViewMode {
    VIEW_FRONT = 0,
    VIEW_SIDE = 1,
    VIEW_3D = 2
};

// What a click in the section view does.
enum SectionMode {
    SECTION_IDLE = 0,
    SECTION_MEASURE_POINT = 1,
    SECTION_DELETE_POINT = 2,
    SECTION_MEASURE_DISTANCE = 3
};

// Colour and visibility of section points by LAS classification code
// (velmo_class_index: the last entry stands for every class from 31 up).
struct ClassificationColorTable {
    float colors[32][4];
    unsigned char visible[32];

    // Ground, vegetation and buildings coloured and shown; noise, water and
    // the unnamed codes transparent and hidden.
    static ClassificationColorTable Defaults();
};

class CorvaneFrame : public wxFrame, public SectionToolHost
{
public:
    CorvaneFrame(wxWindow *parent, wxWindowID id = wxID_ANY);
    ~CorvaneFrame() override;

    // Window identifiers.
    static const long ID_RIBBONBAR;
    static const long ID_DB_TREE;
    static const long ID_PROP_GRID;
    static const long ID_PANEL_MODEL;
    static const long ID_PANEL_SECTION;
    static const long ID_PANEL1;
    static const long ID_PANEL2;
    // Ribbon buttons; buttons that share a label have identifiers of their own.
    static const long ID_RIBBON_NEW;
    static const long ID_RIBBON_OPEN;
    static const long ID_RIBBON_HELP;
    static const long ID_RIBBON_ABOUT;
    static const long ID_RIBBON_IMPORT_CLOUD;
    static const long ID_RIBBON_COLOR;
    static const long ID_RIBBON_SLICE;
    static const long ID_RIBBON_IMPORT_ROAD;
    static const long ID_RIBBON_EXPORT_ROAD;
    static const long ID_RIBBON_ROAD_ELEMENTS;
    static const long ID_RIBBON_LATITUDE_SECTIONS;
    static const long ID_RIBBON_LONGITUDE_SECTIONS;
    static const long ID_RIBBON_VERTICAL_SECTION;
    static const long ID_RIBBON_HORIZONTAL_SECTION;
    static const long ID_RIBBON_EXPORT_SECTIONS;
    // Pop-up menu commands.
    static const long ID_MENU_COLOR_RGB;
    static const long ID_MENU_COLOR_INTENSITY;
    static const long ID_MENU_COLOR_HEIGHT;
    static const long ID_MENU_COLOR_CLASSIFICATION;
    static const long ID_MENU_SECTION_COLOR_RGB;
    static const long ID_MENU_SECTION_COLOR_INTENSITY;
    static const long ID_MENU_SECTION_COLOR_OFFSET;
    static const long ID_MENU_SECTION_COLOR_CLASSIFICATION;
    static const long ID_MENU_VIEW_FRONT;
    static const long ID_MENU_VIEW_SIDE;
    static const long ID_MENU_VIEW_3D;
    static const long ID_MENU_DELETE_CLOUD;
    static const long ID_MENU_DELETE_ROAD;
    static const long ID_MENU_MEASURE_SECTION;
    static const long ID_MENU_CLEAR_MEASURES;
    static const long ID_MENU_DELETE_SECTION;
    static const long ID_MENU_MEASURE_BACK;
    static const long ID_MENU_MEASURE_CLEAR;
    static const long ID_MENU_MEASURE_QUIT;

    // ---- Viewers, view modes and colour modes ----------------------------------
    void SetModelViewMode(int mode);
    void SetSectionViewMode(int mode);
    // Colour of the point clouds in the model view.
    void SetColorMode(int mode);
    void SetSectionColorMode(int mode);
    // Pop-up menus of the section tool window, at the mouse pointer.
    void ShowColorMenu() override;
    void ShowViewModeMenu() override;
    // The three pop-up menus, built with the current mode checked; the caller
    // owns the menu.
    wxMenu *CreateModelColorMenu() const;
    wxMenu *CreateSectionColorMenu() const;
    wxMenu *CreateViewModeMenu() const;
    // A fresh workspace and scene, before a project is opened or created.
    void ResetWorkspace();

    // ---- Section view --------------------------------------------------------------
    // Shows the floating section tool window over the section view, or hides it.
    void ShowSectionTool(bool show);
    // Makes the section (or none) the one shown and measured in the section
    // view; its points are computed on the worker when it has none yet.
    void SetCurrentSection(section_t *section);
    // Leaving a mode saves the measurements changed in it.
    void SetSectionMode(int mode);
    void MeasureSectionPoint() override { SetSectionMode(SECTION_MEASURE_POINT); }
    void DeleteSectionPoint() override { SetSectionMode(SECTION_DELETE_POINT); }
    void FinishSectionMeasure() override { SetSectionMode(SECTION_IDLE); }
    void MeasureDistance() override { SetSectionMode(SECTION_MEASURE_DISTANCE); }
    // Thickness along the normal and extent along the width axis of the
    // current section, each within its range; recomputed on the worker, once
    // the running task ends when one runs.  False for a value out of range,
    // without a current section and for the width of a longitude section.
    bool SetSectionOffset(double thickness) override;
    bool SetSectionWidth(double width) override;
    bool SetSectionPointSize(float size) override;
    // Those of the current section; 1 and 40 without one.
    double SectionThickness() const override;
    double SectionWidth() const override;
    bool IsSectionWidthFixed() const override;
    // The record of the current section's points (or measurements) within
    // 4 pixels of the mouse position, nearest first; null without one.
    velmo_point_t *FindNearestSectionPoint(int x, int y, bool measurements);
    // The section-view coordinates (u, v, w) under the mouse, on the near plane.
    void WindowToSection(int x, int y, velmo_point_t *out);
    // DXF import into the current section, DXF or DAT export of it.
    void OnImportDxf(wxCommandEvent &event);
    void OnExportSectionFile(wxCommandEvent &event);
    void ImportSectionDxf() override;
    void ExportSectionFile() override;
    wxBitmap LoadPicture(const wxString &relative) const override;
    SectionToolDialog *GetSectionTool() const { return m_sectionTool; }
    const std::vector<velmo_point_t> &GetDistancePoints() const { return m_distancePoints; }
    // Grows the frame by the drag of the status panel's grip.
    void FitStatusPanel(int dx, int dy);

    // ---- Workspace tree and property grid ------------------------------------------
    // Rebuilds the tree from the workspace lists, every object checked.
    void UpdateWorkspaceTree();
    // Ticks exactly the tree items whose objects the model view shows.
    void RefreshTreeChecks();
    // Sets the section items' icons again without rebuilding.
    void RefreshSectionIcons();
    // Fills the grid with the first of the three that is set; empty without.
    void ShowProperties(velmo_t *cloud, wks_road_t *road, section_t *section);
    // A cloud without tiles whose LAS file is gone too: it can show nothing.
    static bool IsCloudMissing(const velmo_t *cloud);
    // What the tree's events do with their item; the event handlers hand
    // their item on to these.  While a task runs each is refused with "Task
    // is running..."; a row selected meanwhile shows its values once the
    // task has finished.
    void ApplyTreeItemCheck(wxTreeListItem item);
    void ShowTreeItemProperties(wxTreeListItem item);
    void ShowTreeItemMenu(wxTreeListItem item);

    // ---- Seams of the user's answers ------------------------------------------------
    // Replaces the file dialogs of the commands.
    void SetFileChooser(std::unique_ptr<FileChooser> chooser);
    // Replaces how a pop-up menu is shown (at the mouse, modal, by default);
    // the menu's commands are sent to the frame as usual.
    void SetMenuPopup(std::function<void(wxMenu &)> popup);

    // ---- State read by the tool windows and the tests ------------------------------
    osgViewer::Viewer *GetModelViewer() const { return m_modelViewer.get(); }
    osgViewer::Viewer *GetSectionViewer() const { return m_sectionViewer.get(); }
    OSGCanvas *GetModelCanvas() const { return m_modelCanvas; }
    OSGCanvas *GetSectionCanvas() const { return m_sectionCanvas; }
    StatusView *GetStatusView() const { return m_statusView; }
    wxRibbonBar *GetRibbonBar() const { return m_ribbonBar; }
    wxTreeListCtrl *GetWorkspaceTree() const { return m_workspaceTree; }
    wxPropertyGrid *GetPropertyGrid() const { return m_propertyGrid; }
    wxAuiManager *GetAuiManager() const { return m_auiManager; }
    wxPanel *GetMainPanel() const { return m_mainPanel; }
    TaskThread *GetRunningTask() const { return m_runningTask; }
    bool IsTaskRunning() const { return m_runningTask != nullptr; }
    // The window of the setup download in progress, null while none runs.
    SetupDownloadDialog *GetSetupDownload() const { return m_setupDownload; }
    section_t *GetCurrentSection() const { return m_currentSection; }
    int GetModelViewMode() const { return m_modelViewMode; }
    int GetSectionViewMode() const { return m_sectionViewMode; }
    int GetModelColorMode() const { return m_modelColorMode; }
    int GetSectionColorMode() const { return m_sectionColorMode; }
    int GetSectionMode() const { return m_sectionMode; }
    float GetPointSize() const override { return m_pointSize; }
    const ClassificationColorTable &GetClassificationColorTable() const { return m_classColors; }

private:
    // Construction.
    void CreatePanes();
    void BindRunTimeHandlers();
    void SetFieldDefaults();
    void CreateRibbon();
    wxRibbonButtonBar *AddRibbonPanel(wxRibbonPage *page, const wxString &title);
    void AddRibbonLogo(wxRibbonPage *page);
    void InitWorkspaceTree();
    void InitPropertyGrid();
    void InitModelViewer();
    void InitSectionViewer();
    void SetFrameIcon();
    void StartUpdateCheck();
    // Fetches the setup file into file beside the program; its window asks
    // about the setup once the file is whole.
    void DownloadSetup(const wxString &url, int size, const wxString &file);
    void OnSetupDownloadEnd(wxCommandEvent &event);
    // Asks whether a download in progress may be stopped for the close;
    // false when the close is refused.
    bool StopSetupDownloadForClose(wxCloseEvent &event);

    // Commands.
    // Shows "Task is running..." and answers true while a task runs.
    bool RefuseWhileBusy();
    // Says what to do first and answers true while no project is open.
    bool RefuseWithoutProject();
    void ShowError(const wxString &message);
    // A failure the user caused: the message box and the status panel's text.
    void ReportFailure(const wxString &message);
    // Keeps the task's own message (or the fallback) to be reported once the
    // task's finish has been handled.
    void ReportTaskFailure(const TaskThreadEvent &event, const wxString &fallback);
    // A yes/no question under "Warning"; true for Yes.  With noByDefault,
    // Enter answers No.
    bool Confirm(const wxString &question, bool noByDefault = false);
    bool ChooseFile(const wxString &message, const wxString &wildcard, long style, wxString *path,
                    const FileChooser::SaveCheck &check = FileChooser::SaveCheck());
    // The frame's file chooser for the alignment dialogs' save questions,
    // with the file dialog's style and the check of what may be written.
    SavePathAsker SaveAsker(long style, FileChooser::SaveCheck check);
    // Records the task as the running one and starts it.
    void StartTask(TaskThread *task);
    // Open or create after the dialog: the project in g_workspace, its tree,
    // and the task that loads its contents.
    void LoadProject(const wxString &path, bool create);
    bool IsOpenProject(const wxString &path) const;
    // The project's point cloud read from this LAS file, or null.
    velmo_t *FindCloudOfFile(const wxString &path) const;
    void DeleteMenuCloud();
    void DeleteMenuRoad();
    // Latitude (0) or longitude (1) sections from the road section dialog.
    void GenerateRoadSections(int mode);
    // Asks once what to do with rows whose sections the road has already:
    // Replace puts those sections into *replaced, Skip drops the rows.
    // False when no row is left.
    bool ReplaceOrSkipRepeated(wks_road_t *road, int list, std::vector<std::array<double, 2>> *rows,
                               std::vector<section_t *> *replaced);
    void PopupTreeMenu(wxMenu &menu);
    // Saves the open project, if any, so edits of its roads outlive it.
    void SaveProject();
    TreeData *TreeDataOf(wxTreeListItem item) const;
    // The values of the row selected while a task ran, once none runs.
    void ShowWaitingSelection();
    static bool IsShownInView(const TreeData *data);
    // Tells the user which clouds of the opened project have lost both
    // their LAS file and their tile store.
    void WarnOfMissingClouds();
    // Tells the user, once each, what a cloud of the workspace has to say:
    // its tile store changed on disk (found by whichever thread read it
    // first, a pager's too), or was rebuilt when the project opened.
    void ShowCloudMessages();
    // Notes a message as shown; false when it was already, so that one
    // cause found by a task and by a pager gives one message.
    bool NoteShownMessage(const wxString &message);
    wxTreeListItem FindTreeItem(const velmo_t *cloud) const;

    // Viewers.
    void SetPerspective(osgViewer::Viewer *viewer, OSGCanvas *canvas);
    // Renders one frame of a view that needs one; whether it did.
    bool RenderFrame(osgViewer::Viewer *viewer, OSGCanvas *canvas, int (*lock)(), int (*unlock)());
    // Tells the view time log about a model view frame just drawn.
    void NoteModelFrame();
    void LayOutFrame();
    void ShowSectionToolIfShown();
    // Section view helpers.
    void InstallSectionManipulator();
    // Puts the tool strip inside the section view, fitted to its width, or
    // hides it while the view is not on screen.
    void PlaceSectionTool();
    // On idle: the strip follows the view wherever it went (a frame move, a
    // pane floated or docked) without an event of its own.
    void FollowSectionCanvas();
    // The section view's client area on the screen, 4 pixels in; empty when
    // the view is not on screen.
    wxRect SectionToolArea() const;
    // Both views draw again: the scene changed under them.
    void RedrawViews();
    void StartSectionTask(int code);
    // What a finished load, reload or pick does to the scene and the view.
    void FinishSectionTask(TaskThreadEvent &event);
    // Starts the recomputation that a change during a task left waiting.
    void StartPendingSectionReload();
    // Frees the points of the sections not shown and the arrays that new
    // ones replaced, once no task can be reading them.
    void ReleaseSectionPoints();
    // The tree's section commands and the measure menu; true when handled.
    bool HandleSectionMenu(long id);
    void ClearMenuSection();
    void DeleteMenuSection();
    // Empties the distance and the section coordinates in the status panel.
    void ClearSectionReadouts();
    // Drops the undo step, the pending reload and the read-outs of the
    // section measured so far.
    void ForgetMeasuring();
    // Takes the sections out of the views, the tree and the project; the
    // current one among them is closed first.
    void RemoveSections(const std::vector<section_t *> &sections);
    void CloseCurrentSection();
    void UndoMeasureAction();
    void StepSectionValue(int key);
    void StepSectionWidth(double width);
    void ReloadCurrentSection();
    void ChooseClassificationColors();
    void PopupSectionMenu(wxMenu &menu, const wxPoint &position);
    bool IsSectionInWorkspace(const section_t *section) const;

    // Static event table, in its order.
    void OnRibbonHelp(wxRibbonBarEvent &event);
    void OnRibbonToggled(wxRibbonBarEvent &event);
    void OnIdle(wxIdleEvent &event);
    void OnOpenProject(wxRibbonButtonBarEvent &event);
    void OnCreateProject(wxRibbonButtonBarEvent &event);
    void OnImportLasFile(wxRibbonButtonBarEvent &event);
    void OnRoadElements(wxRibbonButtonBarEvent &event);
    void OnGenerateLatitudeSections(wxRibbonButtonBarEvent &event);
    void OnGenerateLongitudeSections(wxRibbonButtonBarEvent &event);
    void OnImportRoad(wxRibbonButtonBarEvent &event);
    void OnExportRoad(wxRibbonButtonBarEvent &event);
    void OnCreateVerticalSection(wxRibbonButtonBarEvent &event);
    void OnCreateHorizontalSection(wxRibbonButtonBarEvent &event);
    void OnExportSections(wxRibbonButtonBarEvent &event);
    void OnAbout(wxRibbonButtonBarEvent &event);
    void OnManual(wxRibbonButtonBarEvent &event);
    void OnColorDropdown(wxRibbonButtonBarEvent &event);
    void OnSliceLas(wxRibbonButtonBarEvent &event);
    void OnTaskStart(TaskThreadEvent &event);
    void OnTaskProgress(TaskThreadEvent &event);
    void OnTaskFinish(TaskThreadEvent &event);
    void OnShow(wxShowEvent &event);
    void OnMenu(wxCommandEvent &event);
    void OnClose(wxCloseEvent &event);
    void OnMaximize(wxMaximizeEvent &event);
    void OnUpdateVersion(UpdateVersionEvent &event);

    // Run-time bindings of the constructor.
    void OnModelDoubleClick(wxMouseEvent &event);
    void OnModelMotion(wxMouseEvent &event);
    void OnModelSize(wxSizeEvent &event);
    void OnSectionKeyDown(wxKeyEvent &event);
    void OnSectionLeftDown(wxMouseEvent &event);
    void OnSectionLeftUp(wxMouseEvent &event);
    void OnSectionRightDown(wxMouseEvent &event);
    void OnSectionRightUp(wxMouseEvent &event);
    void OnSectionMotion(wxMouseEvent &event);
    void OnSectionSize(wxSizeEvent &event);
    void OnPaneClose(wxAuiManagerEvent &event);
    void OnPaneMaximize(wxAuiManagerEvent &event);
    void OnPaneRestore(wxAuiManagerEvent &event);
    void OnPanelSize(wxSizeEvent &event);
    void OnSize(wxSizeEvent &event);
    void OnTreeItemChecked(wxTreeListEvent &event);
    void OnTreeSelectionChanged(wxTreeListEvent &event);
    void OnTreeContextMenu(wxTreeListEvent &event);

    // Windows (owned by their parents) and the AUI manager.
    OSGCanvas *m_modelCanvas = nullptr;
    OSGCanvas *m_sectionCanvas = nullptr;
    StatusView *m_statusView = nullptr;
    wxAuiManager *m_auiManager = nullptr;
    wxPanel *m_mainPanel = nullptr;
    wxPropertyGrid *m_propertyGrid = nullptr;
    wxRibbonBar *m_ribbonBar = nullptr;
    wxTreeListCtrl *m_workspaceTree = nullptr;

    osg::ref_ptr<osgViewer::Viewer> m_modelViewer;
    osg::ref_ptr<osgViewer::Viewer> m_sectionViewer;

    std::unique_ptr<FileChooser> m_fileChooser;
    std::function<void(wxMenu &)> m_menuPopup;

    // The busy guard: the task in progress, null while none runs.
    TaskThread *m_runningTask = nullptr;
    // Tasks started so far.  A finished task's thread is gone, and the next
    // one may be built at its address: whether a handler started another
    // task is told by this count, never by comparing the two.
    unsigned long m_tasksStarted = 0;
    // A row was selected while a task ran: its values wait for the end.
    bool m_selectionWaits = false;
    // The toolkit still uses the row of a tree event once its handler has
    // returned (a tick sets the row's value afterwards), and a handler's
    // message box lets a task finish meanwhile: a rebuild asked for while a
    // tree event is handled waits until it is over.
    class TreeEventScope;
    int m_treeEvents = 0;
    bool m_treeRebuildWaits = false;
    SetupDownloadDialog *m_setupDownload = nullptr;
    wxString m_pendingFailure;
    bool m_pendingMissingCheck = false;
    // Cloud messages already taken (the engine's text pointer per cloud) and
    // the texts shown, for ShowCloudMessages; cleared with the workspace.
    std::map<const velmo_t *, const char *> m_cloudMessages;
    std::set<wxString> m_shownMessages;
    ViewTimeLog m_viewTimeLog;

    // Objects of the last tree context menu.
    velmo_t *m_menuCloud = nullptr;
    wks_road_t *m_menuRoad = nullptr;
    section_t *m_menuSection = nullptr;

    section_t *m_currentSection = nullptr;
    int m_sectionColorMode = COLOR_HEIGHT;
    ClassificationColorTable m_classColors;
    int m_sectionMode = SECTION_IDLE;
    float m_pointSize = 2.0f;
    wxPoint m_leftPress;
    wxPoint m_rightPress;
    int m_sectionViewMode = VIEW_FRONT;
    int m_modelViewMode = VIEW_3D;
    int m_modelColorMode = COLOR_HEIGHT;
    SectionToolDialog *m_sectionTool = nullptr;
    // Whether the strip belongs on screen; it may still be hidden while the
    // section view is not.
    bool m_sectionToolWanted = false;
    wxRect m_sectionToolArea;

    // Measuring: +1 a measurement was added, -1 one was removed, 0 none;
    // Backspace undoes the last one.
    int m_lastMeasureAction = 0;
    velmo_point_t *m_lastAddedMeasurement = nullptr;
    velmo_point_t m_lastRemovedMeasurement;
    std::vector<velmo_point_t> m_distancePoints;
    // An offset or width change came while a task ran: the current section
    // is recomputed once that task ends.
    bool m_pendingSectionReload = false;
    // The measurements changed since the mode was entered (undos included).
    bool m_measurementsChanged = false;

    wxDECLARE_EVENT_TABLE();
};
