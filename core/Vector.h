#pragma once
// Value types of the geometry: 3-D vectors, 2-D vectors and the 3x4 / 4x4
// matrices. Matrices are stored row by row and applied to column vectors; the
// translation of a 4x4 matrix is elements 3, 7 and 11. World y is up; a plane
// point (x, y) stands for the world point (x, level, y). Lengths in metres.
#include <cmath>

struct Vector {
    float x = 0, y = 0, z = 0;

    constexpr Vector() = default;
    constexpr Vector(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector operator+(const Vector& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector operator-(const Vector& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector operator*(float s) const { return {x * s, y * s, z * s}; }
    float dot(const Vector& o) const { return x * o.x + y * o.y + z * o.z; }
    Vector cross(const Vector& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    float length() const { return std::sqrt(x * x + y * y + z * z); }
    // Unit vector; a zero vector stays zero.
    Vector normalized() const;
    bool operator==(const Vector&) const = default;
};

struct Vec2 {
    float x = 0, y = 0;

    constexpr Vec2() = default;
    constexpr Vec2(float x_, float y_) : x(x_), y(y_) {}

    Vec2 operator+(const Vec2& o) const { return {x + o.x, y + o.y}; }
    Vec2 operator-(const Vec2& o) const { return {x - o.x, y - o.y}; }
    Vec2 operator*(float s) const { return {x * s, y * s}; }
    float dot(const Vec2& o) const { return x * o.x + y * o.y; }
    // z of the 3-D cross product: positive when o turns left from this.
    float cross(const Vec2& o) const { return x * o.y - y * o.x; }
    float length() const { return std::sqrt(x * x + y * y); }
    // (x, y) -> (-y, x): a quarter turn to the left.
    Vec2 perpendicular() const { return {-y, x}; }
    bool operator==(const Vec2&) const = default;
};

// Writes the perpendicular of src into dst; dst must not be src (the result
// would read its own half-written output).
void perpendicular(const Vec2& src, Vec2& dst);

struct Matrix34 {
    float m[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

    Vector transform(const Vector& p) const;
    // Plane point through the x and z rows: (x, y) -> (row0 . (x, 0, y, 1), row2 . (x, 0, y, 1)).
    Vec2 transformPlane(const Vec2& p) const;
};

struct Matrix44 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static Matrix44 identity() { return {}; }
    static Matrix44 translation(float x, float y, float z);
    // Right-handed rotation about the world y axis by angle (radians).
    static Matrix44 rotationY(float angle);
    float& operator()(int row, int col) { return m[row * 4 + col]; }
    float operator()(int row, int col) const { return m[row * 4 + col]; }
    // this * o: o is applied first.
    Matrix44 operator*(const Matrix44& o) const;
    Vector transformPoint(const Vector& p) const;   // w = 1, no division
    Vector transformDirection(const Vector& d) const;  // w = 0
    // Third row applied to (p, 1): the view-space depth for a model-view matrix.
    float depthOf(const Vector& p) const { return m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]; }
    Matrix44 transposed() const;
    // General inverse; a singular matrix gives the identity.
    Matrix44 inverse() const;
    Vector translationPart() const { return {m[3], m[7], m[11]}; }
    bool operator==(const Matrix44&) const = default;
};
