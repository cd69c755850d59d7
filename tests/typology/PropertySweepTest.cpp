// Every parameter of up to three live descriptions of every class of a real
// quarter grown to its leaves, and of the descriptions above it up to the
// root, typed as a person might: numbers that are not finite, negative,
// zero, huge, empty, letters, the ends of the entry's range, and the values
// the generator made for that entry. A value is either refused (every value
// and the grown subtree stay exactly as they were) or written, and then the
// subtree grows again without a failed check, a crash, a hang or a number
// that is not finite; putting the old value back through the same path must
// grow the same subtree as before. Every variant is switched to and back.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

#include "PropertySweepSupport.h"

namespace {

// The sweep runs in shards, each its own test entry, so that the typology
// tests stay short; shard k takes every kShards-th target.
constexpr int kShards = 4;

void report(const char* what, const sweep::Outcome& o, double seconds) {
    std::printf("%s: %ld values tried, %ld written, %ld refused; %ld regrows, slowest %.1f ms (%s), %ld below a "
                "quarter over %.0f ms; %.1f s\n",
                what, o.tried, o.written, o.refused, o.regrows, o.slowestMs, o.slowest.c_str(), o.slowRegrows,
                sweep::kSlowRegrowMs, seconds);
    for (const std::string& s : o.slow)
        std::printf("  slow regrow: %s\n", s.c_str());
    for (const std::string& n : o.notes)
        std::printf("  %s\n", n.c_str());
    for (const std::string& f : o.failures)
        ADD_FAILURE() << f;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class PropertySweep : public testing::TestWithParam<int> {};

}  // namespace

// A range that refuses what the generator makes would refuse to put a
// generated value back.
TEST(PropertySweepValues, EveryGeneratedValueIsTakenByItsEntry) {
    sweep::SweepWorld& world = sweep::SweepWorld::get();
    std::printf("property sweep: %ld descriptions of %zu classes, %zu targets\n", world.descriptions,
                world.classes.size(), world.targets.size());
    for (const std::string& line : world.ownValuesRefused)
        ADD_FAILURE() << line;
    EXPECT_EQ(sweep::nonFinite(world.root()), "");
    // The whole town's levels are there, down to the leaves.
    for (const char* name : {"TypRegIrregular", "TypMunIrregular", "TypTowIrregular", "TypQuaIrregular",
                             "TypBloIrregular", "TypEstCourt", "TypBuiCourt", "TypRooCourtPlan", "TypRooSimple",
                             "TypLinWallSimple", "TypLinOpeningSimple", "TypLinBanister", "TypConPillarSimple",
                             "TypTreeBranch"})
        EXPECT_GT(world.classes[name], 0) << name;
}

TEST_P(PropertySweep, NoTypedValueFailsACheckAndRefusalsChangeNothing) {
    sweep::SweepWorld& world = sweep::SweepWorld::get();
    const auto start = std::chrono::steady_clock::now();
    sweep::Outcome all;
    std::map<std::string, int> classes;
    std::multimap<double, std::string> longest;  // seconds per target
    long entries = 0;
    for (size_t i = GetParam(); i < world.targets.size(); i += kShards) {
        const sweep::Target& t = world.targets[i];
        ++classes[t.className];
        std::map<int, int> perEntry;
        for (const sweep::Case& c : t.cases)
            ++perEntry[c.entry];
        entries += static_cast<long>(perEntry.size());
        const auto begin = std::chrono::steady_clock::now();
        all.add(sweep::runCases(world.root(), t, t.cases));
        longest.emplace(secondsSince(begin), t.className + " (" + std::to_string(t.cases.size()) + " values)");
    }
    char what[96];
    std::snprintf(what, sizeof what, "property sweep shard %d: %zu classes, %ld entries", GetParam(), classes.size(),
                  entries);
    report(what, all, secondsSince(start));
    int shown = 0;
    for (auto it = longest.rbegin(); it != longest.rend() && shown++ < 3; ++it)
        std::printf("  longest target: %s %.1f s\n", it->second.c_str(), it->first);
    EXPECT_GT(all.written, 0);
    EXPECT_GT(all.refused, 0);
}

INSTANTIATE_TEST_SUITE_P(Shards, PropertySweep, testing::Range(0, kShards));

TEST(PropertySweepVariants, EveryVariantSwitchesThereAndBack) {
    sweep::SweepWorld& world = sweep::SweepWorld::get();
    const auto start = std::chrono::steady_clock::now();
    sweep::Outcome all;
    std::map<std::string, int> classes;
    for (const sweep::Target& t : world.targets) {
        const std::vector<sweep::Case> cases = sweep::variantCases(world.root(), t);
        if (cases.empty())
            continue;
        ++classes[t.className];
        all.add(sweep::runCases(world.root(), t, cases));
    }
    char what[64];
    std::snprintf(what, sizeof what, "variant sweep: %zu classes", classes.size());
    report(what, all, secondsSince(start));
    for (const char* name : {"TypEstCourt", "TypRooSimple", "TypRooStairsAroundWalls", "TypRooRoofCourtTiled",
                             "TypLinWallSimple", "TypLinOpeningSimple", "TypLinBanister"})
        EXPECT_GT(classes[name], 0) << name;
}
