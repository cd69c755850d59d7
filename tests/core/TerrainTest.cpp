#include "core/Terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "core/DescPolyLand.h"
#include "core/ParameterList.h"
#include "core/Poly.h"

namespace {

Poly square(float x0, float y0, float side) {
    // Listed up the left side first: the system's positive orientation.
    return Poly({{x0, y0, 0}, {x0, y0 + side, 0}, {x0 + side, y0 + side, 0}, {x0 + side, y0, 0}});
}

NoiseSource groundNoise(uint32_t seed, float height = 70.0f, float roughness = 0.5f) {
    NoiseSource noise;
    noise.height = height;
    noise.roughness = roughness;
    noise.initNoise(2, seed);
    return noise;
}

}  // namespace

// ---- the shuffle's generator ----

TEST(LinearCongruential, GivesTheClassicPortableSequence) {
    // The sample rand() of the C standard, seeded with 1.
    LinearCongruential lcg(1);
    EXPECT_EQ(lcg.draw(), 16838);
    EXPECT_EQ(lcg.draw(), 5758);
    EXPECT_EQ(lcg.draw(), 10113);
    EXPECT_EQ(lcg.draw(), 17515);
}

TEST(LinearCongruential, StaysWithinItsRange) {
    LinearCongruential lcg(9236);
    for (int i = 0; i < 100000; ++i) {
        const int d = lcg.draw();
        ASSERT_GE(d, 0);
        ASSERT_LE(d, LinearCongruential::kMax);
    }
}

// ---- noise source ----

TEST(NoiseSource, ShuffleKeepsAPermutation) {
    const NoiseSource noise = groundNoise(9236);
    std::set<uint32_t> seen(noise.permutation(), noise.permutation() + 256);
    EXPECT_EQ(seen.size(), 256u);
    EXPECT_EQ(*seen.begin(), 0u);
    EXPECT_EQ(*seen.rbegin(), 255u);
    int fixed = 0;
    for (uint32_t i = 0; i < 256; ++i)
        fixed += noise.permutation()[i] == i;
    EXPECT_LT(fixed, 16) << "10000 swaps leave few entries in place";
}

TEST(NoiseSource, SameSeedSamePermutationAndHeights) {
    const NoiseSource a = groundNoise(9236), b = groundNoise(9236), c = groundNoise(9237);
    EXPECT_TRUE(std::equal(a.permutation(), a.permutation() + 256, b.permutation()));
    EXPECT_FALSE(std::equal(a.permutation(), a.permutation() + 256, c.permutation()));
    int differ = 0;
    for (int i = 0; i < 200; ++i) {
        const float x = -300.0f + 29.0f * i, z = -300.0f + 19.0f * i;
        EXPECT_EQ(a.terrainHeight(x, z), b.terrainHeight(x, z));
        differ += a.terrainHeight(x, z) != c.terrainHeight(x, z);
    }
    EXPECT_GT(differ, 100);
}

TEST(NoiseSource, DimensionsAreLimitedToFour) {
    NoiseSource noise;
    noise.initNoise(7, 1);
    EXPECT_EQ(noise.dimensions(), 4);
    noise.initNoise(2, 1);
    EXPECT_EQ(noise.dimensions(), 2);
}

TEST(NoiseSource, HashOfTheIdentityPermutation) {
    const NoiseSource identity;  // not shuffled
    EXPECT_FLOAT_EQ(identity.hash(0, 0), -1.0f);              // h = perm[0] = 0
    EXPECT_FLOAT_EQ(identity.hash(1, 0), 1 * 2 / 256.0f - 1);  // h = perm[1]
    EXPECT_FLOAT_EQ(identity.hash(3, 2), 5 * 2 / 256.0f - 1);  // h = (2 + 3)
    // A negative coordinate runs out after four bytes: h = 4 * 255.
    EXPECT_FLOAT_EQ(identity.hash(-1, 0), (1020 & 255) * 2 / 256.0f - 1);
}

TEST(NoiseSource, LatticeValuesStayInRange) {
    const NoiseSource noise = groundNoise(42);
    for (int i = -300; i < 300; ++i) {
        const float v = noise.hash(i * 7, i * -13);
        ASSERT_GE(v, -1.0f);
        ASSERT_LT(v, 1.0f);
    }
}

TEST(NoiseSource, NoiseMeetsTheLatticeAtIntegerPoints) {
    const NoiseSource noise = groundNoise(42);
    for (int x = -3; x <= 3; ++x)
        for (int z = -3; z <= 3; ++z) {
            const float p[2] = {static_cast<float>(x), static_cast<float>(z)};
            EXPECT_FLOAT_EQ(noise.noise(p), noise.hash(x, z));
        }
    // Half way along an axis the smooth weight is one half.
    const float mid[2] = {2.5f, 1.0f};
    EXPECT_FLOAT_EQ(noise.noise(mid), 0.5f * (noise.hash(2, 1) + noise.hash(3, 1)));
    // A quarter of the way: (3 - 2t) t^2 = 0.15625.
    const float quarter[2] = {0.0f, 4.25f};
    EXPECT_NEAR(noise.noise(quarter), noise.hash(0, 4) + 0.15625f * (noise.hash(0, 5) - noise.hash(0, 4)), 1e-6f);
}

TEST(NoiseSource, FbmNeverLeavesUnitRange) {
    for (float roughness : {0.5f, 1.0f, 2.0f}) {
        const NoiseSource noise = groundNoise(9236, 1.0f, roughness);
        int clamped = 0;
        for (int i = 0; i < 20000; ++i) {
            const float p[2] = {-2.0f + 0.00137f * i * 3.1f, 5.0f - 0.00091f * i * 2.3f};
            const float v = noise.fbm(p, roughness);
            ASSERT_GE(v, -1.0f);
            ASSERT_LE(v, 1.0f);
            clamped += std::fabs(v) == 1.0f;
        }
        if (roughness >= 1.0f) {
            EXPECT_GT(clamped, 0) << "octave sums beyond 1 must be clamped, roughness " << roughness;
        }
    }
}

TEST(NoiseSource, TerrainHeightIsBoundedByItsScale) {
    const NoiseSource noise = groundNoise(9236, 70.0f, 0.5f);
    float lo = 1e30f, hi = -1e30f;
    for (int i = 0; i < 5000; ++i) {
        const float h = noise.terrainHeight(-300.0f + 1.17f * i, -300.0f + 0.79f * i);
        lo = std::min(lo, h);
        hi = std::max(hi, h);
    }
    EXPECT_GE(lo, -70.0f);
    EXPECT_LE(hi, 70.0f);
    EXPECT_GT(hi - lo, 10.0f) << "rolling ground, not flat";
    // One lattice cell per kilometre: the first octave alone at (1000, 2000).
    NoiseSource one = groundNoise(9236, 1.0f, 0.0f);
    const float lattice[2] = {1.0f, 2.0f};
    EXPECT_FLOAT_EQ(one.terrainHeight(1000.0f, 2000.0f), one.noise(lattice));
}

// ---- terrain: placement and cache ----

TEST(Terrain, HeightFollowsThePlacement) {
    const NoiseSource noise = groundNoise(9236);
    const Terrain world(&noise);
    const Terrain town(&noise, Matrix44::translation(1200.0f, 0.0f, 800.0f));
    for (int i = 0; i < 20; ++i) {
        const float x = 13.0f * i, y = -7.0f * i;
        EXPECT_EQ(town.height(x, y), world.height(x + 1200.0f, y + 800.0f));
        EXPECT_EQ(world.height(x, y), noise.terrainHeight(x, y));
    }
    const Vec2 placed = town.place({1.0f, 2.0f});
    EXPECT_FLOAT_EQ(placed.x, 1201.0f);
    EXPECT_FLOAT_EQ(placed.y, 802.0f);
}

TEST(Terrain, SlotIsTheTruncatedProductModuloTheCacheSize) {
    EXPECT_EQ(Terrain::cacheSlot(2.0f, 3.0f), 6000u);
    EXPECT_EQ(Terrain::cacheSlot(100.0f, 1000.0f), 100000000u % 39989u);
    // A negative product wraps as an unsigned 32-bit number.
    EXPECT_EQ(Terrain::cacheSlot(-2.0f, 3.0f), static_cast<uint32_t>(-6000) % 39989u);
    // Beyond 32 bits: 5500 * 3400 * 1000 = 1.87e10, wrapped.
    const uint32_t wrapped = static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(5500.0f * 3400.0f * 1000.0f)));
    EXPECT_EQ(Terrain::cacheSlot(5500.0f, 3400.0f), wrapped % 39989u);
}

TEST(Terrain, PointsWithTheSameProductShareASlotAndEvictEachOther) {
    NoiseSource noise = groundNoise(9236);
    const Terrain terrain(&noise);
    // 2 * 3 and 3 * 2.0001 agree to three decimals.
    ASSERT_EQ(Terrain::cacheSlot(2.0f, 3.0f), Terrain::cacheSlot(3.0f, 2.0001f));
    const float first = terrain.height(2.0f, 3.0f);
    const float second = terrain.height(3.0f, 2.0001f);  // evicts the first
    EXPECT_EQ(terrain.height(2.0f, 3.0f), first);       // recomputed: the same
    EXPECT_EQ(terrain.height(3.0f, 2.0001f), second);

    // Doubling the scale shows which answers came from the cache.
    const float cached = terrain.height(2.0f, 3.0f);
    noise.height *= 2.0f;
    EXPECT_EQ(terrain.height(2.0f, 3.0f), cached) << "held in its slot";
    EXPECT_EQ(terrain.height(3.0f, 2.0001f), 2.0f * second) << "evicted, so computed anew";
    EXPECT_EQ(terrain.height(2.0f, 3.0f), 2.0f * first) << "evicted in turn";
    terrain.clearCache();
    noise.height *= 0.5f;
    EXPECT_EQ(terrain.height(3.0f, 2.0001f), second);
}

TEST(Terrain, RangeLooksAtTheVerticesOnly) {
    const NoiseSource noise = groundNoise(9236);
    const Terrain terrain(&noise);
    const Poly poly = square(100.0f, 200.0f, 900.0f);
    float lo = 0, hi = 0;
    ASSERT_TRUE(terrain.range(poly, lo, hi));
    float expectLo = 1e30f, expectHi = -1e30f;
    for (const Point& p : poly.points()) {
        expectLo = std::min(expectLo, noise.terrainHeight(p.x, p.y));
        expectHi = std::max(expectHi, noise.terrainHeight(p.x, p.y));
    }
    EXPECT_EQ(lo, expectLo);
    EXPECT_EQ(hi, expectHi);
    EXPECT_LT(lo, hi);

    float untouchedLo = 5, untouchedHi = 6;
    EXPECT_FALSE(terrain.range(Poly(), untouchedLo, untouchedHi));
    EXPECT_EQ(untouchedLo, 5);
    EXPECT_EQ(untouchedHi, 6);
}

// ---- land descriptions ----

TEST(DescPolyLand, WithoutTerrainKeepsItsExtrusion) {
    const Poly poly = square(0, 0, 100);
    DescPolyLand land(poly, 70.0f, nullptr, 5, nullptr);
    DescPoly plain(poly, 70.0f, 5, nullptr);
    EXPECT_EQ(land.extrusion.level, 0.0f);
    EXPECT_EQ(land.extrusion.height, 70.0f);
    EXPECT_EQ(land.centre, plain.centre);
    EXPECT_EQ(land.radius, plain.radius);
    land.fitToTerrain();
    EXPECT_EQ(land.extrusion.level, 0.0f);
    EXPECT_EQ(land.extrusion.height, 70.0f);
    EXPECT_EQ(land.overHeight, 70.0f);
}

TEST(DescPolyLand, FitsItselfToTheTerrainUnderItsVertices) {
    const NoiseSource noise = groundNoise(9236);
    const Terrain terrain(&noise);
    const Poly poly = square(500, 300, 1000);
    DescPolyLand land(poly, 70.0f, &terrain, 5, nullptr);
    DescPoly plain(poly, 70.0f, 5, nullptr);
    float lo = 0, hi = 0;
    terrain.range(poly, lo, hi);
    EXPECT_EQ(land.extrusion.level, lo);
    EXPECT_FLOAT_EQ(land.extrusion.height, hi + 70.0f - lo);
    EXPECT_FLOAT_EQ(land.centre.y, (lo + hi + 70.0f) / 2);
    EXPECT_FLOAT_EQ(land.centre.x, plain.centre.x);
    const float r = plain.radius;
    const float h = land.extrusion.height;
    EXPECT_FLOAT_EQ(land.radius, std::sqrt(r * r - 35.0f * 35.0f + h * h / 4));
    // Relief in percent of the piece's size.
    EXPECT_FLOAT_EQ(land.slope(), (hi - lo) / 1000.0f * 100.0f);
}

TEST(DescPolyLand, DrawsItsShapeOnTheTerrain) {
    const NoiseSource noise = groundNoise(9236);
    const Terrain terrain(&noise);
    DescPolyLand land(square(0, 0, 100), 10.0f, &terrain, 5, nullptr);
    EXPECT_EQ(land.navigationPatch(), &land.graph);
    EXPECT_STREQ(land.className().name, "DescPolyLand");
}

TEST(DescPolyLand, DeclaresOverHeightBeforeItsBase) {
    DescPolyLand land(square(0, 0, 100), 10.0f, nullptr, 5, nullptr);
    ParameterList list;
    land.declareParameters(list);
    ASSERT_GE(list.count(), 3);
    EXPECT_EQ(list.name(0), "DescPolyLand");
    EXPECT_EQ(list.name(1), "Over height");
    EXPECT_EQ(list.name(2), "DescPoly");
}

TEST(DescPolyLand, ReleasingChildrenDeletesItsOwnNodes) {
    DescPolyLand parent(square(0, 0, 100), 10.0f, nullptr, 1, nullptr);
    DescPolyLand land(square(0, 0, 100), 10.0f, nullptr, 2, nullptr);
    GraphNode* outer = parent.graph.addNode(Vector{0, 0, 0}, false);
    GraphNode* own = land.graph.addNode(Vector{1, 0, 1}, false);
    addEdge(outer, own);
    land.childrenReleased();
    EXPECT_EQ(land.graph.count(), 0);
    EXPECT_TRUE(outer->neighbours.empty()) << "the parent's node must not point at a deleted node";
}
