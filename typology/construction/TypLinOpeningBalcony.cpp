#include "typology/construction/TypLinOpeningBalcony.h"

#include <memory>

#include "core/Material.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypConBalcony.h"
#include "typology/construction/TypLinBeamSimple.h"

const ClassName TypLinOpeningBalcony::kClassName{"TypLinOpeningBalcony"};

TypLinOpeningBalcony::TypLinOpeningBalcony(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                           uint32_t seed_, const char* materialName)
    : TypLinOpening(line_, extrusion_, context_, seed_, materialName) {
    variant = 3;
}

const ClassName& TypLinOpeningBalcony::className() const { return kClassName; }

Poly TypLinOpeningBalcony::platform(const Line& l, float depth) {
    // Rooms lie on the right of their wall lines: outwards is the left normal.
    const Segment face = l.segment().offset(l.width * 0.5f);
    const Segment edge = l.segment().offset(l.width * 0.5f + depth);
    Poly p;
    p.addPoint(Point{face.x0, face.y0, TypConBalcony::kBanister});
    p.addPoint(Point{edge.x0, edge.y0, TypConBalcony::kBanister});
    p.addPoint(Point{edge.x1, edge.y1, TypConBalcony::kBanister});
    p.addPoint(Point{face.x1, face.y1, TypConBalcony::kWall});
    return p;
}

void TypLinOpeningBalcony::generate() {
    if (!opens())
        return;
    RandomGenerator& random = RandomGenerator::generation();
    const auto depth = static_cast<float>(random.uniform() * 0.5 + 0.2);
    const auto platformSeed = static_cast<uint32_t>(random.next());
    addChild(std::make_unique<TypConBalcony>(platform(line, depth), extrusion.level, kBanisterHeight, kBanisterWidth,
                                             context, platformSeed, "Wood1"));
    const float height = extrusion.height;
    if (height > kHeadHeight) {
        const auto lintelSeed = static_cast<uint32_t>(random.next());
        const Extrusion lintel{extrusion.level + kHeadHeight, height - kHeadHeight};
        addChild(std::make_unique<TypLinBeamSimple>(line, lintel, context, lintelSeed, material->textureName()));
    }
}
