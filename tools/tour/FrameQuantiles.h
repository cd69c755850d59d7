#pragma once
// One per-frame figure of a flight (milliseconds, or any value >= 0) in
// bounded memory, however long the flight. The values themselves are kept
// while there are at most kExact of them, so that short flights report exact
// quantiles; beyond that they are counted in buckets 1 % wide (in the manner
// of an HDR histogram), whose quantiles lie within 1 % of the exact ones.
// Count, sum and largest value are always exact.
#include <cstddef>
#include <cstdint>
#include <vector>

class FrameQuantiles {
public:
    static constexpr size_t kExact = 8192;
    // Buckets cover kLowest to kHighest; values beyond fall into the end buckets.
    static constexpr double kLowest = 1e-4;
    static constexpr double kHighest = 1e7;
    static constexpr double kBucketRatio = 1.01;

    // Negative and non-finite values count as 0 (a clock read backwards).
    void add(double value);
    size_t count() const { return count_; }
    double sum() const { return sum_; }
    double max() const { return max_; }
    // The smallest value with at least p of the values at or below it
    // (0 < p <= 1), as TourBreakdown::percentile; 0 when there are none.
    // Past kExact values: the upper edge of that value's bucket, at most max().
    double quantile(double p) const;
    // True once the values are counted in buckets.
    bool bucketed() const { return !buckets_.empty(); }

private:
    static size_t bucketOf(double value);
    static double upperEdge(size_t bucket);
    void count(double value);

    std::vector<double> exact_;      // the values, while at most kExact
    std::vector<uint32_t> buckets_;  // empty while exact
    size_t count_ = 0;
    double sum_ = 0;
    double max_ = 0;
};
