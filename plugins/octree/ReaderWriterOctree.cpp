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

#include <algorithm>
#include <cstdio>
#include <vector>

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

// Entries are copied from the store a run at a time, small first, since a
// coarse level is a short prefix of the tile, and never more than the
// processor's cache keeps while they are decoded.
const size_t FIRST_RUN = 4096;
const size_t LONGEST_RUN = 16384;

// What a tile's points become: positions from the tile's centre and colours.
struct TilePoints {
    velmo_t *cloud;
    tile_t *tile;
    int level, mode;
    osg::Vec3d centre;
    double min_z;
    float height_scale;
    osg::Vec3Array *vertices;
    osg::Vec4ubArray *colors;
};

// Adds the points of a run of entries down to the first one below the
// level; false when it met one (or one could not be decoded).
bool add_points(const TilePoints &out, std::vector<tile_point_t> &run, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        velmo_point_t point = {};
        if (run[i].level < out.level || !velmo_read_point_osg(out.cloud, out.tile, &run[i], &point))
            return false;
        out.vertices->push_back(osg::Vec3(osg::Vec3d(point.x, point.y, point.z) - out.centre));
        osg::Vec4 color;
        if (octree_point_color(point, out.mode, out.min_z, out.height_scale, &color))
            out.colors->push_back(octree_color_bytes(color));
    }
    return true;
}

// Decodes the tile's points of the level and above.  The entries are read
// as copies from the store's file, never in its mapping: a store that
// another program cut short meanwhile gives no points (and the cloud says
// why) rather than a fault.
void decode_points(const TilePoints &out)
{
    const size_t count = array_size(out.tile->entries);
    out.vertices->reserve(count);
    out.colors->reserve(count);
    std::vector<tile_point_t> run;
    size_t first = 0, wanted = FIRST_RUN;
    while (first < count) {
        run.resize(std::min(wanted, count - first));
        const size_t got = velmo_read_tile_points(out.cloud, out.tile, first, run.size(), run.data());
        if (got == 0 || !add_points(out, run, got))
            break;
        first += got;
        wanted = std::min(4 * wanted, LONGEST_RUN);
    }
    // A coarse level is a small prefix of what was reserved.
    out.vertices->trim();
    out.colors->trim();
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
// those.  The points are read from the store's file, so no page of it stays
// with the process: the pager keeps the points, and a tile read again comes
// from the file cache.
osg::ref_ptr<osg::Node> osgdb_import_octree(velmo_t *cloud, tile_t *tile, int level, int mode)
{
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec4ubArray> colors = new osg::Vec4ubArray;
    colors->setNormalize(true);
    osg::Vec3d centre;
    if (cloud && tile && tile->entries) {
        centre = tile_centre(tile);
        decode_points({cloud, tile, level, mode, centre, cloud->box[2], octree_height_scale(cloud), vertices.get(),
                       colors.get()});
    }
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(points_geometry(vertices.get(), colors.get()).get());
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform(osg::Matrixd::translate(centre));
    transform->addChild(geode.get());
    return transform;
}

REGISTER_OSGPLUGIN(octree, ReaderWriterOctree)
