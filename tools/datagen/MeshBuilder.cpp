#include "tools/datagen/MeshBuilder.h"

#include "core/Assert.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <lib3ds/mesh.h>
#include <lib3ds/matrix.h>

void MeshBuilder::face(std::vector<Vec3> corners, Vec3 inside, const Uv& uv) {
    CALLI_ASSERT(corners.size() >= 3);
    Vec3 n = cross(corners[1] - corners[0], corners[2] - corners[0]);
    if (dot(n, corners[0] - inside) < 0) {
        std::reverse(corners.begin(), corners.end());
        n = n * -1.0f;
    }
    n = normalise(n);
    // Upright faces: u runs to the viewer's right, v down the face, so the
    // picture stands upright; flat faces take world x and z.
    Vec3 axisU{1, 0, 0}, axisV{0, 0, 1};
    if (std::fabs(n.y) < 0.7f) {
        axisU = normalise(cross({0, 1, 0}, n));
        axisV = {0, -1, 0};
    }
    float minU = 1e9f, maxU = -1e9f, minV = 1e9f, maxV = -1e9f;
    for (Vec3 p : corners) {
        minU = std::min(minU, dot(p, axisU));
        maxU = std::max(maxU, dot(p, axisU));
        minV = std::min(minV, dot(p, axisV));
        maxV = std::max(maxV, dot(p, axisV));
    }
    int first = int(points_.size());
    for (Vec3 p : corners) {
        float a = dot(p, axisU), b = dot(p, axisV);
        if (uv.repeat > 0)
            texels_.push_back({a / uv.repeat, b / uv.repeat});
        else
            texels_.push_back({uv.u0 + (uv.u1 - uv.u0) * (a - minU) / std::max(maxU - minU, 1e-6f),
                               uv.v0 + (uv.v1 - uv.v0) * (b - minV) / std::max(maxV - minV, 1e-6f)});
        points_.push_back(p);
    }
    for (int i = 2; i < int(corners.size()); ++i)
        triangles_.push_back({first, first + i - 1, first + i});
    CALLI_ASSERT(points_.size() < 65536);  // 16-bit indices
}

void MeshBuilder::prism(const std::vector<std::pair<float, float>>& profile, int axis, float a0, float a1,
                        const Uv& capUv, const std::vector<Uv>& sideUvs) {
    CALLI_ASSERT(axis == 0 || axis == 2);
    auto at = [axis](std::pair<float, float> p, float a) {
        return axis == 2 ? Vec3{p.first, p.second, a} : Vec3{a, p.second, p.first};
    };
    Vec3 inside;
    for (auto p : profile)
        inside = inside + at(p, (a0 + a1) * 0.5f) * (1.0f / float(profile.size()));
    std::vector<Vec3> cap0, cap1;
    size_t n = profile.size();
    for (size_t i = 0; i < n; ++i) {
        cap0.push_back(at(profile[i], a0));
        cap1.push_back(at(profile[i], a1));
        std::pair<float, float> p = profile[i], q = profile[(i + 1) % n];
        face({at(p, a0), at(q, a0), at(q, a1), at(p, a1)}, inside, i < sideUvs.size() ? sideUvs[i] : capUv);
    }
    face(cap0, inside, capUv);
    face(cap1, inside, capUv);
}

void MeshBuilder::block(const std::array<Vec3, 8>& c, const Uv& capUv, const Uv& sideUv) {
    Vec3 inside;
    for (Vec3 p : c)
        inside = inside + p * 0.125f;
    face({c[0], c[1], c[2], c[3]}, inside, capUv);
    face({c[4], c[5], c[6], c[7]}, inside, capUv);
    for (int i = 0; i < 4; ++i)
        face({c[i], c[(i + 1) % 4], c[4 + (i + 1) % 4], c[4 + i]}, inside, sideUv);
}

void MeshBuilder::box(Vec3 lo, Vec3 hi, const Uv& uv) {
    block({Vec3{lo.x, lo.y, lo.z},
           {hi.x, lo.y, lo.z},
           {hi.x, lo.y, hi.z},
           {lo.x, lo.y, hi.z},
           {lo.x, hi.y, lo.z},
           {hi.x, hi.y, lo.z},
           {hi.x, hi.y, hi.z},
           {lo.x, hi.y, hi.z}},
          uv, uv);
}

void MeshBuilder::frustum(float cx, float cz, int sides, float phase, float r0, float y0, float r1, float y1,
                          const Uv& sideUv, const Uv& capUv) {
    Vec3 inside{cx, (y0 + y1) * 0.5f, cz};
    std::vector<Vec3> low, high;
    for (int i = 0; i < sides; ++i) {
        float a = phase + 6.2831853f * float(i) / float(sides);
        low.push_back({cx + r0 * std::cos(a), y0, cz + r0 * std::sin(a)});
        high.push_back({cx + r1 * std::cos(a), y1, cz + r1 * std::sin(a)});
    }
    for (int i = 0; i < sides; ++i) {
        int j = (i + 1) % sides;
        face({low[i], low[j], high[j], high[i]}, inside, sideUv);
    }
    face(low, inside, capUv);
    face(high, inside, capUv);
}

Lib3dsMesh* MeshBuilder::toMesh(const std::string& name, const std::string& material) const {
    CALLI_ASSERT(!triangles_.empty() && name.size() < 11 && material.size() < 64);
    Lib3dsMesh* mesh = lib3ds_mesh_new(name.c_str());
    lib3ds_matrix_identity(mesh->matrix);
    lib3ds_mesh_new_point_list(mesh, Lib3dsDword(points_.size()));
    lib3ds_mesh_new_texel_list(mesh, Lib3dsDword(texels_.size()));
    lib3ds_mesh_new_face_list(mesh, Lib3dsDword(triangles_.size()));
    for (size_t i = 0; i < points_.size(); ++i) {
        // The reader turns file (x, y, z) into world (x, z, y).
        mesh->pointL[i].pos[0] = points_[i].x;
        mesh->pointL[i].pos[1] = points_[i].z;
        mesh->pointL[i].pos[2] = points_[i].y;
        mesh->texelL[i][0] = texels_[i][0];
        mesh->texelL[i][1] = texels_[i][1];
    }
    for (size_t i = 0; i < triangles_.size(); ++i) {
        Lib3dsFace& f = mesh->faceL[i];
        std::strcpy(f.material, material.c_str());
        for (int k = 0; k < 3; ++k)
            f.points[k] = Lib3dsWord(triangles_[i][k]);
    }
    return mesh;
}

namespace {

using Profile = std::vector<std::pair<float, float>>;

// Atlas rectangles of "carpaint.jpg" and "lampmetal.jpg", kept two texels
// inside their regions so filtering does not pick up the neighbour.
const Uv kPaint{0.01f, 0.01f, 0.49f, 0.49f};
const Uv kSideWindow{0.51f, 0.01f, 0.99f, 0.24f};
const Uv kScreen{0.51f, 0.26f, 0.99f, 0.49f};
const Uv kWheel{0.02f, 0.52f, 0.48f, 0.98f};
const Uv kTyre{0.01f, 0.51f, 0.03f, 0.53f};
const Uv kHeadLamp{0.52f, 0.52f, 0.73f, 0.73f};
const Uv kTailLamp{0.77f, 0.52f, 0.98f, 0.73f};
const Uv kTrim{0.51f, 0.76f, 0.99f, 0.99f};
const Uv kIron{0.01f, 0.01f, 0.49f, 0.99f};
const Uv kGlass{0.51f, 0.01f, 0.99f, 0.99f};
// Canvas: one stripe repeat every 1.2 m, as the material lays it on flat ground.
const Uv kCanvas{0, 0, 1, 1, 1.2f};

struct CarShape {
    Profile body;
    float bodyHalfWidth;
    Profile cabin;  // edges: floor, windscreen, roof, rear window
    float cabinHalfWidth;
    float wheelX, wheelRadius;
};

std::vector<Lib3dsMesh*> car(const CarShape& c, const std::string& material) {
    MeshBuilder body, cabin, wheels, lamps;
    body.prism(c.body, 2, -c.bodyHalfWidth, c.bodyHalfWidth, kPaint, {kTrim});
    cabin.prism(c.cabin, 2, -c.cabinHalfWidth, c.cabinHalfWidth, kSideWindow, {kPaint, kScreen, kPaint, kScreen});
    Profile rim;
    for (int i = 0; i < 12; ++i) {
        float a = 6.2831853f * float(i) / 12;
        rim.push_back({c.wheelRadius * std::cos(a), c.wheelRadius + c.wheelRadius * std::sin(a)});
    }
    for (float x : {-c.wheelX, c.wheelX})
        for (float side : {-1.0f, 1.0f}) {
            Profile at = rim;
            for (auto& p : at)
                p.first += x;
            float inner = side * (c.bodyHalfWidth - 0.16f), outer = side * (c.bodyHalfWidth + 0.04f);
            wheels.prism(at, 2, std::min(inner, outer), std::max(inner, outer), kWheel, std::vector<Uv>(12, kTyre));
        }
    float front = -1e9f, rear = 1e9f;
    for (auto p : c.body) {
        front = std::max(front, p.first);
        rear = std::min(rear, p.first);
    }
    float w = c.bodyHalfWidth;
    lamps.box({front - 0.08f, 0.30f, -w + 0.02f}, {front + 0.05f, 0.46f, w - 0.02f}, kTrim);
    lamps.box({rear - 0.05f, 0.30f, -w + 0.02f}, {rear + 0.08f, 0.46f, w - 0.02f}, kTrim);
    for (float side : {-1.0f, 1.0f}) {
        float z0 = side * (w - 0.38f), z1 = side * (w - 0.1f);
        lamps.box({front - 0.1f, 0.56f, std::min(z0, z1)}, {front + 0.01f, 0.66f, std::max(z0, z1)}, kHeadLamp);
        lamps.box({rear - 0.02f, 0.62f, std::min(z0, z1)}, {rear + 0.1f, 0.74f, std::max(z0, z1)}, kTailLamp);
    }
    return {body.toMesh("Body", material), cabin.toMesh("Cabin", material), wheels.toMesh("Wheels", material),
            lamps.toMesh("Lamps", material)};
}

std::vector<Lib3dsMesh*> streetLamp(const std::string& material) {
    MeshBuilder post, lantern;
    const float quarter = 0.7853982f;
    post.frustum(0, 0, 8, 0, 0.16f, 0.0f, 0.11f, 0.5f, kIron, kIron);
    post.frustum(0, 0, 8, 0, 0.065f, 0.5f, 0.05f, 3.6f, kIron, kIron);
    post.frustum(0, 0, 8, 0, 0.09f, 3.6f, 0.09f, 3.68f, kIron, kIron);
    // Square lantern widening upwards under a pyramid roof and a finial.
    lantern.frustum(0, 0, 4, quarter, 0.10f * 1.4142f, 3.68f, 0.18f * 1.4142f, 4.12f, kGlass, kIron);
    lantern.frustum(0, 0, 4, quarter, 0.23f * 1.4142f, 4.12f, 0.04f * 1.4142f, 4.38f, kIron, kIron);
    lantern.frustum(0, 0, 4, quarter, 0.03f * 1.4142f, 4.38f, 0.012f * 1.4142f, 4.5f, kIron, kIron);
    return {post.toMesh("Post", material), lantern.toMesh("Lantern", material)};
}

// Canvas slab between the front edge (z = 0.75, height yFront) and a back
// edge (zBack, height yBack), 3 cm thick, across x −1 … 1.
void canvasSlab(MeshBuilder& m, float zFront, float yFront, float zBack, float yBack) {
    const float t = 0.03f;
    m.block({Vec3{-1, yFront - t, zFront},
             {1, yFront - t, zFront},
             {1, yBack - t, zBack},
             {-1, yBack - t, zBack},
             {-1, yFront, zFront},
             {1, yFront, zFront},
             {1, yBack, zBack},
             {-1, yBack, zBack}},
            kCanvas, kCanvas);
}

std::vector<Lib3dsMesh*> awning(const std::string& material) {
    MeshBuilder m;
    canvasSlab(m, 0.75f, 0.0f, -0.75f, 0.35f);
    for (int i = 0; i < 8; ++i) {
        float x0 = -1 + 0.25f * float(i), x1 = x0 + 0.25f;
        Profile tooth{{x0, -0.15f}, {(x0 + x1) * 0.5f, -0.22f}, {x1, -0.15f}, {x1, 0.0f}, {x0, 0.0f}};
        m.prism(tooth, 2, 0.75f, 0.77f, kCanvas);
    }
    return {m.toMesh("Canvas", material)};
}

std::vector<Lib3dsMesh*> tent(const std::string& material) {
    MeshBuilder m;
    canvasSlab(m, 0.75f, 0.0f, 0.0f, 0.45f);
    canvasSlab(m, -0.75f, 0.0f, 0.0f, 0.45f);
    m.box({-1, -0.18f, 0.75f}, {1, 0, 0.77f}, kCanvas);
    m.box({-1, -0.18f, -0.77f}, {1, 0, -0.75f}, kCanvas);
    for (float x : {-1.0f, 0.98f})
        m.prism({{0.75f, -0.03f}, {0.0f, 0.42f}, {-0.75f, -0.03f}}, 0, x, x + 0.02f, kCanvas);
    return {m.toMesh("Canvas", material)};
}

}  // namespace

std::vector<Lib3dsMesh*> buildModel(const std::string& name) {
    if (name == "Street_lamp1")
        return streetLamp(name);
    if (name == "Car1")
        return car({{{-2.15f, 0.28f},
                     {2.1f, 0.28f},
                     {2.15f, 0.62f},
                     {2.0f, 0.80f},
                     {0.9f, 0.88f},
                     {-1.6f, 0.92f},
                     {-2.1f, 0.85f},
                     {-2.17f, 0.55f}},
                    0.86f,
                    {{-1.45f, 0.88f}, {0.85f, 0.86f}, {0.25f, 1.42f}, {-1.15f, 1.45f}},
                    0.76f,
                    1.35f,
                    0.32f},
                   name);
    if (name == "Car2")
        return car({{{-1.85f, 0.30f},
                     {1.85f, 0.30f},
                     {1.92f, 0.62f},
                     {1.75f, 0.84f},
                     {0.0f, 0.90f},
                     {-1.88f, 0.92f},
                     {-1.92f, 0.60f}},
                    0.82f,
                    {{-1.80f, 0.88f}, {1.0f, 0.86f}, {0.3f, 1.58f}, {-1.72f, 1.60f}},
                    0.76f,
                    1.2f,
                    0.3f},
                   name);
    if (name == "Canopy1")
        return awning(name);
    if (name == "Canopy2")
        return tent(name);
    CALLI_ASSERT(false);
    return {};
}
