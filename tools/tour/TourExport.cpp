#include "tools/tour/TourExport.h"

#include <cstdio>
#include <memory>

#include "core/Desc.h"
#include "renderer/GltfExporter.h"
#include "tools/tour/Census.h"
#include "tools/tour/TourOptions.h"
#include "typology/World.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"

int runTourExport(const TourOptions& o) {
    std::unique_ptr<Desc> world;
    TypRegIrregular* root = buildWorld(world);
    const Vec2 point = censusPoint(root->land, o.atPoint());
    Matrix44 frame;
    int result = 0;
    if (TypQuaIrregular* quarter = findQuarter(*world, point.x, point.y, frame)) {
        growToLeaves(*quarter);
        GltfExporter exporter;
        if (exporter.exportSubtree(*quarter, o.exportPath)) {
            const GltfExporter::Summary& s = exporter.summary();
            std::printf("export: %s  triangles %ld  meshes %d  textures %d  bytes %ld  ms %.1f\n",
                        o.exportPath.c_str(), s.triangles, s.meshes, s.textures, s.bytes, s.ms);
        } else {
            std::fprintf(stderr, "callimora-tour: export failed: %s\n", exporter.error().c_str());
            result = 1;
        }
    } else {
        std::fprintf(stderr, "callimora-tour: no quarter at %.1f,%.1f\n", point.x, point.y);
        result = 1;
    }
    destroyWorld(world);
    return result;
}
