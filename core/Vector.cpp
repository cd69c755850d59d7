#include "core/Vector.h"

#include "core/Assert.h"

Vector Vector::normalized() const {
    const float len = length();
    return len > 0 ? Vector(x / len, y / len, z / len) : Vector();
}

void perpendicular(const Vec2& src, Vec2& dst) {
    CALLI_ASSERT(&src != &dst);
    dst.x = -src.y;
    dst.y = src.x;
}

Vector Matrix34::transform(const Vector& p) const {
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3],
            m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
            m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}

Vec2 Matrix34::transformPlane(const Vec2& p) const {
    return {m[0] * p.x + m[2] * p.y + m[3], m[8] * p.x + m[10] * p.y + m[11]};
}

Matrix44 Matrix44::translation(float x, float y, float z) {
    Matrix44 r;
    r.m[3] = x;
    r.m[7] = y;
    r.m[11] = z;
    return r;
}

Matrix44 Matrix44::rotationY(float angle) {
    Matrix44 r;
    const float c = std::cos(angle), s = std::sin(angle);
    r.m[0] = c;
    r.m[2] = s;
    r.m[8] = -s;
    r.m[10] = c;
    return r;
}

Matrix44 Matrix44::operator*(const Matrix44& o) const {
    Matrix44 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += m[i * 4 + k] * o.m[k * 4 + j];
            r.m[i * 4 + j] = s;
        }
    return r;
}

Vector Matrix44::transformPoint(const Vector& p) const {
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3],
            m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
            m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}

Vector Matrix44::transformDirection(const Vector& d) const {
    return {m[0] * d.x + m[1] * d.y + m[2] * d.z,
            m[4] * d.x + m[5] * d.y + m[6] * d.z,
            m[8] * d.x + m[9] * d.y + m[10] * d.z};
}

Matrix44 Matrix44::transposed() const {
    Matrix44 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i * 4 + j] = m[j * 4 + i];
    return r;
}

Matrix44 Matrix44::inverse() const {
    // Gauss-Jordan elimination with partial pivoting, in double for headroom.
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            a[i][j] = m[i * 4 + j];
            a[i][j + 4] = i == j ? 1.0 : 0.0;
        }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c]))
                pivot = r;
        if (std::fabs(a[pivot][c]) < 1e-12)
            return identity();
        if (pivot != c)
            for (int j = 0; j < 8; ++j)
                std::swap(a[c][j], a[pivot][j]);
        const double inv = 1.0 / a[c][c];
        for (int j = 0; j < 8; ++j)
            a[c][j] *= inv;
        for (int r = 0; r < 4; ++r)
            if (r != c) {
                const double f = a[r][c];
                for (int j = 0; j < 8; ++j)
                    a[r][j] -= f * a[c][j];
            }
    }
    Matrix44 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i * 4 + j] = static_cast<float>(a[i][j + 4]);
    return r;
}
