// The octree tile reader: a pseudo-loader whose "file" names are tile names
// "%p_%p_%d_%d.octree" printed by the scene manager in this same process
// (cloud record, tile record, level, colour mode).  It builds the tile's
// points of that level and above as one geometry of GL_POINTS under a
// transform to the tile's centre, on the database pager's thread.
#include "OctreeColors.h"

#include "velmo.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osgDB/FileNameUtils>
#include <osgDB/Registry>

#include <cstdio>

osg::ref_ptr<osg::Node> osgdb_import_octree(velmo_t *cloud, tile_t *tile, int level, int mode);

namespace {

struct TileName {
    velmo_t *cloud = nullptr;
    tile_t *tile = nullptr;
    int level = 0;
    int mode = 0;
};

// The whole name must match: addresses that parsed only in part would point
// anywhere.  The addresses themselves cannot be checked beyond null.
bool parse_tile_name(const std::string &name, TileName *out)
{
    void *cloud = nullptr;
    void *tile = nullptr;
    int level = 0, mode = 0, end = -1;
    if (sscanf(name.c_str(), "%p_%p_%d_%d.octree%n", &cloud, &tile, &level, &mode, &end) != 4 ||
        end != (int)name.size() || !cloud || !tile)
        return false;
    out->cloud = static_cast<velmo_t *>(cloud);
    out->tile = static_cast<tile_t *>(tile);
    out->level = level;
    out->mode = mode;
    return true;
}

} // namespace

class ReaderWriterOctree : public osgDB::ReaderWriter
{
public:
    ReaderWriterOctree()
    {
        supportsExtension("octree", "Halvren octree format");
        supportsOption("noRotation", "Do not rotate the model to the Z-up frame");
        supportsOption("noTesselateLargePolygons", "Do not split large polygons into triangles");
        supportsOption("noTriStripPolygons", "Do not build triangle strips from polygons");
        supportsOption("noGenerateFacetNormals", "Do not compute facet normals");
        supportsOption("noReverseFaces", "Do not reverse the winding of faces");
    }

    ~ReaderWriterOctree() override {}

    const char *className() const override { return "Halvren Octree Reader"; }

    ReadResult readNode(const std::string &file, const Options * = nullptr) const override
    {
        if (!acceptsExtension(osgDB::getLowerCaseFileExtension(file)))
            return ReadResult::FILE_NOT_HANDLED;
        // A database path may be put in front of the name; the name is what counts.
        TileName name;
        if (!parse_tile_name(osgDB::getSimpleFileName(file), &name))
            return ReadResult("not an octree tile name: " + file);
        return ReadResult(osgdb_import_octree(name.cloud, name.tile, name.level, name.mode).get(),
                          ReadResult::FILE_LOADED);
    }

    WriteResult writeObject(const osg::Object &, const std::string &, const Options * = nullptr) const override
    {
        return WriteResult::FILE_NOT_HANDLED;
    }

    WriteResult writeNode(const osg::Node &, const std::string &, const Options * = nullptr) const override
    {
        return WriteResult::FILE_NOT_HANDLED;
    }

    ReadResult readNode(std::istream &, const Options * = nullptr) const override
    {
        return ReadResult::FILE_NOT_HANDLED;
    }

    WriteResult writeObject(const osg::Object &, std::ostream &, const Options * = nullptr) const override
    {
        return WriteResult::FILE_NOT_HANDLED;
    }

    WriteResult writeNode(const osg::Node &, std::ostream &, const Options * = nullptr) const override
    {
        return WriteResult::FILE_NOT_HANDLED;
    }
};

namespace {

osg::Vec3d tile_centre(const tile_t *tile)
{
    const double *box = tile->box;
    return osg::Vec3d((box[0] + box[3]) / 2, (box[1] + box[4]) / 2, (box[2] + box[5]) / 2);
}

// Decodes the tile's points of the level and above into positions from the
// centre and colours of the mode; returns how many entries it read.
size_t decode_points(velmo_t *cloud, tile_t *tile, int level, int mode, const osg::Vec3d &centre,
                     osg::Vec3Array *vertices, osg::Vec4ubArray *colors)
{
    double min_z = cloud->box[2];
    float height_scale = octree_height_scale(cloud);
    size_t count = array_size(tile->entries);
    size_t read = 0;
    vertices->reserve(count);
    colors->reserve(count);
    for (; read < count; read++) {
        void *entry = nullptr;
        if (array_get_at(tile->entries, read, &entry) != CC_OK)
            break;
        tile_point_t *stored = static_cast<tile_point_t *>(entry);
        if (stored->level < level)
            break;
        velmo_point_t point = {};
        if (!velmo_read_point_osg(cloud, tile, stored, &point))
            break;
        vertices->push_back(osg::Vec3(osg::Vec3d(point.x, point.y, point.z) - centre));
        osg::Vec4 color;
        if (octree_point_color(point, mode, min_z, height_scale, &color))
            colors->push_back(octree_color_bytes(color));
    }
    // A coarse level is a small prefix of what was reserved.
    vertices->trim();
    colors->trim();
    return read;
}

// Both arrays go to the GL as buffer objects rather than being compiled into
// a display list, which would keep a second, wider copy of every point.
osg::ref_ptr<osg::Geometry> points_geometry(osg::Vec3Array *vertices, osg::Vec4ubArray *colors)
{
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setUseDisplayList(false);
    geometry->setUseVertexBufferObjects(true);
    geometry->setVertexArray(vertices);
    // A mode without colours leaves the points uncoloured rather than with a
    // colour array shorter than the vertices.
    if (colors->size() == vertices->size())
        geometry->setColorArray(colors, osg::Array::BIND_PER_VERTEX);
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_POINTS, 0, (GLsizei)vertices->size()));
    return geometry;
}

} // namespace

// The tile's entries are sorted by level, highest first, so the points of a
// level and above are a prefix of the list.  Positions are single floats
// taken from the tile's centre, under a transform to that centre: a tile's
// few metres keep well below a millimetre in a float, where survey
// coordinates of millions of metres would not; colours are bytes.  Together
// 16 bytes a point.  No state set and no point size: the scene side owns
// those.  The store pages read are given back once decoded: the pager keeps
// the points, and a tile read again comes from the file cache.
osg::ref_ptr<osg::Node> osgdb_import_octree(velmo_t *cloud, tile_t *tile, int level, int mode)
{
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec4ubArray> colors = new osg::Vec4ubArray;
    colors->setNormalize(true);
    osg::Vec3d centre;
    if (cloud && tile && tile->entries) {
        centre = tile_centre(tile);
        size_t read = decode_points(cloud, tile, level, mode, centre, vertices.get(), colors.get());
        velmo_release_tile_points(cloud, tile, read);
    }
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(points_geometry(vertices.get(), colors.get()).get());
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform(osg::Matrixd::translate(centre));
    transform->addChild(geode.get());
    return transform;
}

REGISTER_OSGPLUGIN(octree, ReaderWriterOctree)
