#include "typology/construction/TypLinWallSimple.h"

#include <memory>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypLinOpening.h"
#include "typology/construction/TypLinWallSection.h"

const ClassName TypLinWallSimple::kClassName{"TypLinWallSimple"};

TypLinWallSimple::TypLinWallSimple(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                   int32_t sectionsKind_, int32_t openingsKind_, uint32_t seed_,
                                   const char* materialName)
    : TypLinWall(line_, extrusion_, context_, sectionsKind_, openingsKind_, seed_, materialName) {
    if (!material->bound())
        material->bind("Brick1");
}

const ClassName& TypLinWallSimple::className() const { return kClassName; }

void TypLinWallSimple::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declareWallEntries(list, &variant, &sectionsKind, &openingsKind);
    LinearConstruction::declareParameters(list);
}

void TypLinWallSimple::generate() {
    RandomGenerator& random = RandomGenerator::generation();
    const char* name = material->textureName();
    const std::vector<Line> parts = pieces(line);
    for (const Line& piece : parts) {
        if (tooManyChildren())
            break;
        const auto sectionSeed = static_cast<uint32_t>(random.next());
        if (auto section = TypLinWallSection::createSection(sectionsKind, piece, extrusion, context, sectionSeed, name))
            addChild(std::move(section));
    }
    if (parts.size() < 2)
        return;
    for (const Crossing& c : line.crossings) {
        if (tooManyChildren())
            break;
        if (!cuts(c))
            continue;
        const auto openingSeed = static_cast<uint32_t>(random.next());
        if (auto opening =
                TypLinOpening::createOpening(openingsKind, openingAt(line, c), extrusion, context, openingSeed, name))
            addChild(std::move(opening));
    }
}
