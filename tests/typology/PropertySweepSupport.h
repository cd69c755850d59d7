#pragma once
// The property sweep's machinery. One real quarter (the one the tour's
// census grows) is grown to its leaves; of every class in it, and of the
// descriptions above it down from the root, up to three are the targets.
// Every editable entry of a target is given typed values (not finite,
// negative, zero, huge, empty, letters, the range's ends, and values the
// generator itself made for that entry in the quarter) through the
// Properties window's own edit path; as there, a refused value changes
// nothing and a written one makes the target grow again, and is then put
// back. Each target's cases run in a forked child, so that a crash or a
// hang names its case and the sweep goes on with the next one.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Vector.h"

class Desc;
class Drawable;
class Parameter;
class TypRegIrregular;

namespace sweep {

// Where the tour's start view meets the ground (world x, z): the quarter
// its census grows.
inline constexpr float kCensusX = 1957.1f, kCensusZ = 1353.4f;

// A description's place in the tree: child indices from the root.
using Path = std::vector<int>;
Desc* at(Desc& root, const Path& path);

// Class, seed, points, lines and children of the whole subtree.
uint64_t fingerprint(const Drawable& d);

// Why some coordinate, bound or drawn number of d's subtree is not finite:
// the first one found, or empty.
std::string nonFinite(Desc& d);

// The entries a sweep types into: every one with a value of its own but the
// polygon editor, whose text is ignored.
bool swept(const Parameter* p);

// One case: a typed value for entry `entry`, or a switch to variant
// `variant` and back.
struct Case {
    int entry = -1;
    std::string name;  // the entry's name
    std::string value;
    int variant = -1;
    std::string describe() const;
};

struct Target {
    Path path;
    std::string className;
    bool belowQuarter = false;  // below the quarter: its regrows are timed against kSlowRegrowMs
    // Estates and what lies below them grow to their leaves; a block grows
    // its estates, the quarter its blocks and their estates, and above the
    // quarter the chain through the census point down to it (a quarter grown
    // to its leaves takes seconds, a block a third of one).
    bool toLeaves = false;
    std::vector<Case> cases;
};

// What the cases of some targets came to.
struct Outcome {
    long tried = 0, written = 0, refused = 0;
    long regrows = 0, slowRegrows = 0;  // slow: over kSlowRegrowMs, below the quarter
    double slowestMs = 0;
    std::string slowest;
    std::vector<std::string> failures;
    std::vector<std::string> slow;   // the slow regrows below the quarter, with their times
    std::vector<std::string> notes;  // values typed back after a variant switch
    void add(const Outcome& o);
};

// A regrow below a quarter should take less than this; the sweep reports
// those that do not.
constexpr double kSlowRegrowMs = 2000;
// A case that gives no answer for this long hangs (ten times a slow regrow).
constexpr int kCaseLimitMs = 20000;

// The world with the census quarter grown to its leaves, made once per
// process, and the targets with their value cases.
class SweepWorld {
public:
    static SweepWorld& get();

    Desc& root();
    std::vector<Target> targets;
    // Generated values that their own entry refuses: "<class> <entry> <value>: <why>".
    std::vector<std::string> ownValuesRefused;
    long descriptions = 0;  // in the quarter and above it
    std::map<std::string, int> classes;  // descriptions per class

private:
    SweepWorld();
    std::unique_ptr<TypRegIrregular> world_;
};

// Runs the cases of target in a forked child that starts from the world as
// it is here (after a crash or a hang, a new one goes on from the next
// case); the world here is left as it was.
Outcome runCases(Desc& root, const Target& target, const std::vector<Case>& cases);

// Variant cases of target: one per variant other than its own; empty when it
// declares none.
std::vector<Case> variantCases(Desc& root, const Target& target);

}  // namespace sweep
