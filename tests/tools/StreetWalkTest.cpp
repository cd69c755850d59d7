// The tour's street walk: on the quarter of the start view it follows the
// street pieces the estates lay (so it never stands in a building or a
// court), sets off as the start camera looks and turns at crossings.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/Desc.h"
#include "core/Graph.h"
#include "tools/tour/Census.h"
#include "tools/tour/StreetWalk.h"
#include "tools/tour/TourPath.h"
#include "typology/World.h"
#include "typology/building/TypBuiStreet.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"

namespace {

// Every description from d down to its estates' children refined.
void growToStreets(Desc& d, int depth) {
    d.refine(Matrix44::identity());
    if (depth == 0)
        return;
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<Desc*>(d.child(i)))
            growToStreets(*c, depth - 1);
}

}  // namespace

TEST(StreetWalk, FollowsTheStreetPiecesOfTheStartQuarter) {
    std::unique_ptr<Desc> world;
    TypRegIrregular* root = buildWorld(world);
    const Vec2 point = censusPoint(root->land, nullptr);
    const Vector forward = TourPath::kStartTarget - TourPath::kStartEye;
    const StreetPieces pieces = quarterStreetPieces(*world, point);
    ASSERT_GT(pieces.pieces.size(), 20u);
    const std::vector<Vec2> route = walkStreets(pieces, point, {forward.x, forward.z});
    ASSERT_GE(route.size(), 3u);
    // It sets off the way the start camera looks.
    EXPECT_GT((route[1] - route[0]).dot({forward.x, forward.z}), 0.0f);

    Matrix44 frame;
    TypQuaIrregular* quarter = findQuarter(*world, point.x, point.y, frame);
    ASSERT_NE(quarter, nullptr);
    // Quarter, blocks, estates: the estates lay the street pieces.
    growToStreets(*quarter, 2);
    std::vector<TypBuiStreet*> streets;
    collectStreets(*quarter, streets);
    ASSERT_FALSE(streets.empty());
    const Matrix44 toQuarter = frame.inverse();

    int inside = 0, onStreet = 0;
    float length = 0;
    for (size_t i = 0; i + 1 < route.size(); ++i) {
        const Vec2 a = route[i], b = route[i + 1];
        const float l = (b - a).length();
        length += l;
        for (float s = 0; s < l; s += 2.0f) {
            const Vec2 p = a + (b - a) * (s / l);
            const Vector q = toQuarter.transformPoint({p.x, 0, p.y});
            EXPECT_TRUE(quarter->poly.containsPoint(q.x, q.z)) << p.x << "," << p.y;
            ++inside;
            // The middle of a street is where the pieces of either side meet:
            // a step to one side or the other is on a piece.
            const Vec2 n = Vec2(a.y - b.y, b.x - a.x) * (0.3f / l);
            bool found = false;
            for (const Vec2& side : {p + n, p - n}) {
                const Vector r = toQuarter.transformPoint({side.x, 0, side.y});
                for (TypBuiStreet* street : streets)
                    found = found || street->poly.containsPoint(r.x, r.z);
            }
            onStreet += found;
            if (!found)
                ADD_FAILURE() << "off the streets at " << p.x << "," << p.y << " (leg " << i << ")";
        }
    }
    EXPECT_GT(inside, 200);
    EXPECT_EQ(onStreet, inside);
    EXPECT_GE(length, streetwalk::kLength);

    // It turns at crossings: legs of some length meeting at 45 to 145 degrees.
    int turns = 0;
    Vec2 previous;
    for (size_t i = 0; i + 1 < route.size(); ++i) {
        const Vec2 d = route[i + 1] - route[i];
        if (d.length() < 3.0f)
            continue;
        const Vec2 u = d * (1.0f / d.length());
        if (previous.length() > 0) {
            const float turn = std::atan2(previous.cross(u), previous.dot(u));
            turns += std::fabs(turn) > 0.8f && std::fabs(turn) < 2.5f;
        }
        previous = u;
    }
    EXPECT_GE(turns, 2);
    destroyWorld(world);
}
