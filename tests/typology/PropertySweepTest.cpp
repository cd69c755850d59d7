// Every parameter of every live description of a real quarter, typed as a
// person might: numbers that are not finite, negative, zero, huge, empty,
// letters, and the ends of the entry's range. A value is either refused (the
// value and the grown subtree stay exactly as they were) or written, and then
// the subtree grows again without a failed check. Putting the old value back
// must grow the same subtree as before.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Assert.h"
#include "core/Desc.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"
#include "typology/World.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"

#include "TypologyTestSupport.h"

namespace {

// The town nearest the municipality's centre, where the population is dense;
// an urban quarter before a rustic one.
bool better(const Desc& parent, const Desc& a, const Desc& b) {
    if (auto* qa = dynamic_cast<const TypQua*>(&a))
        return qa->urban && !dynamic_cast<const TypQua&>(b).urban;
    const auto* ta = dynamic_cast<const TypTow*>(&a);
    const auto* tb = dynamic_cast<const TypTow*>(&b);
    if (!ta || !tb)
        return false;
    const auto distance = [&](const TypTow& t) {
        return (t.transform.transformPoint(t.centre) - parent.centre).length();
    };
    return distance(*ta) < distance(*tb);
}

// Grows what the sweep looks at: one chain from the root down to an urban
// quarter of the central town, then all of that quarter's blocks and all
// their estates, whose buildings are made but not grown.
void grow(Desc& d) {
    d.refine(kModelView);
    if (dynamic_cast<TypEst*>(&d))
        return;
    const bool all = dynamic_cast<TypQua*>(&d) || dynamic_cast<TypBlo*>(&d);
    Desc* chosen = nullptr;
    for (int i = 0; i < d.childCount(); ++i) {
        auto* c = dynamic_cast<Desc*>(d.child(i));
        if (!c || !dynamic_cast<DescPolyLand*>(c))
            continue;
        if (all) {
            grow(*c);
        } else if (!chosen || better(d, *c, *chosen)) {
            chosen = c;
        }
    }
    if (chosen)
        grow(*chosen);
}

// What the property window does after a change, then the growth again.
void regrow(Desc& d) {
    d.releaseImpostor();
    d.releaseChildren();
    d.renderHandle.reset();
    d.fitToTerrain();
    grow(d);
}

uint64_t mix(uint64_t h, uint64_t v) { return (h ^ v) * 1099511628211ull; }

// Class, seed, points and children of the whole subtree.
uint64_t fingerprint(const Drawable& d) {
    uint64_t h = 1469598103934665603ull;
    for (const char* c = d.className().name; *c; ++c)
        h = mix(h, static_cast<uint8_t>(*c));
    h = mix(h, d.seed);
    if (auto* p = dynamic_cast<const DescPoly*>(&d))
        for (const Point& q : p->poly.points()) {
            uint32_t x, y;
            std::memcpy(&x, &q.x, 4);
            std::memcpy(&y, &q.y, 4);
            h = mix(mix(mix(h, x), y), q.limit);
        }
    if (auto* desc = dynamic_cast<const Desc*>(&d)) {
        h = mix(h, static_cast<uint64_t>(desc->childCount()));
        for (int i = 0; i < desc->childCount(); ++i)
            h = mix(h, fingerprint(*desc->child(i)));
    }
    return h;
}

using Path = std::vector<int>;

Desc* at(Desc& root, const Path& path) {
    Desc* d = &root;
    for (int i : path) {
        if (!d || i >= d->childCount())
            return nullptr;
        d = dynamic_cast<Desc*>(d->child(i));
    }
    return d;
}

// The grown descriptions: every one down to the blocks, and of the estates
// and buildings the first two of each class.
void collect(Desc& d, Path& path, std::map<std::string, int>& perClass, std::vector<Path>& out) {
    const bool sampled = dynamic_cast<TypEst*>(&d) || !dynamic_cast<DescPolyLand*>(&d);
    if (!sampled || perClass[d.className().name]++ < 2)
        out.push_back(path);
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<Desc*>(d.child(i)); c && dynamic_cast<DescPoly*>(c)) {
            path.push_back(i);
            collect(*c, path, perClass, out);
            path.pop_back();
        }
}

std::string describe(const Desc& d, const std::string& entry, const std::string& value) {
    return std::string(d.className().name) + " \"" + entry + "\" := \"" + value + "\"";
}

}  // namespace

TEST(PropertySweep, NoTypedValueFailsACheckAndRefusalsChangeNothing) {
    auto world = buildWorld();
    grow(*world);
    std::vector<Path> targets;
    std::map<std::string, int> perClass;
    Path path;
    collect(*world, path, perClass, targets);
    ASSERT_GT(targets.size(), 20u);

    int written = 0, refused = 0;
    std::map<std::string, int> classes;
    for (const Path& p : targets) {
        Desc* target = at(*world, p);
        ASSERT_NE(target, nullptr);
        ++classes[target->className().name];
        // Buildings were made but not grown: grow each target as the sweep will.
        regrow(*target);
        const uint64_t before = fingerprint(*target);
        ParameterList names;
        target->declareParameters(names);
        int pointLimits = 0;
        for (int i = 0; i < names.count(); ++i) {
            if (!names.record(i))
                continue;
            const std::string entry = names.name(i);
            // Of the many point limits, the first three.
            if (entry.find(".p[") != std::string::npos && ++pointLimits > 3)
                continue;
            std::vector<std::string> values = {"nan", "inf", "-1", "0", "1e30", "", "abc"};
            ValueRange range;
            if (names.record(i)->range(range)) {
                char text[64];
                std::snprintf(text, sizeof text, "%.9g", range.min);
                values.push_back(text);
                std::snprintf(text, sizeof text, "%.9g", range.max);
                values.push_back(text);
            }
            for (const std::string& value : values) {
                ParameterList list;
                target->declareParameters(list);
                Parameter* record = list.record(i);
                ASSERT_NE(record, nullptr);
                const std::string saved = record->saveValue();
                const std::string why = list.edit(i, value.c_str());
                try {
                    regrow(*target);
                } catch (const AssertException& e) {
                    ADD_FAILURE() << describe(*target, entry, value) << " failed " << e.source() << " "
                                  << e.line();
                }
                if (!why.empty()) {
                    ++refused;
                    EXPECT_EQ(record->saveValue(), saved) << describe(*target, entry, value);
                    EXPECT_EQ(fingerprint(*target), before) << describe(*target, entry, value) << ": " << why;
                    continue;
                }
                ++written;
                record->restoreValue(saved);
                regrow(*target);
                ASSERT_EQ(fingerprint(*target), before) << "after putting back " << describe(*target, entry, value);
            }
        }
    }
    std::printf("property sweep: %zu descriptions, %d values written, %d refused\n", targets.size(), written,
                refused);
    // Every level of the town was swept.
    for (const char* name : {"TypRegIrregular", "TypMunIrregular", "TypTowIrregular", "TypQuaIrregular",
                             "TypBloIrregular", "TypEstCourt", "TypBuiCourt"})
        EXPECT_GT(classes[name], 0) << name;
    EXPECT_GT(written, 100);
    EXPECT_GT(refused, 100);
}
