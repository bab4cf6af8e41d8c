// Orthographic camera for flat content seen from the front: looks down the
// world -Z axis with X right and Y up (in the section view: u right, v up).
// Fits the scene's bounding sphere, zooms with the wheel by changing the
// world units per pixel and pans by dragging, the scene following the mouse.
#pragma once

#include <osg/Camera>
#include <osg/Matrixd>
#include <osg/observer_ptr>
#include <osg/ref_ptr>
#include <osgGA/CameraManipulator>

class OrthoManipulator : public osgGA::CameraManipulator
{
public:
    explicit OrthoManipulator(osg::Camera *camera);

    bool handle(const osgGA::GUIEventAdapter &ea, osgGA::GUIActionAdapter &aa) override;
    // The view is set only by fitting, zooming and panning.
    void setByMatrix(const osg::Matrixd &) override {}
    void setByInverseMatrix(const osg::Matrixd &) override {}
    osg::Matrixd getMatrix() const override;
    osg::Matrixd getInverseMatrix() const override;
    void setNode(osg::Node *node) override;
    void home(double time) override;
    // The viewer's home (and a reset on installing) arrives here.
    void home(const osgGA::GUIEventAdapter &ea, osgGA::GUIActionAdapter &aa) override;

    // Orthographic box of the camera's viewport at the current scale.
    void updateProjection();

    double getScale() const { return m_scale; }
    const osg::Vec3d &getEye() const { return m_eye; }
    const osg::Vec3d &getCenter() const { return m_center; }

protected:
    // rotation: the camera's axes (right, up, backwards) as world vectors in
    // its rows, as in a camera matrix without translation.
    OrthoManipulator(osg::Camera *camera, const osg::Matrixd &rotation);
    ~OrthoManipulator() override;

private:
    void Fit(const osg::Node &node);
    void Zoom(double factor);
    bool Drag(const osgGA::GUIEventAdapter &ea);
    bool ViewportSize(int &width, int &height) const;
    osg::Vec3d Axis(int row) const;

    osg::Camera *m_camera;
    osg::Matrixd m_rotation;
    osg::Vec3d m_eye;
    osg::Vec3d m_center;
    double m_scale = 1.0;
    osg::ref_ptr<const osgGA::GUIEventAdapter> m_previousEvent;
    osg::ref_ptr<const osgGA::GUIEventAdapter> m_currentEvent;
    // Not owned: the viewer's scene data may be replaced while we live.
    osg::observer_ptr<osg::Node> m_node;
};
