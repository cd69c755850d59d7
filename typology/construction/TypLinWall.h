#pragma once
// The common base of walls and porticos: a linear element with the kinds of
// the sections and openings it is cut into at its crossings.
#include <cstdint>
#include <vector>

#include "typology/construction/LinearConstruction.h"

class TypLinWall : public LinearConstruction {
public:
    // Sections kinds: "Simple" 0. Openings kinds: "Empty" 0, "Simple" 1, "Banister" 2, "Balcony" 3.
    enum Openings : int32_t { kOpeningsEmpty = 0, kOpeningsSimple = 1, kOpeningsBanister = 2, kOpeningsBalcony = 3 };

    TypLinWall(const Line& line, const Extrusion& extrusion, Desc* context, int32_t sectionsKind, int32_t openingsKind,
               uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // As the plain wall's.
    Drawable* createVariant(int index) override;

    // Makes a wall of the given variant (0 plain, 1 portico; else null).
    static LinearConstruction* make(int variant, const Line& line, const Extrusion& extrusion, Desc* context,
                                    int32_t sectionsKind, int32_t openingsKind, uint32_t seed,
                                    const char* materialName);
    // Declares the variants entry at value, "Sections" and "Openings" over the targets.
    static void declareWallEntries(ParameterList& list, uint8_t* variant, int32_t* sectionsKind,
                                   int32_t* openingsKind);
    // The limit a room gives an opening place it keeps closed.
    static constexpr uint8_t kClosedPlace = 1;
    // True for a crossing that cuts the line. Kind 1 (another line ending on
    // the interior) does not, nor a place along the line (kind 2 inside it)
    // that the room closed: no opening fills such a gap, so the wall runs on.
    static bool cuts(const Crossing& c) {
        return c.kind != 1 && !(c.kind == 2 && c.limit == kClosedPlace && c.t > 0 && c.t < 1);
    }
    // The pieces of line between its cutting crossings below t = 1, in
    // order, the last one ending at t = 1; each carries the crossings at its ends.
    static std::vector<Line> pieces(const Line& line);
    // The gap a crossing leaves in line: along the line, centred on the
    // crossing point, as long as the crossing element's width divided by the
    // sine of its angle (its width when the angle runs along the line), with
    // the line's width, the crossing's limit and kind-2 crossings at both ends
    // carrying its before angle.
    static Line openingAt(const Line& line, const Crossing& c);

    int32_t sectionsKind = 0;  // "Sections"
    int32_t openingsKind = 0;  // "Openings"
    uint8_t variant = 0;       // the variants entry's value

    static const ClassName kClassName;
};
