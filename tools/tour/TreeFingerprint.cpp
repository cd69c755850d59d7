#include "tools/tour/TreeFingerprint.h"

#include <cstring>

#include "core/Desc.h"

namespace {

class Fnv1a {
public:
    void bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) {
            hash_ ^= p[i];
            hash_ *= 1099511628211ull;
        }
    }
    template <class T>
    void value(const T& v) {
        bytes(&v, sizeof v);
    }
    void text(const char* s) { bytes(s, std::strlen(s) + 1); }
    uint64_t hash() const { return hash_; }

private:
    uint64_t hash_ = 14695981039346656037ull;
};

int pointCount(const Desc& d) {
    if (auto* poly = dynamic_cast<const DescPoly*>(&d))
        return poly->poly.count();
    if (dynamic_cast<const DescLine*>(&d))
        return 2;
    return 0;
}

void hashDesc(const Desc& d, Fnv1a& h) {
    h.text(d.className().name);
    h.value(d.seed);
    h.value(d.childCount());
    if (auto* poly = dynamic_cast<const DescPoly*>(&d)) {
        h.value(poly->poly.count());
        for (const Point& p : poly->poly.points()) {
            h.value(p.x);
            h.value(p.y);
            h.value(p.limit);
        }
    } else if (auto* line = dynamic_cast<const DescLine*>(&d)) {
        const Line& l = line->line;
        for (float v : {l.x0, l.y0, l.x1, l.y1, l.width})
            h.value(v);
        h.value(l.limit);
    }
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<const Desc*>(d.child(i)))
            hashDesc(*c, h);
}

void dump(const Desc& d, int depth, int maxDepth, std::FILE* out) {
    std::fprintf(out, "%*s%s seed=%u points=%d children=%d\n", depth * 2, "", d.className().name, d.seed,
                 pointCount(d), d.childCount());
    if (depth >= maxDepth)
        return;
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<const Desc*>(d.child(i)))
            dump(*c, depth + 1, maxDepth, out);
}

}  // namespace

uint64_t treeFingerprint(const Desc& root) {
    Fnv1a h;
    hashDesc(root, h);
    return h.hash();
}

void dumpTree(const Desc& root, int maxDepth, std::FILE* out) { dump(root, 0, maxDepth, out); }
