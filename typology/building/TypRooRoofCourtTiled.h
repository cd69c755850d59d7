#pragma once
// The roof of a court building with corridors: a knee wall round the wings
// and pitched pieces over every built wing. Each wing carries a ridge midway
// between its eaves and the court; hips and valleys run from the corners to
// the points where neighbouring ridges meet, and a wing beside an unbuilt
// side ends in a gable.
#include <cstdint>
#include <vector>

#include "typology/building/TypRoo.h"

class TypRooCourtPlan;

class TypRooRoofCourtTiled : public TypRoo {
public:
    TypRooRoofCourtTiled(const Poly& poly, const Extrusion& extrusion, TypBui* owner, uint32_t seed,
                         const char* materialName, TypRooCourtPlan* plan);

    const ClassName& className() const override;
    // Heading, the variants "Flat"/"Tiled" at 1, then TypRoo's.
    void declareParameters(ParameterList& list) override;
    // As the flat roof's.
    Drawable* createVariant(int index) override;
    // The knee wall, then the pieces: first the street side of every wing,
    // then the court side. A roof not higher than the knee wall stays coarse.
    void generate() override;

    // One roof piece: its polygon (edge kinds of TypRooGable) and corner heights over the knee wall.
    struct Piece {
        Poly poly;
        float heights[4] = {0, 0, 0, 0};
    };
    // The pieces over the ring between outline and ring (both n points;
    // ring vertex i marked 8 when the wing along edge i is built), no
    // corner higher than height. Two slopes per wing when they tile the
    // ring (the street sides of all wings first, then their court sides),
    // else one slope per wing rising from the outline to the court.
    static std::vector<Piece> pieces(const Poly& outline, const Poly& ring, float height);

    TypRooCourtPlan* plan = nullptr;  // not owned
    uint8_t variant = 1;

    // Knee wall: height, width and inset of its line (metres).
    static constexpr float kKneeHeight = 1.0f;
    static constexpr float kKneeWidth = 0.3f;
    static constexpr float kKneeInset = 0.15f;
    // Eaves projection: kMinProjection + kProjectionRange * u (metres).
    static constexpr float kMinProjection = 0.1f;
    static constexpr float kProjectionRange = 0.6f;
    // Rise of a slope per metre across the wing, below the roof's height.
    static constexpr float kSlope = 0.45f;

    static const ClassName kClassName;
};
