#include "SceneGeometry.h"

#include "SceneObjects.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/LineWidth>
#include <osg/Point>

#include <algorithm>
#include <cmath>

namespace {

const osg::Vec4 kWhite(1, 1, 1, 1);
const osg::Vec4 kDarkRed(0.6f, 0, 0, 1);
const osg::Vec4 kRed(1, 0, 0, 1);
const osg::Vec4 kBlue(0, 0, 1, 1);
const osg::Vec4 kAxisRed(1, 0, 0, 0);
const osg::Vec4 kYellow(1, 1, 0, 0);

size_t count_of(const Array *list)
{
    return list ? array_size(list) : 0;
}

const velmo_point_t *point_at(const Array *list, size_t index)
{
    void *point = nullptr;
    array_get_at(list, index, &point);
    return static_cast<const velmo_point_t *>(point);
}

osg::ref_ptr<osg::Vec3dArray> world_vertices(const Array *list)
{
    osg::ref_ptr<osg::Vec3dArray> vertices = new osg::Vec3dArray;
    for (size_t i = 0; i < count_of(list); i++) {
        const velmo_point_t *p = point_at(list, i);
        if (p)
            vertices->push_back(osg::Vec3d(p->x, p->y, p->z));
    }
    return vertices;
}

osg::ref_ptr<osg::Vec3dArray> plane_vertices(const Array *list)
{
    osg::ref_ptr<osg::Vec3dArray> vertices = new osg::Vec3dArray;
    for (size_t i = 0; i < count_of(list); i++) {
        const velmo_point_t *p = point_at(list, i);
        if (p)
            vertices->push_back(osg::Vec3d(p->u, p->v, p->w));
    }
    return vertices;
}

// Drawn from the arrays themselves, not from a display list: the scene
// builds its geometry anew on every change, and each list kept a second copy
// of the points in the GL, which the scene graph holds on to by the hundred
// for lists it might reuse (a section opened was hundreds of megabytes).
osg::ref_ptr<osg::Geometry> make_geometry(osg::Vec3dArray *vertices, GLenum primitive)
{
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setUseDisplayList(false);
    geometry->setVertexArray(vertices);
    geometry->addPrimitiveSet(new osg::DrawArrays(primitive, 0, (GLsizei)vertices->size()));
    return geometry;
}

osg::ref_ptr<osg::Geometry> make_geometry(osg::Vec3dArray *vertices, GLenum primitive, const osg::Vec4 &colour)
{
    osg::ref_ptr<osg::Geometry> geometry = make_geometry(vertices, primitive);
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(colour);
    geometry->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    return geometry;
}

void set_lighting_off(osg::Geometry *geometry)
{
    geometry->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
}

void set_line_width(osg::Geometry *geometry, float width)
{
    geometry->getOrCreateStateSet()->setAttribute(new osg::LineWidth(width));
}

void set_point_size(osg::Geometry *geometry, float size)
{
    geometry->getOrCreateStateSet()->setAttribute(new osg::Point(size));
}

// A line strip and points over the same vertices, both unlit.
osg::ref_ptr<osg::Geode> line_with_points(osg::Vec3dArray *vertices, const osg::Vec4 &colour, float line_width,
                                          float point_size)
{
    osg::ref_ptr<osg::Geometry> line = make_geometry(vertices, GL_LINE_STRIP, colour);
    set_line_width(line.get(), line_width);
    set_lighting_off(line.get());
    osg::ref_ptr<osg::Geometry> points = make_geometry(vertices, GL_POINTS, colour);
    set_point_size(points.get(), point_size);
    set_lighting_off(points.get());
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(line.get());
    geode->addDrawable(points.get());
    return geode;
}

// ---- Roads ----------------------------------------------------------------------

// Design elevation at a chainage, or the base elevation without a profile or
// where the profile gives none.
double road_height(const road_t *road, bool has_profile, double base, double chainage)
{
    double z = base;
    if (has_profile && road_l2h(road, chainage, &z, nullptr) < 0)
        z = base;
    return z;
}

// Road points (X north, Y east) become world vertices (east, north, height).
void add_element_vertices(const road_t *road, const horizon_element_t *element, bool has_profile, double base,
                          osg::Vec3dArray *vertices)
{
    double start = element->start_chainage;
    double end = start + element->length;
    switch (element->type) {
    case HORIZON_START:
        vertices->push_back(osg::Vec3d(element->start_y, element->start_x, road_height(road, has_profile, base, start)));
        break;
    case HORIZON_LINE:
        vertices->push_back(osg::Vec3d(element->start_y, element->start_x, road_height(road, has_profile, base, start)));
        vertices->push_back(osg::Vec3d(element->end_y, element->end_x, road_height(road, has_profile, base, end)));
        break;
    case HORIZON_CIRCLE:
    case HORIZON_TRANSITION:
        // Every 2 m of chainage; the next element's first vertex closes the arc.
        for (double c = start; end > c; c += 2) {
            double x = 0, y = 0;
            if (road_l2xy(road, c, &x, &y, nullptr) < 0)
                continue;
            vertices->push_back(osg::Vec3d(y, x, road_height(road, has_profile, base, c)));
        }
        break;
    default:
        break;
    }
}

osg::ref_ptr<osg::Vec3dArray> road_vertices(road_t *road, double base)
{
    osg::ref_ptr<osg::Vec3dArray> vertices = new osg::Vec3dArray;
    int count = road_number_horizon(road);
    bool has_profile = road_number_vertical(road) > 0;
    for (int i = 0; i < count; i++) {
        const horizon_element_t *element = road_horizon(road, i);
        if (element)
            add_element_vertices(road, element, has_profile, base, vertices.get());
    }
    return vertices;
}

// A task on the worker moves it as it imports, removes or opens clouds.
double base_elevation()
{
    return wks_get_base_elevation(g_workspace);
}

// ---- Sections in world space ------------------------------------------------------

// The section's trace on the ground: across its width at the base elevation.
bool frame_vertex(section_t *section, double u, osg::Vec3d *vertex)
{
    velmo_point_t point = {};
    point.u = (float)u;
    point.v = (float)base_elevation();
    point.w = 0;
    if (!section_rev_proj_point(section, &point))
        return false;
    *vertex = osg::Vec3d(point.x, point.y, point.z);
    return true;
}

osg::ref_ptr<osg::Vec3dArray> section_line_vertices(section_t *section)
{
    osg::ref_ptr<osg::Vec3dArray> vertices = new osg::Vec3dArray;
    if (section->type == SECTION_LATITUDE || section->type == SECTION_CUSTOM) {
        osg::Vec3d first, second;
        if (frame_vertex(section, section->width_range[0], &first) &&
            frame_vertex(section, section->width_range[1], &second)) {
            vertices->push_back(first);
            vertices->push_back(second);
        }
    } else if (section->type == SECTION_LONGITUDE && section->vertices) {
        for (int i = 0; i < section->vertex_count; i++)
            vertices->push_back(osg::Vec3d(section->vertices[3 * i], section->vertices[3 * i + 1], base_elevation()));
    }
    return vertices;
}

bool draws_section_line(const section_t *section)
{
    return section->type == SECTION_LATITUDE || section->type == SECTION_CUSTOM ||
           section->type == SECTION_LONGITUDE;
}

// ---- Section points in the section view ---------------------------------------------

struct PointColouring {
    int mode;
    double thickness;
    const unsigned char *visible;
    const float (*colours)[4];
};

bool colours_by_mode(int mode)
{
    return mode >= COLOR_RGB && mode <= COLOR_CLASSIFICATION;
}

osg::Vec4 section_point_colour(const velmo_point_t &p, const PointColouring &how)
{
    switch (how.mode) {
    case COLOR_RGB:
        return osg::Vec4(p.red / 255.0f, p.green / 255.0f, p.blue / 255.0f, 1);
    case COLOR_INTENSITY: {
        float g = p.intensity / 255.0f;
        return osg::Vec4(g, g, g, 1);
    }
    case COLOR_HEIGHT: {
        // Grey by offset from the section plane: white on it, darker off it.
        // A section without thickness has every point on its plane.
        float g = how.thickness > 0 ? (float)(1.0 - std::fabs((double)p.w) * 1.6 / how.thickness) : 1.0f;
        return osg::Vec4(g, g, g, 1);
    }
    default: {
        const float *c = how.colours[velmo_class_index(p.classification)];
        return osg::Vec4(c[0], c[1], c[2], c[3]);
    }
    }
}

} // namespace

Array *ScenePublishedPoints(const section_t *section)
{
    return __atomic_load_n(&section->points, __ATOMIC_ACQUIRE);
}

void SceneShowRoad(wks_road_t *road)
{
    if (!road || SceneTableContains(RoadTable, road))
        return;
    osg::ref_ptr<osg::Group> group = new osg::Group;
    if (!SceneTableAdd(RoadTable, road, group.get()))
        return;
    osg::ref_ptr<osg::Vec3dArray> vertices = road_vertices(&road->road, base_elevation());
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(make_geometry(vertices.get(), GL_LINE_STRIP, kWhite).get());
    group->addChild(geode.get());
    SceneAddToModel(group.get());
}

void SceneShowSection(section_t *section)
{
    if (!section || SceneTableContains(SectionTable, section))
        return;
    osg::ref_ptr<osg::Group> group = new osg::Group;
    if (!SceneTableAdd(SectionTable, section, group.get()))
        return;
    if (draws_section_line(section)) {
        osg::ref_ptr<osg::Geometry> line = make_geometry(section_line_vertices(section).get(), GL_LINE_STRIP, kDarkRed);
        set_line_width(line.get(), 2.0f);
        set_lighting_off(line.get());
        osg::ref_ptr<osg::Geode> geode = new osg::Geode;
        geode->addDrawable(line.get());
        group->addChild(geode.get());
    }
    if (count_of(section->measurements) > 0)
        group->addChild(line_with_points(world_vertices(section->measurements).get(), kBlue, 2.0f, 4.0f).get());
    SceneAddToModel(group.get());
}

std::vector<osg::Vec3d> SceneShownSectionLine(section_t *section)
{
    if (!section || !SceneTableContains(SectionTable, section) || !draws_section_line(section))
        return {};
    osg::ref_ptr<osg::Vec3dArray> vertices = section_line_vertices(section);
    return std::vector<osg::Vec3d>(vertices->begin(), vertices->end());
}

void SceneShowSectionOverlay(section_t *section, bool show)
{
    if (!show) {
        SceneTableHide(OverlayTable, section);
        return;
    }
    if (!section || SceneTableContains(OverlayTable, section))
        return;
    osg::ref_ptr<osg::Group> group = new osg::Group;
    if (!SceneTableAdd(OverlayTable, section, group.get()))
        return;
    const Array *published = ScenePublishedPoints(section);
    if (count_of(published) > 0) {
        osg::ref_ptr<osg::Geometry> points = make_geometry(world_vertices(published).get(), GL_POINTS, kRed);
        set_point_size(points.get(), 2.0f);
        set_lighting_off(points.get());
        osg::ref_ptr<osg::Geode> geode = new osg::Geode;
        geode->addDrawable(points.get());
        group->addChild(geode.get());
    }
    SceneAddToModel(group.get());
}

void SceneShowSectionPoints(section_t *section, int mode, float size, const unsigned char visible[32],
                            const float colours[32][4])
{
    if (!section) {
        SceneReplaceSectionGroup(SectionPointsGroup.get(), nullptr);
        return;
    }
    PointColouring how = {mode, section->normal_range[1] - section->normal_range[0], visible, colours};
    osg::ref_ptr<osg::Vec3dArray> vertices = new osg::Vec3dArray;
    osg::ref_ptr<osg::Vec4Array> point_colours = new osg::Vec4Array;
    float vmin = 0, vmax = 0;
    const Array *published = ScenePublishedPoints(section);
    for (size_t i = 0; i < count_of(published); i++) {
        const velmo_point_t *p = point_at(published, i);
        if (!p || (mode == COLOR_CLASSIFICATION && !visible[velmo_class_index(p->classification)]))
            continue;
        if (vertices->empty()) {
            vmin = vmax = p->v;
        } else {
            vmin = std::min(vmin, p->v);
            vmax = std::max(vmax, p->v);
        }
        vertices->push_back(osg::Vec3d(p->u, p->v, p->w));
        if (colours_by_mode(mode))
            point_colours->push_back(section_point_colour(*p, how));
    }
    osg::ref_ptr<osg::Geometry> points = make_geometry(vertices.get(), GL_POINTS);
    // An unknown mode leaves the points uncoloured rather than with a colour
    // array shorter than the vertices.
    if (colours_by_mode(mode))
        points->setColorArray(point_colours.get(), osg::Array::BIND_PER_VERTEX);
    set_point_size(points.get(), size);
    set_lighting_off(points.get());
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(points.get());

    if (section->type == SECTION_LATITUDE || section->type == SECTION_CUSTOM) {
        osg::ref_ptr<osg::Vec3dArray> axis = new osg::Vec3dArray;
        axis->push_back(osg::Vec3d(0, vmin, 2 * section->normal_range[0]));
        axis->push_back(osg::Vec3d(0, vmax, 2 * section->normal_range[1]));
        osg::ref_ptr<osg::Geometry> line = make_geometry(axis.get(), GL_LINE_STRIP, kAxisRed);
        set_line_width(line.get(), size);
        set_lighting_off(line.get());
        geode->addDrawable(line.get());
    }
    SceneReplaceSectionGroup(SectionPointsGroup.get(), geode.get());
}

void SceneShowSectionLineRed(section_t *section, float width)
{
    if (!section) {
        SceneReplaceSectionGroup(SectionRedLineGroup.get(), nullptr);
        return;
    }
    osg::ref_ptr<osg::Geode> geode = line_with_points(plane_vertices(section->red_line).get(), kRed, width, 2 * width);
    SceneReplaceSectionGroup(SectionRedLineGroup.get(), geode.get());
}

void SceneShowSectionLineBlue(section_t *section, float width)
{
    if (!section) {
        SceneReplaceSectionGroup(SectionBlueLineGroup.get(), nullptr);
        return;
    }
    osg::ref_ptr<osg::Geode> geode =
        line_with_points(plane_vertices(section->measurements).get(), kBlue, width, 4 * width);
    SceneReplaceSectionGroup(SectionBlueLineGroup.get(), geode.get());
}

void SceneShowPolyline(const std::vector<velmo_point_t> &points, float width)
{
    osg::ref_ptr<osg::Vec3dArray> vertices = new osg::Vec3dArray;
    for (const velmo_point_t &p : points)
        vertices->push_back(osg::Vec3d(p.u, p.v, p.w));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    if (points.size() >= 2) {
        osg::ref_ptr<osg::Geometry> line = make_geometry(vertices.get(), GL_LINE_STRIP, kYellow);
        set_line_width(line.get(), width);
        set_lighting_off(line.get());
        geode->addDrawable(line.get());
    }
    osg::ref_ptr<osg::Geometry> marks = make_geometry(vertices.get(), GL_POINTS, kYellow);
    set_point_size(marks.get(), 4 * width);
    geode->addDrawable(marks.get());
    SceneReplaceSectionGroup(SectionMeasureGroup.get(), geode.get());
}
