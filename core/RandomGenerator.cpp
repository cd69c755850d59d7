#include "core/RandomGenerator.h"

#include <cstdlib>

namespace {
constexpr int32_t kBig = 1000000000;
constexpr int32_t kSeed = 161803398;
}

void RandomGenerator::seed_(int32_t s, int discard) {
    const int64_t diff = static_cast<int64_t>(kSeed) - s;
    int32_t mj = static_cast<int32_t>((diff < 0 ? -diff : diff) % kBig);
    mj_ = mj;
    table_[55] = mj;
    int32_t mk = 1;
    for (int i = 1; i <= 54; ++i) {
        const int ii = (21 * i) % 55;
        table_[ii] = mk;
        mk = mj - mk;
        if (mk < 0)
            mk += kBig;
        mj = table_[ii];
    }
    for (int k = 1; k <= 4; ++k)
        for (int i = 1; i <= 55; ++i) {
            table_[i] -= table_[1 + (i + 30) % 55];
            if (table_[i] < 0)
                table_[i] += kBig;
        }
    inext_ = 0;
    inextp_ = 31;
    for (int i = 0; i < discard; ++i)
        next();
}

int32_t RandomGenerator::next() {
    if (++inext_ == 56)
        inext_ = 1;
    if (++inextp_ == 56)
        inextp_ = 1;
    int32_t value = table_[inext_] - table_[inextp_];
    if (value < 0)
        value += kBig;
    table_[inext_] = value;
    return value;
}

RandomGenerator& RandomGenerator::generation() {
    static RandomGenerator instance(0);
    return instance;
}

RandomGenerator& RandomGenerator::collapse() {
    static RandomGenerator instance(0);
    return instance;
}

RandomGenerator& RandomGenerator::navigation() {
    static RandomGenerator instance(0);
    return instance;
}

RandomGenerator& RandomGenerator::textureOffset() {
    // Seeded once at start-up with ten discards; materials reseed it per drawable.
    static RandomGenerator instance = [] {
        RandomGenerator r;
        r.seed_(kSeed, 10);
        return r;
    }();
    return instance;
}
