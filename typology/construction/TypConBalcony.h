#pragma once
// A balcony platform, a stair landing or a gallery around a stair well: a
// 0.3 m slab whose top is the floor level, with a banister standing on each
// of its edges marked "Banister" (5); edges marked "Wall" (1) lean against a
// wall.
#include <cstdint>

#include "core/Desc.h"

struct LimitNames;

class TypConBalcony : public DescPoly {
public:
    static constexpr uint8_t kWall = 1;
    static constexpr uint8_t kBanister = 5;
    static constexpr float kSlab = 0.3f;
    // The highest banister "Banister height" takes, here and on flights (metres).
    static constexpr float kMaxBanisterHeight = 10.0f;

    // Extrusion: from floorLevel - 0.3 up by banisterHeight + 0.3. context:
    // the building that made it (not owned, may be null).
    TypConBalcony(const Poly& poly, float floorLevel, float banisterHeight, float banisterWidth, Desc* context,
                  uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading, the polygon with the limit names "Wall" 1 and "Banister" 5,
    // "Banister height", "Banister width", then DescPoly's.
    void declareParameters(ParameterList& list) override;
    bool allowsImpostor() const override { return false; }
    // For every "Banister" edge in order, an automatic banister of the
    // banister width set in by half of it, its ends on the neighbouring edges
    // (set in alike when they carry banisters too), standing on the floor;
    // each with a fresh seed. Then the slab, with a fresh seed.
    void generate() override;

    // The floor level: the top of the slab.
    float floorLevel() const { return extrusion.level + kSlab; }
    // The line a banister on edge i stands on: the edge set in by half the
    // banister width, its ends where it meets the neighbouring edges.
    Line banisterLine(int i) const;

    static const LimitNames& limitNames();

    Desc* context = nullptr;    // not owned
    float banisterHeight = 0;   // "Banister height"
    float banisterWidth = 0;    // "Banister width"

    static const ClassName kClassName;
};
