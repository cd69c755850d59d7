#pragma once
// The tour's built-in camera path: it starts at the main window's initial
// camera, climbs to look over the town, descends over its centre and flies on
// at rooftop height. Positions are world metres (y up); heights near the
// ground follow the terrain under the camera.
#include <utility>
#include <vector>

#include "core/Vector.h"

class Terrain;

// The main window's projection: 45 degrees across, near 1 m, far 10001 m.
Matrix44 windowProjection(int width, int height);

class TourPath {
public:
    // The main window's initial camera.
    static constexpr Vector kStartEye{1969, 29, 1417};
    static constexpr Vector kStartTarget{168, -1953, -8217};
    // Height of the camera above the ground while flying over the roofs (metres).
    static constexpr float kRooftopHeight = 80.0f;

    // Eye height of the street walk above the ground (metres).
    static constexpr float kWalkHeight = 1.7f;
    // How far ahead along the route the street walk looks (metres).
    static constexpr float kLookAhead = 12.0f;

    // ground: the world's land reference (not owned; null: flat ground at 0).
    explicit TourPath(const Terrain* ground) : ground_(ground) {}
    // The street walk: along the route (world x, z, an open line) from its
    // first point to its last at walking height, looking ahead along it.
    // Fewer than 2 points: the default path.
    TourPath(const Terrain* ground, std::vector<Vec2> route) : ground_(ground), route_(std::move(route)) {}

    // A camera that stays at eye, looking at target, on every frame.
    TourPath(const Vector& eye, const Vector& target)
        : ground_(nullptr), fixed_(true), fixedEye_(eye), fixedTarget_(target) {}

    // Camera at t in [0, 1] along the path: eye and a point it looks at.
    void at(float t, Vector& eye, Vector& target) const;
    // The view matrix for frame i of n (the whole path is flown whatever n is).
    Matrix44 view(int frame, int frames) const;

private:
    float groundAt(float x, float z) const;
    // Point at distance s along the route; beyond its ends, on the line of
    // its first or last leg.
    Vec2 alongRoute(float s) const;
    float routeLength() const;

    const Terrain* ground_;  // not owned
    std::vector<Vec2> route_;
    bool fixed_ = false;
    Vector fixedEye_, fixedTarget_;
};
