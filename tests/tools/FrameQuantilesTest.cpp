// The tour's bounded per-frame figures: exact while short, within 1 % once
// bucketed, and flat in memory however long the flight.
#include "tools/tour/FrameQuantiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tools/tour/TourBreakdown.h"

TEST(FrameQuantiles, ShortFlightsGiveTheExactPercentilesAndLongOnesStayWithinOnePercent) {
    std::mt19937 random(7);
    // Frame times as a flight has them: mostly a few milliseconds, a long
    // tail of slow frames, some zeros.
    std::lognormal_distribution<double> ms(1.0, 1.2);
    FrameQuantiles q;
    std::vector<double> all;
    for (size_t i = 0; i < 200000; ++i) {
        const double v = i % 97 == 0 ? 0.0 : ms(random);
        q.add(v);
        all.push_back(v);
        if (i + 1 == FrameQuantiles::kExact) {
            ASSERT_FALSE(q.bucketed());
            for (double p : {0.01, 0.5, 0.9, 0.99, 1.0})
                EXPECT_EQ(q.quantile(p), TourBreakdown::percentile(all, p)) << p;
        }
    }
    ASSERT_TRUE(q.bucketed());
    EXPECT_EQ(q.count(), all.size());
    double sum = 0;
    for (double v : all)
        sum += v;
    EXPECT_NEAR(q.sum(), sum, 1e-9 * sum);
    EXPECT_EQ(q.max(), TourBreakdown::percentile(all, 1.0));
    EXPECT_EQ(q.quantile(1.0), q.max());
    for (double p : {0.005, 0.25, 0.5, 0.9, 0.99, 0.999}) {
        const double exact = TourBreakdown::percentile(all, p);
        const double got = q.quantile(p);
        EXPECT_GE(got, exact * (1 - 1e-12)) << p;
        // Within a bucket's width, or within the lowest bucket for values near 0.
        EXPECT_LE(got, std::max(exact * FrameQuantiles::kBucketRatio * (1 + 1e-12), FrameQuantiles::kLowest)) << p;
    }
}

TEST(FrameQuantiles, ValuesThatAreNotTimesCountAsZeroAndExtremesStayInTheEndBuckets) {
    FrameQuantiles q;
    for (double v : {-1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
        q.add(v);
    EXPECT_EQ(q.count(), 3u);
    EXPECT_EQ(q.sum(), 0.0);
    EXPECT_EQ(q.quantile(1.0), 0.0);
    for (size_t i = 0; i < FrameQuantiles::kExact; ++i)
        q.add(i % 2 ? 1e-9 : 1e12);
    ASSERT_TRUE(q.bucketed());
    EXPECT_EQ(q.max(), 1e12);
    EXPECT_EQ(q.quantile(1.0), 1e12);
    EXPECT_LE(q.quantile(0.25), FrameQuantiles::kLowest);
    EXPECT_TRUE(std::isfinite(q.quantile(0.75)));
    EXPECT_GE(q.quantile(0.75), FrameQuantiles::kHighest);
    FrameQuantiles none;
    EXPECT_EQ(none.quantile(0.5), 0.0);
}
