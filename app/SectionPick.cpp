#include "SectionPick.h"

velmo_point_t *NearestSectionPoint(Array *list, const osg::Matrixd &windowMatrix, double wx, double wy,
                                   double radiusSquared)
{
    const size_t size = list ? array_size(list) : 0;
    velmo_point_t *best = nullptr;
    double bestDistance = radiusSquared;
    for (size_t i = 0; i < size; ++i) {
        void *item = nullptr;
        array_get_at(list, i, &item);
        auto *point = static_cast<velmo_point_t *>(item);
        const osg::Vec3d window = osg::Vec3d(point->u, point->v, point->w) * windowMatrix;
        const double dx = window.x() - wx;
        const double dy = window.y() - wy;
        const double distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = point;
        }
    }
    return best;
}
