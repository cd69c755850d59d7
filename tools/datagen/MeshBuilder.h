#pragma once
// Builds the low-poly model meshes of the data set from convex solids, in
// world axes (x, y up, z; metres), and hands them over as lib3ds meshes.
#include "tools/datagen/Vec3.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

struct Lib3dsMesh;

// How a face gets its texture coordinates: fitted into the atlas rectangle
// (u0, v0)-(u1, v1), or, when repeat > 0, one texture repeat every `repeat`
// metres across the face.
struct Uv {
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
    float repeat = 0;
};

class MeshBuilder {
public:
    // A planar convex face, turned to face away from `inside`; each face has
    // its own corners so texture coordinates never blend across an edge.
    void face(std::vector<Vec3> corners, Vec3 inside, const Uv& uv);
    // A convex prism: `profile` lies in the plane across `axis` (0: points
    // are (z, y) and the prism runs along x; 2: points are (x, y), along z)
    // and spans a0 … a1 along the axis. Caps take capUv, the side of profile
    // edge i takes sideUvs[i] (capUv where the list is short).
    void prism(const std::vector<std::pair<float, float>>& profile, int axis, float a0, float a1, const Uv& capUv,
               const std::vector<Uv>& sideUvs = {});
    // A convex solid from two rings of four corners (c[0..3] below, c[4..7]
    // above, in the same order).
    void block(const std::array<Vec3, 8>& c, const Uv& capUv, const Uv& sideUv);
    void box(Vec3 lo, Vec3 hi, const Uv& uv);
    // A regular frustum around the vertical axis through (cx, cz): `sides`
    // corners at radius r0 at height y0 and r1 at y1, the first at angle `phase`.
    void frustum(float cx, float cz, int sides, float phase, float r0, float y0, float r1, float y1, const Uv& sideUv,
                 const Uv& capUv);

    int triangleCount() const { return int(triangles_.size()); }
    // The mesh in file axes (file z = world y), every face assigned to
    // `material`. The caller owns the result (normally a Lib3dsFile does).
    Lib3dsMesh* toMesh(const std::string& name, const std::string& material) const;

private:
    std::vector<Vec3> points_;
    std::vector<std::array<float, 2>> texels_;
    std::vector<std::array<int, 3>> triangles_;
};

// The meshes of one of the five models (Street_lamp1, Car1, Car2, Canopy1,
// Canopy2); an unknown name is an assertion failure.
std::vector<Lib3dsMesh*> buildModel(const std::string& name);
