#pragma once
// A banister along a line: a top and a bottom rail, a post at each end and
// balusters about five to the metre between the rails. It stands on its
// extrusion: the level is the floor it stands on, the height reaches to the
// top of the top rail. Its cross variant sets diagonal bars in place of the
// balusters; the sloping ones climb with a stair.
#include <cstdint>
#include <memory>

#include "typology/construction/LinearConstruction.h"

class TypLinBanister : public LinearConstruction {
public:
    // Rails 0.05 high, posts 0.05 long; the bottom rail 0.1 above the floor,
    // the balusters from 0.15 above it; below kMinPostLength only the rails.
    static constexpr float kRail = 0.05f;
    static constexpr float kBottomRail = 0.1f;
    static constexpr float kBalusterFoot = 0.15f;
    static constexpr float kMinPostLength = 0.1f;
    // A longer banister (more balusters than a description holds children)
    // is built as equal pieces no longer than this (metres).
    static constexpr float kMaxPieceLength = 50.0f;
    // The automatic choice: a cross banister only for lines up to this long.
    static constexpr float kMaxCrossLength = 2.0f;
    // Kinds of the factories.
    enum Kind : int32_t { kAutomatic = -1, kSimple = 0, kCross = 1 };

    TypLinBanister(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                   const char* materialName);

    const ClassName& className() const override;
    // Heading with the class name, the variants "Simple", "Cross", then
    // Linear Construction's.
    void declareParameters(ParameterList& list) override;
    // The banister factory with index over the same line, extrusion, context, seed and material.
    Drawable* createVariant(int index) override;
    // Top rail, bottom rail, then (from 0.1 m on) the two end posts and the
    // balusters; past kMaxPieceLength, pieces instead.
    void generate() override;
    // The floor level s metres along the line: the level, for a flat banister.
    virtual float levelAt(float s) const;

    // 0 TypLinBanister, 1 TypLinBanisterCross, -1 the automatic choice (see
    // chooseKind); unattached, null for an unknown kind.
    static std::unique_ptr<LinearConstruction> createBanister(int32_t kind, const Line& line,
                                                              const Extrusion& extrusion, Desc* context,
                                                              uint32_t seed, const char* materialName);
    // The automatic choice for a line of the given length made for context:
    // a private generator seeded with the context's seed (0 without one)
    // skips 5 values; the sixth gives a cross banister one time in ten, and
    // only for lines up to 2 m. Every automatic banister of a context chooses alike.
    static int32_t chooseKind(const Desc* context, float length);

    // The post square: the first 0.05 m of line's outline, moved s metres along it.
    static Poly postSquare(const Line& line, float s);

    uint8_t variant = kSimple;  // the variants entry's value

    static const ClassName kClassName;

protected:
    // Rails, posts and then balusters (cross false) or, working in sixths of
    // the length, a pillar at each third and an X of two bars over each third
    // (cross true). Flat rails are beams; rails that climb are sloping panels.
    void generateBars(bool cross);
    // The banister over part, which runs from s0 to s1 metres along the line.
    virtual std::unique_ptr<TypLinBanister> piece(const Line& part, float s0, float s1, uint32_t seed) const;

private:
    void generatePieces(int count);
    void addRail(float above);
    void addPost(float s, float above);
    void addBar(float s0, float s1, bool rising);
};
