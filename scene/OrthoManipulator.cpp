#include "OrthoManipulator.h"

#include <osg/Viewport>

#include <algorithm>

namespace {

// How far the eye stands back from the fitted centre, in sphere radii; with
// an orthographic box reaching 1e6 either way it only has to clear the scene.
const double kEyeDistanceInRadii = 64.0;
const double kZoomOutFactor = 1.2;
const double kZoomInFactor = 0.8;
const double kDepthReach = 1e6;

} // namespace

OrthoManipulator::OrthoManipulator(osg::Camera *camera)
    : OrthoManipulator(camera, osg::Matrixd::identity())
{
}

OrthoManipulator::OrthoManipulator(osg::Camera *camera, const osg::Matrixd &rotation)
    : m_camera(camera)
    , m_rotation(rotation)
{
    setName("ortho");
}

OrthoManipulator::~OrthoManipulator() = default;

bool OrthoManipulator::handle(const osgGA::GUIEventAdapter &ea, osgGA::GUIActionAdapter &aa)
{
    if (ea.getHandled())
        return false;
    switch (ea.getEventType()) {
    case osgGA::GUIEventAdapter::FRAME:
        // Other handlers still need to see every frame.
        updateProjection();
        return false;
    case osgGA::GUIEventAdapter::SCROLL:
        Zoom(ea.getScrollingMotion() == osgGA::GUIEventAdapter::SCROLL_UP ? kZoomOutFactor : kZoomInFactor);
        aa.requestRedraw();
        return true;
    case osgGA::GUIEventAdapter::PUSH:
        m_previousEvent = nullptr;
        m_currentEvent = &ea;
        return true;
    case osgGA::GUIEventAdapter::DRAG:
        if (!Drag(ea))
            return false;
        aa.requestRedraw();
        return true;
    default:
        return false;
    }
}

osg::Matrixd OrthoManipulator::getMatrix() const
{
    return m_rotation * osg::Matrixd::translate(m_eye);
}

osg::Matrixd OrthoManipulator::getInverseMatrix() const
{
    return osg::Matrixd::inverse(getMatrix());
}

void OrthoManipulator::setNode(osg::Node *node)
{
    m_node = node;
    if (node)
        Fit(*node);
    if (getAutoComputeHomePosition())
        computeHomePosition();
}

void OrthoManipulator::home(double)
{
    osg::ref_ptr<osg::Node> node;
    if (m_node.lock(node))
        Fit(*node);
}

void OrthoManipulator::home(const osgGA::GUIEventAdapter &ea, osgGA::GUIActionAdapter &aa)
{
    home(ea.getTime());
    aa.requestRedraw();
}

void OrthoManipulator::updateProjection()
{
    int width = 0;
    int height = 0;
    if (!ViewportSize(width, height))
        return;
    // The half-extents are the full viewport size times the scale.
    m_camera->setProjectionMatrixAsOrtho(-width * m_scale, width * m_scale, -height * m_scale, height * m_scale,
                                         -kDepthReach, kDepthReach);
}

void OrthoManipulator::Fit(const osg::Node &node)
{
    const osg::BoundingSphere &sphere = node.getBound();
    // An empty scene has no extent to fit; keep the view as it is.
    if (!sphere.valid())
        return;
    const float radius = sphere.radius();
    int width = 0;
    int height = 0;
    // A point or a window without area gives no usable scale; a zero or
    // infinite scale could never be zoomed back.
    if (radius > 0.0f && ViewportSize(width, height) && std::min(width, height) > 0)
        m_scale = radius / float(std::min(width, height));
    m_center = osg::Vec3d(sphere.center());
    m_eye = m_center + Axis(2) * (kEyeDistanceInRadii * radius);
}

void OrthoManipulator::Zoom(double factor)
{
    m_scale *= factor;
    // Only the distance along the view axis changes; a pan is kept.
    const osg::Vec3d back = Axis(2);
    const double along = (m_eye - m_center) * back;
    m_eye += back * (along * factor - along);
}

bool OrthoManipulator::Drag(const osgGA::GUIEventAdapter &ea)
{
    m_previousEvent = m_currentEvent;
    m_currentEvent = &ea;
    if (!m_previousEvent.valid() || !m_currentEvent.valid())
        return false;
    const double dx = m_previousEvent->getX() - m_currentEvent->getX();
    double dy = m_previousEvent->getY() - m_currentEvent->getY();
    // Window coordinates that grow downwards would move the scene against
    // the mouse.
    if (m_currentEvent->getMouseYOrientation() == osgGA::GUIEventAdapter::Y_INCREASING_DOWNWARDS)
        dy = -dy;
    m_eye += Axis(0) * (dx * m_scale) + Axis(1) * (dy * m_scale);
    return true;
}

bool OrthoManipulator::ViewportSize(int &width, int &height) const
{
    if (!m_camera || !m_camera->getViewport())
        return false;
    width = int(m_camera->getViewport()->width());
    height = int(m_camera->getViewport()->height());
    return true;
}

osg::Vec3d OrthoManipulator::Axis(int row) const
{
    return osg::Vec3d(m_rotation(row, 0), m_rotation(row, 1), m_rotation(row, 2));
}
