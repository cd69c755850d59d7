#include "tools/tour/TourExport.h"

#include <malloc.h>

#include <cstdio>
#include <memory>

#include "core/Desc.h"
#include "renderer/GltfExporter.h"
#include "tools/tour/Census.h"
#include "tools/tour/TourOptions.h"
#include "typology/World.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"

void keepFreedMemoryForExport(GltfFormat format) {
    if (format != GltfFormat::Compact)
        return;
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

int runTourExport(const TourOptions& o) {
    keepFreedMemoryForExport(o.exportFormat);
    std::unique_ptr<Desc> world;
    TypRegIrregular* root = buildWorld(world);
    const Vec2 point = censusPoint(root->land, o.atPoint());
    Matrix44 frame;
    int result = 0;
    if (TypQuaIrregular* quarter = findQuarter(*world, point.x, point.y, frame)) {
        GltfExporter exporter;
        exporter.format = o.exportFormat;
        // Grown while it is written, one branch at a time.
        if (exporter.exportGrowing(*quarter, o.exportPath, [](Desc& d) { d.refine(Matrix44::identity()); })) {
            const GltfExporter::Summary& s = exporter.summary();
            std::printf("export: %s  format %s  triangles %ld  meshes %d  placements %ld  textures %d  bytes %ld  "
                        "ms %.1f\n",
                        o.exportPath.c_str(), gltfFormatName(o.exportFormat), s.triangles, s.meshes, s.placements,
                        s.textures, s.bytes, s.ms);
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
