#include "tools/tour/FrameQuantiles.h"

#include <algorithm>
#include <cmath>

#include "tools/tour/TourBreakdown.h"

namespace {

// Bucket 0 holds everything up to kLowest; bucket i > 0 holds
// (kLowest r^(i-1), kLowest r^i].
const size_t kBuckets =
    2 + static_cast<size_t>(std::ceil(std::log(FrameQuantiles::kHighest / FrameQuantiles::kLowest) /
                                      std::log(FrameQuantiles::kBucketRatio)));

}  // namespace

size_t FrameQuantiles::bucketOf(double value) {
    if (!(value > kLowest))
        return 0;
    const double i = std::ceil(std::log(value / kLowest) / std::log(kBucketRatio));
    return std::min(kBuckets - 1, static_cast<size_t>(std::max(1.0, i)));
}

double FrameQuantiles::upperEdge(size_t bucket) {
    return kLowest * std::pow(kBucketRatio, static_cast<double>(bucket));
}

void FrameQuantiles::count(double value) { ++buckets_[bucketOf(value)]; }

void FrameQuantiles::add(double value) {
    if (!std::isfinite(value) || value < 0)
        value = 0;
    ++count_;
    sum_ += value;
    max_ = std::max(max_, value);
    if (!buckets_.empty()) {
        count(value);
        return;
    }
    exact_.push_back(value);
    if (exact_.size() <= kExact)
        return;
    buckets_.assign(kBuckets, 0);
    for (double v : exact_)
        count(v);
    std::vector<double>().swap(exact_);
}

double FrameQuantiles::quantile(double p) const {
    if (buckets_.empty())
        return TourBreakdown::percentile(exact_, p);
    const double rank = std::max(1.0, std::ceil(p * static_cast<double>(count_)));
    if (rank >= static_cast<double>(count_))
        return max_;
    double below = 0;
    // The last bucket is open above: its values are known only by the largest.
    for (size_t i = 0; i + 1 < buckets_.size(); ++i) {
        below += buckets_[i];
        if (below >= rank)
            return std::min(max_, upperEdge(i));
    }
    return max_;
}
