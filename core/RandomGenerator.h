#pragma once
// Knuth's subtractive generator (modulus 1e9, seed constant 161803398, a table
// of 55 entries). Every random decision of generation comes from one of the
// process-wide instances, so the same seed gives the same town.
#include <cstdint>

class RandomGenerator {
public:
    explicit RandomGenerator(int32_t seed = 161803398) { this->seed(seed); }

    // Fills the table from s, then discards (s mod 10) + 10 draws.
    void seed(int32_t s) { seed_(s, s % 10 + 10); }
    // Next integer in 0..999999999.
    int32_t next();
    // next() * 1e-9, the constant taken in single precision and widened.
    double uniform() { return next() * static_cast<double>(1e-9f); }
    // lo + uniform * (hi - lo)
    double range(double lo, double hi) { return lo + uniform() * (hi - lo); }
    // The mj value of the last seeding (|161803398 - s| mod 1e9).
    int32_t lastMj() const { return mj_; }

    // Seeds every description's generation and draws its children's seeds and choices.
    static RandomGenerator& generation();
    // Collapse countdowns only.
    static RandomGenerator& collapse();
    // Texture offsets and colour variation of meshes.
    static RandomGenerator& textureOffset();
    // The walkers' own choices (start walks, random headings); seeded 0 once.
    static RandomGenerator& navigation();

private:
    void seed_(int32_t s, int discard);

    int32_t table_[56] = {};
    int inext_ = 0;
    int inextp_ = 31;
    int32_t mj_ = 0;
};
