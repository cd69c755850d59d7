#include "core/Vector.h"

#include <gtest/gtest.h>

#include "core/Assert.h"

namespace {

constexpr float kPi = 3.14159265358979f;

void expectNear(const Vector& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

void expectIdentity(const Matrix44& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(m(r, c), r == c ? 1.0f : 0.0f, 1e-5f) << r << "," << c;
}

Matrix44 sample() {
    Matrix44 m;
    const float values[16] = {2, 0.5f, 0, 3, -1, 1, 4, -2, 0.25f, 0, 1.5f, 7, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        m.m[i] = values[i];
    return m;
}

}  // namespace

TEST(Vector2, OperationsAndPerpendicular) {
    const Vec2 a(3, 4), b(-1, 2);
    EXPECT_EQ(a + b, Vec2(2, 6));
    EXPECT_EQ(a - b, Vec2(4, 2));
    EXPECT_EQ(a * 2, Vec2(6, 8));
    EXPECT_FLOAT_EQ(a.dot(b), 5);
    EXPECT_FLOAT_EQ(a.length(), 5);
    EXPECT_EQ(a.perpendicular(), Vec2(-4, 3));
    EXPECT_FLOAT_EQ(a.cross(b), 10);
    Vec2 out;
    perpendicular(a, out);
    EXPECT_EQ(out, Vec2(-4, 3));
}

TEST(Vector2, PerpendicularIntoItsOwnSourceAsserts) {
    Vec2 v(1, 2);
    try {
        perpendicular(v, v);
        FAIL() << "no assertion";
    } catch (const AssertException& e) {
        EXPECT_EQ(e.source(), "core/Vector");
    }
}

TEST(Vector3, CrossAndNormalized) {
    expectNear(Vector(1, 0, 0).cross(Vector(0, 1, 0)), 0, 0, 1);
    expectNear(Vector(0, 3, 4).normalized(), 0, 0.6f, 0.8f);
    EXPECT_EQ(Vector().normalized(), Vector());
}

TEST(Matrix, TransformsApplyRowByRowToColumnVectors) {
    const Matrix44 t = Matrix44::translation(1, 2, 3);
    expectNear(t.transformPoint({1, 1, 1}), 2, 3, 4);
    expectNear(t.transformDirection({1, 1, 1}), 1, 1, 1);
    EXPECT_EQ(t.translationPart(), Vector(1, 2, 3));
    // A quarter turn about y takes x to -z.
    const Matrix44 r = Matrix44::rotationY(kPi / 2);
    expectNear(r.transformPoint({1, 0, 0}), 0, 0, -1);
    expectNear(r.transformPoint({0, 0, 1}), 1, 0, 0);
    Matrix34 m;
    m.m[3] = 5;
    m.m[11] = -2;
    expectNear(m.transform({1, 2, 3}), 6, 2, 1);
    const Vec2 plane = m.transformPlane({1, 3});
    EXPECT_FLOAT_EQ(plane.x, 6);
    EXPECT_FLOAT_EQ(plane.y, 1);
}

TEST(Matrix, MultiplyAppliesTheRightFactorFirst) {
    const Matrix44 t = Matrix44::translation(10, 0, 0);
    const Matrix44 r = Matrix44::rotationY(kPi / 2);
    // Rotate first, then translate.
    expectNear((t * r).transformPoint({1, 0, 0}), 10, 0, -1);
    // Translate first, then rotate.
    expectNear((r * t).transformPoint({1, 0, 0}), 0, 0, -11);
    // Against a hand-computed product.
    const Matrix44 a = sample();
    const Matrix44 p = a * t;
    EXPECT_FLOAT_EQ(p(0, 3), 2 * 10 + 3);
    EXPECT_FLOAT_EQ(p(1, 3), -1 * 10 - 2);
    EXPECT_FLOAT_EQ(p(2, 3), 0.25f * 10 + 7);
    EXPECT_EQ(a * Matrix44::identity(), a);
    EXPECT_EQ(Matrix44::identity() * a, a);
    EXPECT_FLOAT_EQ(a.transposed()(0, 1), a(1, 0));
}

TEST(Matrix, InverseUndoesTheTransform) {
    const Matrix44 a = sample();
    const Matrix44 inv = a.inverse();
    expectIdentity(a * inv);
    expectIdentity(inv * a);
    const Matrix44 place = Matrix44::translation(4, 5, 6) * Matrix44::rotationY(0.7f);
    const Vector p(1.5f, -2, 3);
    const Vector q = place.inverse().transformPoint(place.transformPoint(p));
    expectNear(q, p.x, p.y, p.z);
    // A singular matrix gives the identity.
    Matrix44 flat;
    flat.m[5] = 0;
    EXPECT_EQ(flat.inverse(), Matrix44::identity());
}
