#include "ModelPicker.h"

#include "SceneGeometry.h"
#include "SceneManager.h"

#include <osg/Geometry>
#include <osg/NodeVisitor>
#include <osg/Transform>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double SegmentParameter(const osg::Vec2d &p, const osg::Vec2d &a, const osg::Vec2d &b)
{
    const osg::Vec2d ab = b - a;
    const double length2 = ab.length2();
    return length2 > 0.0 ? std::max(0.0, std::min(1.0, ((p - a) * ab) / length2)) : 0.0;
}

double SegmentDistance(const osg::Vec2d &p, const osg::Vec2d &a, const osg::Vec2d &b)
{
    return (a + (b - a) * SegmentParameter(p, a, b) - p).length();
}

void SectionsOf(Array *list, std::vector<section_t *> *sections)
{
    for (size_t i = 0; list && i < array_size(list); ++i) {
        void *item = nullptr;
        if (array_get_at(list, i, &item) == CC_OK && item)
            sections->push_back(static_cast<section_t *>(item));
    }
}

// A scene point in clip coordinates and where it is in the window.
struct Projected {
    osg::Vec3d world;
    osg::Vec4d clip;
};

// Walks what the view draws (points and lines, in double or single
// precision) and keeps the drawn spot nearest the eye within a square of
// pixels around the mouse.  Nodes whose bounds the mouse's ray misses are
// skipped whole, so a large cloud costs only its tiles under the mouse.
// Of a level-of-detail node only the child the cull draws from this eye is
// walked: a tile keeps its coarser levels loaded beside the one drawn, and
// their points are not on the screen.
class DrawnPointVisitor : public osg::NodeVisitor
{
public:
    DrawnPointVisitor(const osg::Camera &camera, const osg::Vec2d &mouse, double pixels)
        : osg::NodeVisitor(TRAVERSE_ACTIVE_CHILDREN), m_clip(camera.getViewMatrix() * camera.getProjectionMatrix()),
          m_left(camera.getViewport()->x()), m_bottom(camera.getViewport()->y()),
          m_width(camera.getViewport()->width()), m_height(camera.getViewport()->height()), m_mouse(mouse),
          m_pixels(pixels), m_eye(osg::Matrixd::inverse(camera.getViewMatrix()).getTrans()), m_eyeLocal(m_eye),
          m_lodScale(camera.getLODScale())
    {
        setTraversalMask(camera.getCullMask());
        const osg::Matrixd inverse = osg::Matrixd::inverse(m_clip * camera.getViewport()->computeWindowMatrix());
        m_origin = osg::Vec3d(mouse.x(), mouse.y(), 0.0) * inverse;
        m_direction = osg::Vec3d(mouse.x(), mouse.y(), 1.0) * inverse - m_origin;
        m_depthOfRay = m_direction.normalize();
        m_beside = osg::Vec3d(mouse.x() + 1.0, mouse.y(), 0.0) * inverse - m_origin;
        m_besideFar = osg::Vec3d(mouse.x() + 1.0, mouse.y(), 1.0) * inverse - m_origin - m_direction * m_depthOfRay;
    }

    bool found = false;
    osg::Vec3d point;

    void apply(osg::Node &node) override
    {
        if (MayHold(node.getBound()))
            traverse(node);
    }

    void apply(osg::Transform &transform) override
    {
        if (!MayHold(transform.getBound()))
            return;
        const osg::Matrixd saved = m_model;
        const osg::Vec3d savedEye = m_eyeLocal;
        transform.computeLocalToWorldMatrix(m_model, this);
        m_eyeLocal = m_eye * osg::Matrixd::inverse(m_model);
        traverse(transform);
        m_model = saved;
        m_eyeLocal = savedEye;
    }

    // What a level-of-detail node asks to choose its child, answered as the
    // cull answers it: distances from the eye in the node's own coordinates,
    // times the camera's detail scale.
    osg::Vec3 getEyePoint() const override { return osg::Vec3(m_eyeLocal); }
    osg::Vec3 getViewPoint() const override { return getEyePoint(); }
    float getDistanceToEyePoint(const osg::Vec3 &position, bool useLODScale) const override
    {
        const double distance = (osg::Vec3d(position) - m_eyeLocal).length();
        return float(useLODScale ? distance * m_lodScale : distance);
    }
    float getDistanceToViewPoint(const osg::Vec3 &position, bool useLODScale) const override
    {
        return getDistanceToEyePoint(position, useLODScale);
    }

    void apply(osg::Geometry &geometry) override
    {
        if (!MayHold(geometry.getBound()))
            return;
        std::vector<osg::Vec3d> vertices;
        if (auto *doubles = dynamic_cast<const osg::Vec3dArray *>(geometry.getVertexArray()))
            vertices.assign(doubles->begin(), doubles->end());
        else if (auto *floats = dynamic_cast<const osg::Vec3Array *>(geometry.getVertexArray()))
            vertices.assign(floats->begin(), floats->end());
        for (unsigned i = 0; i < geometry.getNumPrimitiveSets(); ++i)
            Pick(*geometry.getPrimitiveSet(i), vertices);
    }

private:
    osg::Matrixd m_model;
    osg::Matrixd m_clip;
    double m_left, m_bottom, m_width, m_height;
    osg::Vec2d m_mouse;
    double m_pixels;
    osg::Vec3d m_origin, m_direction, m_beside, m_besideFar;
    double m_depthOfRay = 0.0;
    double m_nearest = 0.0;
    osg::Vec3d m_eye, m_eyeLocal;
    double m_lodScale;

    // Whether the bound comes within the pick square's reach of the ray.
    bool MayHold(const osg::BoundingSphere &local) const
    {
        if (!local.valid())
            return false;
        const osg::Vec3d centre = osg::Vec3d(local.center()) * m_model;
        const osg::Vec3d offset = centre - m_origin;
        const double along = offset * m_direction;
        // One pixel's width at that depth, between the near and far plane.
        const double f = m_depthOfRay > 0.0 ? std::max(0.0, std::min(1.0, along / m_depthOfRay)) : 0.0;
        const double pixel = (m_beside * (1.0 - f) + m_besideFar * f).length();
        const double reach = local.radius() * m_model.getScale().length() + 2.0 * m_pixels * pixel + 1e-9;
        return along > -reach && (offset - m_direction * along).length() <= reach;
    }

    Projected Project(const osg::Vec3d &local) const
    {
        const osg::Vec3d world = local * m_model;
        return {world, osg::Vec4d(world, 1.0) * m_clip};
    }

    static bool InFront(const osg::Vec4d &clip) { return clip.z() + clip.w() >= 0.0 && clip.w() > 0.0; }

    osg::Vec2d Window(const osg::Vec4d &clip) const
    {
        return osg::Vec2d(m_left + (clip.x() / clip.w() + 1.0) * 0.5 * m_width,
                          m_bottom + (clip.y() / clip.w() + 1.0) * 0.5 * m_height);
    }

    void Keep(const Projected &p)
    {
        const double depth = p.clip.z() / p.clip.w();
        if (!found || depth < m_nearest) {
            found = true;
            m_nearest = depth;
            point = p.world;
        }
    }

    void PickPoint(const Projected &p)
    {
        if (!InFront(p.clip))
            return;
        const osg::Vec2d at = Window(p.clip);
        if (std::fabs(at.x() - m_mouse.x()) <= m_pixels && std::fabs(at.y() - m_mouse.y()) <= m_pixels)
            Keep(p);
    }

    // The spot of the segment nearest the mouse on screen, with the segment
    // cut at the near plane and the spot found in perspective.
    void PickSegment(Projected a, Projected b)
    {
        const double da = a.clip.z() + a.clip.w(), db = b.clip.z() + b.clip.w();
        if (da < 0.0 && db < 0.0)
            return;
        auto cut = [](const Projected &from, const Projected &to, double f) {
            return Projected{from.world + (to.world - from.world) * f, from.clip + (to.clip - from.clip) * f};
        };
        if (da < 0.0)
            a = cut(a, b, da / (da - db));
        else if (db < 0.0)
            b = cut(a, b, da / (da - db));
        if (a.clip.w() <= 0.0 || b.clip.w() <= 0.0)
            return;
        const osg::Vec2d wa = Window(a.clip), wb = Window(b.clip);
        if (SegmentDistance(m_mouse, wa, wb) > m_pixels)
            return;
        const double t = SegmentParameter(m_mouse, wa, wb);
        const double s = (t / b.clip.w()) / ((1.0 - t) / a.clip.w() + t / b.clip.w());
        Keep(cut(a, b, s));
    }

    void Pick(const osg::PrimitiveSet &set, const std::vector<osg::Vec3d> &vertices)
    {
        const unsigned count = set.getNumIndices();
        auto vertex = [&](unsigned i, Projected *out) {
            const unsigned index = set.index(i);
            if (index >= vertices.size())
                return false;
            *out = Project(vertices[index]);
            return true;
        };
        Projected a, b;
        switch (set.getMode()) {
        case GL_POINTS:
            for (unsigned i = 0; i < count; ++i)
                if (vertex(i, &a))
                    PickPoint(a);
            break;
        case GL_LINES:
            for (unsigned i = 0; i + 1 < count; i += 2)
                if (vertex(i, &a) && vertex(i + 1, &b))
                    PickSegment(a, b);
            break;
        case GL_LINE_STRIP:
        case GL_LINE_LOOP:
            for (unsigned i = 0; i + 1 < count + (set.getMode() == GL_LINE_LOOP ? 1 : 0); ++i)
                if (vertex(i, &a) && vertex((i + 1) % count, &b))
                    PickSegment(a, b);
            break;
        default:
            break;
        }
    }
};

} // namespace

ModelPicker::ModelPicker(osgViewer::Viewer *viewer) : m_viewer(viewer)
{
}

osg::Vec2d ModelPicker::WindowPoint(int x, int y) const
{
    const osg::Viewport *viewport = m_viewer->getCamera()->getViewport();
    return osg::Vec2d(x, (viewport ? viewport->height() : 0.0) - y);
}

bool ModelPicker::DrawnPointAt(int x, int y, osg::Vec3d *point) const
{
    osg::Camera *camera = m_viewer->getCamera();
    if (!camera->getViewport() || !m_viewer->getSceneData())
        return false;
    DrawnPointVisitor visitor(*camera, WindowPoint(x, y), PICK_PIXELS);
    m_viewer->getSceneData()->accept(visitor);
    if (visitor.found)
        *point = visitor.point;
    return visitor.found;
}

section_t *ModelPicker::LatitudeSectionAt(int x, int y) const
{
    if (!g_workspace || !m_viewer->getCamera()->getViewport())
        return nullptr;
    std::vector<section_t *> sections;
    for (Array *list : {g_workspace->latitude_sections, g_workspace->longitude_sections, g_workspace->custom_sections})
        SectionsOf(list, &sections);
    const osg::Vec2d mouse = WindowPoint(x, y);
    section_t *nearest = nullptr;
    double best = PICK_PIXELS;
    for (section_t *section : sections) {
        const double distance = PixelDistance(mouse, SceneShownSectionLine(section));
        if (distance >= 0.0 && distance <= best) {
            best = distance;
            nearest = section;
        }
    }
    return nearest && nearest->type == SECTION_LATITUDE ? nearest : nullptr;
}

double ModelPicker::PixelDistance(const osg::Vec2d &mouse, const std::vector<osg::Vec3d> &line) const
{
    double best = -1.0;
    for (size_t i = 1; i < line.size(); ++i) {
        osg::Vec2d a, b;
        if (!WindowSegment(line[i - 1], line[i], &a, &b))
            continue;
        const double distance = SegmentDistance(mouse, a, b);
        if (best < 0.0 || distance < best)
            best = distance;
    }
    return best;
}

// The segment in window pixels, cut at the near plane so that a part behind
// the eye does not fold over into the view.
bool ModelPicker::WindowSegment(const osg::Vec3d &a, const osg::Vec3d &b, osg::Vec2d *wa, osg::Vec2d *wb) const
{
    osg::Camera *camera = m_viewer->getCamera();
    const osg::Matrixd clip = camera->getViewMatrix() * camera->getProjectionMatrix();
    osg::Vec4d ca = osg::Vec4d(a, 1.0) * clip, cb = osg::Vec4d(b, 1.0) * clip;
    // Positive in front of the near plane.
    const double da = ca.z() + ca.w(), db = cb.z() + cb.w();
    if (da < 0.0 && db < 0.0)
        return false;
    if (da < 0.0)
        ca = ca + (cb - ca) * (da / (da - db));
    else if (db < 0.0)
        cb = ca + (cb - ca) * (da / (da - db));
    const osg::Viewport *viewport = camera->getViewport();
    auto toWindow = [viewport](const osg::Vec4d &c) {
        const double w = c.w() > 1e-12 ? c.w() : 1e-12;
        return osg::Vec2d(viewport->x() + (c.x() / w + 1.0) * 0.5 * viewport->width(),
                          viewport->y() + (c.y() / w + 1.0) * 0.5 * viewport->height());
    };
    *wa = toWindow(ca);
    *wb = toWindow(cb);
    return true;
}
