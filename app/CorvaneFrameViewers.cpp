// The two 3-D viewers: set-up, camera by view mode, colour modes and their
// pop-up menus, and the fresh scene of a new workspace.
#include "CorvaneFrame.h"

#include "OSGCanvas.h"
#include "StatusView.h"
#include "GraphicsWindowWX.h"
#include "OrthoManipulator.h"
#include "SideManipulator.h"

#include <osg/Camera>
#include <osgGA/TrackballManipulator>
#include <osgViewer/ViewerEventHandlers>

#include <wx/aui/framemanager.h>
#include <wx/menu.h>
#include <wx/propgrid/propgrid.h>

#include <memory>

namespace {

// Update the model size and zoom with the wheel.
const int TRACKBALL_FLAGS = osgGA::StandardManipulator::UPDATE_MODEL_SIZE
                            | osgGA::StandardManipulator::PROCESS_MOUSE_WHEEL;

struct MenuChoice {
    const long &id;
    int mode;
};

} // namespace

void CorvaneFrame::InitModelViewer()
{
    m_modelViewer = new osgViewer::Viewer;
    // The canvas's GL context is usable on the GUI thread only.
    m_modelViewer->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
    // frame() draws nothing once the viewer is done, and no key of the view
    // is meant to end it.
    m_modelViewer->setKeyEventSetsDone(0);
    m_modelViewer->setQuitEventSetsDone(false);
    const wxSize size = m_modelCanvas->GetClientSize();
    osg::Camera *camera = m_modelViewer->getCamera();
    camera->setGraphicsContext(m_modelCanvas->GetGraphicsWindow());
    camera->setViewport(0, 0, size.GetWidth(), size.GetHeight());
    SetPerspective(m_modelViewer.get(), m_modelCanvas);
    camera->setClearColor(osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    camera->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    // Seen from far off (the home view of clouds kilometres apart) a tile is a
    // few pixels wide; culled as a small feature it would never page in.
    camera->setCullingMode(camera->getCullingMode() & ~osg::CullSettings::SMALL_FEATURE_CULLING);
    m_modelViewer->addEventHandler(new osgViewer::StatsHandler);
    m_modelViewer->addEventHandler(new osgViewer::WindowSizeHandler);
    m_modelViewer->setCameraManipulator(new osgGA::TrackballManipulator(TRACKBALL_FLAGS), true);
    m_modelViewer->setSceneData(SceneRoot.get());
    SceneRegisterViewer(m_modelViewer.get());
}

void CorvaneFrame::InitSectionViewer()
{
    m_sectionViewer = new osgViewer::Viewer;
    m_sectionViewer->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
    m_sectionViewer->setKeyEventSetsDone(0);
    m_sectionViewer->setQuitEventSetsDone(false);
    const wxSize size = m_sectionCanvas->GetClientSize();
    osg::Camera *camera = m_sectionViewer->getCamera();
    camera->setGraphicsContext(m_sectionCanvas->GetGraphicsWindow());
    camera->setViewport(0, 0, size.GetWidth(), size.GetHeight());
    camera->setClearColor(osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    camera->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    // A section is mostly single points, which small-feature culling drops.
    camera->setCullingMode(camera->getCullingMode() & ~osg::CullSettings::SMALL_FEATURE_CULLING);
    m_sectionViewer->addEventHandler(new osgViewer::StatsHandler);
    m_sectionViewer->addEventHandler(new osgViewer::WindowSizeHandler);
    m_sectionViewer->setCameraManipulator(new OrthoManipulator(camera), true);
    m_sectionViewer->setSceneData(SectionViewRoot.get());
    SceneRegisterViewer(m_sectionViewer.get());
}

void CorvaneFrame::SetPerspective(osgViewer::Viewer *viewer, OSGCanvas *canvas)
{
    const wxSize size = canvas->GetClientSize();
    // A canvas not laid out yet has no height; a zero would make the
    // projection useless until the next resize.
    const double height = size.GetHeight() > 0 ? size.GetHeight() : 1;
    viewer->getCamera()->setProjectionMatrixAsPerspective(30.0, size.GetWidth() / height, 0.1, 1e12);
}

void CorvaneFrame::SetModelViewMode(int mode)
{
    if (mode == m_modelViewMode)
        return;
    m_modelViewMode = mode;
    if (!m_modelViewer)
        return;
    osgGA::CameraManipulator *manipulator = nullptr;
    if (mode == VIEW_FRONT) {
        manipulator = new OrthoManipulator(m_modelViewer->getCamera());
    } else if (mode == VIEW_SIDE) {
        manipulator = new SideManipulator(m_modelViewer->getCamera());
    } else if (mode == VIEW_3D) {
        SetPerspective(m_modelViewer.get(), m_modelCanvas);
        manipulator = new osgGA::TrackballManipulator(TRACKBALL_FLAGS);
    } else {
        return;
    }
    m_modelViewer->setCameraManipulator(manipulator, true);
    m_modelViewer->home();
}

void CorvaneFrame::SetSectionViewMode(int mode)
{
    if (mode == m_sectionViewMode)
        return;
    m_sectionViewMode = mode;
    // Without a section the mode waits for the next one to become current.
    if (!m_currentSection || !m_sectionViewer)
        return;
    osgGA::CameraManipulator *manipulator = nullptr;
    if (mode == VIEW_FRONT) {
        manipulator = new OrthoManipulator(m_sectionViewer->getCamera());
    } else if (mode == VIEW_SIDE) {
        manipulator = new SideManipulator(m_sectionViewer->getCamera());
    } else {
        SetPerspective(m_sectionViewer.get(), m_sectionCanvas);
        manipulator = new osgGA::TrackballManipulator(TRACKBALL_FLAGS);
    }
    m_sectionViewer->setCameraManipulator(manipulator, true);
    m_sectionViewer->home();
}

void CorvaneFrame::OnModelSize(wxSizeEvent &event)
{
    // Keeps the perspective undistorted; in 3-D every resize also returns
    // the camera to its home position.
    if (m_modelViewer && m_modelViewMode == VIEW_3D) {
        SetPerspective(m_modelViewer.get(), m_modelCanvas);
        m_modelViewer->home();
    }
    event.Skip();
}

void CorvaneFrame::SetColorMode(int mode)
{
    // Reloading walks every cloud's tile table, which a task may be building.
    if (mode == m_modelColorMode || RefuseWhileBusy())
        return;
    m_modelColorMode = mode;
    // A new colour shows every cloud again, hidden ones included.
    SceneReloadClouds(mode);
    RefreshTreeChecks();
}

void CorvaneFrame::SetSectionColorMode(int mode)
{
    // The colour table is offered every time, also in that mode already.
    if (mode == COLOR_CLASSIFICATION) {
        ChooseClassificationColors();
        return;
    }
    if (mode == m_sectionColorMode)
        return;
    m_sectionColorMode = mode;
    if (m_currentSection)
        SceneShowSectionPoints(m_currentSection, m_sectionColorMode, m_pointSize, m_classColors.visible,
                               m_classColors.colors);
}

// ---- Pop-up menus -----------------------------------------------------------------

wxMenu *CorvaneFrame::CreateModelColorMenu() const
{
    auto *menu = new wxMenu(_("Color"));
    menu->AppendCheckItem(ID_MENU_COLOR_RGB, _("RGB"));
    menu->AppendCheckItem(ID_MENU_COLOR_INTENSITY, _("Intensity"));
    menu->AppendCheckItem(ID_MENU_COLOR_HEIGHT, _("Height value"));
    menu->AppendCheckItem(ID_MENU_COLOR_CLASSIFICATION, _("Classification"));
    switch (m_modelColorMode) {
    case COLOR_RGB: menu->Check(ID_MENU_COLOR_RGB, true); break;
    case COLOR_INTENSITY: menu->Check(ID_MENU_COLOR_INTENSITY, true); break;
    case COLOR_HEIGHT: menu->Check(ID_MENU_COLOR_HEIGHT, true); break;
    default: menu->Check(ID_MENU_COLOR_CLASSIFICATION, true); break;
    }
    return menu;
}

wxMenu *CorvaneFrame::CreateSectionColorMenu() const
{
    auto *menu = new wxMenu(_("Color"));
    menu->AppendCheckItem(ID_MENU_SECTION_COLOR_RGB, _("RGB"));
    menu->AppendCheckItem(ID_MENU_SECTION_COLOR_INTENSITY, _("Intensity"));
    menu->AppendCheckItem(ID_MENU_SECTION_COLOR_OFFSET, _("Offset value"));
    menu->AppendCheckItem(ID_MENU_SECTION_COLOR_CLASSIFICATION, _("Classification"));
    switch (m_sectionColorMode) {
    case COLOR_RGB: menu->Check(ID_MENU_SECTION_COLOR_RGB, true); break;
    case COLOR_INTENSITY: menu->Check(ID_MENU_SECTION_COLOR_INTENSITY, true); break;
    case COLOR_HEIGHT: menu->Check(ID_MENU_SECTION_COLOR_OFFSET, true); break;
    default: menu->Check(ID_MENU_SECTION_COLOR_CLASSIFICATION, true); break;
    }
    return menu;
}

wxMenu *CorvaneFrame::CreateViewModeMenu() const
{
    auto *menu = new wxMenu(_("View mode"));
    menu->AppendCheckItem(ID_MENU_VIEW_FRONT, _("Front view"));
    menu->AppendCheckItem(ID_MENU_VIEW_SIDE, _("Side view"));
    menu->AppendCheckItem(ID_MENU_VIEW_3D, _("3D view"));
    switch (m_sectionViewMode) {
    case VIEW_FRONT: menu->Check(ID_MENU_VIEW_FRONT, true); break;
    case VIEW_SIDE: menu->Check(ID_MENU_VIEW_SIDE, true); break;
    case VIEW_3D: menu->Check(ID_MENU_VIEW_3D, true); break;
    default: break;
    }
    return menu;
}

void CorvaneFrame::OnColorDropdown(wxRibbonButtonBarEvent &)
{
    std::unique_ptr<wxMenu> menu(CreateModelColorMenu());
    PopupMenu(menu.get());
}

void CorvaneFrame::ShowColorMenu()
{
    std::unique_ptr<wxMenu> menu(CreateSectionColorMenu());
    PopupMenu(menu.get());
}

void CorvaneFrame::ShowViewModeMenu()
{
    std::unique_ptr<wxMenu> menu(CreateViewModeMenu());
    PopupMenu(menu.get());
}

void CorvaneFrame::OnMenu(wxCommandEvent &event)
{
    const MenuChoice modelColors[] = {{ID_MENU_COLOR_RGB, COLOR_RGB},
                                      {ID_MENU_COLOR_INTENSITY, COLOR_INTENSITY},
                                      {ID_MENU_COLOR_HEIGHT, COLOR_HEIGHT},
                                      {ID_MENU_COLOR_CLASSIFICATION, COLOR_CLASSIFICATION}};
    const MenuChoice sectionColors[] = {{ID_MENU_SECTION_COLOR_RGB, COLOR_RGB},
                                        {ID_MENU_SECTION_COLOR_INTENSITY, COLOR_INTENSITY},
                                        {ID_MENU_SECTION_COLOR_OFFSET, COLOR_HEIGHT},
                                        {ID_MENU_SECTION_COLOR_CLASSIFICATION, COLOR_CLASSIFICATION}};
    const MenuChoice viewModes[] = {
        {ID_MENU_VIEW_FRONT, VIEW_FRONT}, {ID_MENU_VIEW_SIDE, VIEW_SIDE}, {ID_MENU_VIEW_3D, VIEW_3D}};
    const int id = event.GetId();
    for (const MenuChoice &choice : modelColors)
        if (id == choice.id) {
            SetColorMode(choice.mode);
            return;
        }
    for (const MenuChoice &choice : sectionColors)
        if (id == choice.id) {
            SetSectionColorMode(choice.mode);
            return;
        }
    for (const MenuChoice &choice : viewModes)
        if (id == choice.id) {
            SetSectionViewMode(choice.mode);
            return;
        }
    if (id == ID_MENU_DELETE_CLOUD) {
        DeleteMenuCloud();
        return;
    }
    if (id == ID_MENU_DELETE_ROAD) {
        DeleteMenuRoad();
        return;
    }
    if (HandleSectionMenu(id))
        return;
    event.Skip();
}

// ---- Workspace reset ----------------------------------------------------------------

void CorvaneFrame::ResetWorkspace()
{
    // Road edits and measurements are kept only by saving; the project that
    // is closed here would otherwise lose them.
    SetSectionMode(SECTION_IDLE);
    SaveProject();
    SceneDestroy();
    SceneInit();
    if (m_modelViewer)
        m_modelViewer->setSceneData(SceneRoot.get());
    if (m_sectionViewer)
        m_sectionViewer->setSceneData(SectionViewRoot.get());
    // Every object of the old workspace is gone; no pointer may outlive it.
    m_menuCloud = nullptr;
    m_menuRoad = nullptr;
    m_menuSection = nullptr;
    ForgetMeasuring();
    m_cloudMessages.clear();
    m_shownMessages.clear();
    if (m_propertyGrid)
        m_propertyGrid->Clear();
    if (m_currentSection) {
        m_currentSection = nullptr;
        if (m_statusView)
            m_statusView->SetStatusText(2, wxEmptyString);
        ShowSectionTool(false);
        m_auiManager->GetPane(m_sectionCanvas).Hide();
        m_auiManager->Update();
        SetModelViewMode(VIEW_3D);
    }
}
