#include "typology/construction/TypLinPortico.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypConPillarSimple.h"
#include "typology/construction/TypLinBeamSimple.h"
#include "typology/construction/TypLinOpening.h"
#include "typology/construction/TypLinPanelSimple.h"
#include "typology/construction/TypLinWallSection.h"

const ClassName TypLinPortico::kClassName{"TypLinPortico"};

TypLinPortico::TypLinPortico(const Line& line_, const Extrusion& extrusion_, Desc* context_, int32_t sectionsKind_,
                             int32_t openingsKind_, uint32_t seed_, const char* materialName)
    : TypLinWall(line_, extrusion_, context_, sectionsKind_, openingsKind_, seed_, materialName) {
    variant = 1;
}

const ClassName& TypLinPortico::className() const { return kClassName; }

void TypLinPortico::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declareWallEntries(list, &variant, &sectionsKind, &openingsKind);
    LinearConstruction::declareParameters(list);
}

void TypLinPortico::generate() {
    RandomGenerator& random = RandomGenerator::generation();
    const float level = extrusion.level, height = extrusion.height, top = level + height;
    const float thickness = std::max(line.width, kMinThickness);
    Extrusion lower{level, height - thickness};
    if (lower.height < 0) {
        lower.level += lower.height;
        lower.height = -lower.height;
    }
    const char* own = material->textureName();
    // Grown while the context is captured into an impostor, its material is
    // under the impostor's cover.
    const char* contextName = context ? context->material->beneathCover().textureName() : own;

    const std::vector<Line> parts = pieces(line);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (tooManyChildren())
            break;
        const auto childSeed = static_cast<uint32_t>(random.next());
        if (i == 0 || i + 1 == parts.size()) {
            if (auto section =
                    TypLinWallSection::createSection(sectionsKind, parts[i], lower, context, childSeed, contextName))
                addChild(std::move(section));
        } else {
            addChild(std::make_unique<TypConPillarSimple>(TypLinPanelSimple::footprint(parts[i], 0), lower, context,
                                                          childSeed, own));
        }
    }
    const auto lintelSeed = static_cast<uint32_t>(random.next());
    addChild(std::make_unique<TypLinBeamSimple>(line, Extrusion{top - thickness, thickness}, context, lintelSeed, own));
    for (const Crossing& c : line.crossings) {
        if (tooManyChildren())
            break;
        if (!cuts(c))
            continue;
        const auto openingSeed = static_cast<uint32_t>(random.next());
        if (auto opening = TypLinOpening::createOpening(openingsKind, openingAt(line, c), lower, context, openingSeed,
                                                        own))
            addChild(std::move(opening));
    }
}
