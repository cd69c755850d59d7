#include "renderer/TessellatingContext.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/Material.h"
#include "core/Model.h"
#include "core/PolyClip.h"
#include "core/RandomGenerator.h"
#include "core/Terrain.h"
#include "renderer/Tessellator.h"

namespace {

// Mapping mode of a material, 0 for none.
uint8_t mappingOf(const Material* material) { return material ? material->mapping : 0; }

}  // namespace

bool TessellatingContext::isImpostorMapping(const Material* material) {
    return mappingOf(material) == mapping::kImpostor;
}

Impostor* TessellatingContext::impostorOf(Material* material) {
    if (!material || !material->isImpostor())
        return nullptr;
    return static_cast<ImpostorMaterial*>(material)->impostor;
}

void TessellatingContext::mapTexture(Tessellator& builder, Material* material, const Vec2& edge, int first) {
    if (!material)
        return;
    // The picture is laid back on the shape from the viewpoint it was taken from.
    if (isImpostorMapping(material)) {
        if (const Impostor* impostor = impostorOf(material))
            builder.mapTexture(impostorProjection(*impostor, model, viewportWidth, viewportHeight), first);
        return;
    }
    float u = 0, v = 0, scale = 1;
    if (material->textureOffset(u, v, scale))
        builder.mapTexture(TextureMatrix::planar(material->mapping, edge, u, v, scale), first);
}

void TessellatingContext::emit(Tessellator& builder, Material* material) {
    if (builder.vertices.empty())
        return;
    TessellatedMesh mesh = finish(builder, material);
    emitMesh(mesh);
}

TessellatedMesh TessellatingContext::finish(Tessellator& builder, Material* material) {
    TessellatedMesh mesh;
    mesh.vertices = std::move(builder.vertices);
    mesh.indices = std::move(builder.indices);
    mesh.material = material;
    if (isImpostorMapping(material)) {
        mesh.showsImpostor = impostorOf(material) != nullptr;
    } else {
        MeshMaterial& m = mesh.surface;
        m.ambient[0] = m.ambient[1] = m.ambient[2] = m.ambient[3] = 1;
        const MaterialRecord* record = material ? material->record : nullptr;
        const bool coloured = record && (material->mapping == 0 || record->coloured);
        for (int i = 0; i < 3; ++i)
            m.diffuse[i] = coloured ? record->colour[i] : 1.0f;
        m.diffuse[3] = 1;
        if (record) {
            // One brightness step for all three components.
            const double d = 0.25 * record->colourVariation;
            const float jitter = static_cast<float>(RandomGenerator::textureOffset().range(-d, d));
            for (int i = 0; i < 3; ++i)
                m.diffuse[i] += jitter;
            if (material->mapping != 0 && !record->textureName.empty())
                mesh.textureName = record->textureName;
        }
    }
    return mesh;
}

TessellatedMesh TessellatingContext::prism(const Poly& poly, const Extrusion& extrusion, Material* material) {
    const int n = poly.count();
    if (n < 3)
        return {};
    const std::vector<float> bottom(n, extrusion.level), top(n, extrusion.level + extrusion.height);
    Tessellator builder;
    builder.addPrism(poly, bottom.data(), top.data());
    mapTexture(builder, material, referenceEdge(poly, material ? material->referenceEdge : 0));
    if (builder.vertices.empty())
        return {};
    return finish(builder, material);
}

void TessellatingContext::extrudedPolygon(const Poly& poly, const Extrusion& extrusion, Material* material, int flags) {
    (void)flags;
    TessellatedMesh mesh = prism(poly, extrusion, material);
    if (!mesh.vertices.empty())
        emitMesh(mesh);
}

void TessellatingContext::slabPolygon(const ClipPolygon& shape, const Extrusion& extrusion, Material* material) {
    if (shape.contours.empty())
        return;
    std::vector<Vec2> points;
    std::vector<int> triangles;
    flattenTriangulation(shape, points, triangles);
    const float low = extrusion.level, high = extrusion.level + extrusion.height;
    Tessellator builder;
    builder.addSurface(points, std::vector<float>(points.size(), low), triangles, false);
    builder.addSurface(points, std::vector<float>(points.size(), high), triangles, true);
    for (size_t c = 0; c < shape.contours.size(); ++c) {
        const Poly& contour = shape.contours[c];
        std::vector<Vec2> outline;
        for (const Point& p : contour.points())
            outline.push_back(p.vec());
        // Sides face away from the solid: outer contours run positively, holes the other way.
        const bool hole = c < shape.holes.size() && shape.holes[c];
        if ((contour.area2() > 0) == hole)
            std::reverse(outline.begin(), outline.end());
        builder.addSides(outline, std::vector<float>(outline.size(), low),
                         std::vector<float>(outline.size(), high));
    }
    mapTexture(builder, material, referenceEdge(shape.contours[0], material ? material->referenceEdge : 0));
    emit(builder, material);
}

void TessellatingContext::placeModel(const Model* model, const Matrix44& placementA, const float placementB[2],
                            Material* material) {
    if (!model)
        return;
    const float factorU = placementB ? placementB[0] : 1.0f, factorV = placementB ? placementB[1] : 1.0f;
    for (const ModelMesh& source : model->meshes) {
        Tessellator builder;
        // The file's z axis is up.
        for (const Vector& p : source.points)
            builder.addVertex(placementA.transformPoint({p.x, p.z, p.y}));
        // Modellers disagree on the winding of outside faces; a closed mesh
        // whose faces enclose a positive volume is turned so that its outside
        // faces are the ones seen.
        double volume = 0;
        if (!source.points.empty()) {
            // In file axes around the first point (translation does not change
            // a closed volume, and small numbers keep it exact enough).
            const Vector o = source.points[0];
            auto at = [&](int i) {
                const Vector& p = source.points[i];
                return std::array<double, 3>{double(p.x) - o.x, double(p.z) - o.z, double(p.y) - o.y};
            };
            for (const auto& f : source.faces) {
                const auto a = at(f[0]), b = at(f[1]), c = at(f[2]);
                volume += a[0] * (b[1] * c[2] - b[2] * c[1]) + a[1] * (b[2] * c[0] - b[0] * c[2]) +
                          a[2] * (b[0] * c[1] - b[1] * c[0]);
            }
            const float* m = placementA.m;
            const double det = m[0] * (double(m[5]) * m[10] - double(m[6]) * m[9]) -
                               m[1] * (double(m[4]) * m[10] - double(m[6]) * m[8]) +
                               m[2] * (double(m[4]) * m[9] - double(m[5]) * m[8]);
            if (det < 0)
                volume = -volume;
        }
        const bool turn = volume > 0;
        for (const auto& f : source.faces) {
            if (turn)
                builder.addTriangle(f[0], f[2], f[1]);
            else
                builder.addTriangle(f[0], f[1], f[2]);
        }
        if (!source.texels.empty() && source.texels.size() == source.points.size()) {
            for (size_t i = 0; i < source.texels.size(); ++i) {
                builder.vertices[i].u = source.texels[i].x * factorU;
                builder.vertices[i].v = source.texels[i].y * factorV;
            }
            if (material && !isImpostorMapping(material))
                material->mapping = mapping::kAuto;
        } else {
            mapTexture(builder, material, Vec2(1, 0));
        }
        emit(builder, material);
    }
}

void TessellatingContext::roofQuad(const Poly& poly, const float heights[4], float thickness, Material* material) {
    if (poly.count() != 4)
        return;
    float low[4], high[4];
    for (int i = 0; i < 4; ++i) {
        low[i] = std::min(heights[i], heights[i] + thickness);
        high[i] = std::max(heights[i], heights[i] + thickness);
    }
    Tessellator builder;
    builder.addPrism(poly, low, high);
    if (isImpostorMapping(material)) {
        mapTexture(builder, material, Vec2());
    } else if (material) {
        float u = 0, v = 0, scale = 1;
        if (material->textureOffset(u, v, scale)) {
            // The picture lies in the roof plane: one axis along the reference
            // edge, the other down the slope; rotated exchanges them.
            const int e = std::min<int>(material->referenceEdge, 3);
            const int next = (e + 1) % 4;
            const Vector along(poly[next].x - poly[e].x, high[next] - high[e], poly[next].y - poly[e].y);
            Vector normal;  // Newell's method over the upper face
            for (int i = 0; i < 4; ++i) {
                const int j = (i + 1) % 4;
                const Vector a(poly[i].x, high[i], poly[i].y), b(poly[j].x, high[j], poly[j].y);
                normal = normal + Vector((a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x),
                                         (a.x - b.x) * (a.y + b.y));
            }
            if (normal.y < 0)
                normal = normal * -1.0f;
            Vector down = normal.cross(along);
            if (down.y > 0)
                down = down * -1.0f;
            Vector axisU = down, axisV = along;
            if (material->mapping & mapping::kRotated)
                std::swap(axisU, axisV);
            builder.mapTexture(TextureMatrix::fromAxes(axisU, axisV, u, v, scale));
        }
    }
    emit(builder, material);
}

void TessellatingContext::terrainPolygon(const Poly& poly, const Terrain* terrain, float depth, Material* material) {
    const int n = poly.count();
    if (n < 3)
        return;
    std::vector<Vec2> points;
    std::vector<int> triangles;
    if (isFanConvex(poly)) {
        for (const Point& p : poly.points())
            points.push_back(p.vec());
        triangles = fanTriangles(n);
    } else {
        flattenTriangulation(poly, points, triangles);
    }
    auto heightAt = [terrain](const Vec2& p) { return terrain ? terrain->height(p.x, p.y) : 0.0f; };
    std::vector<float> heights;
    for (const Vec2& p : points)
        heights.push_back(heightAt(p));
    Tessellator builder;
    builder.addSurface(points, heights, triangles, true);
    // A skirt under the outline hides the gaps between neighbouring pieces.
    // It never rises above the surface: a positive depth gives a flat one.
    if (depth != 0) {
        const float reach = std::min(depth, 0.0f);
        std::vector<Vec2> outline;
        std::vector<float> top, bottom;
        for (const Point& p : poly.points()) {
            outline.push_back(p.vec());
            top.push_back(heightAt(p.vec()));
            bottom.push_back(top.back() + reach);
        }
        builder.addSides(outline, bottom, top);
    }
    mapTexture(builder, material, referenceEdge(poly, material ? material->referenceEdge : 0));
    emit(builder, material);
}

void TessellatingContext::slopedPanel(const Poly& footprint, const Extrusion& start, const Extrusion& end,
                             Material* material) {
    const int n = footprint.count();
    if (n < 3)
        return;
    // The panel runs along its long sides (limits 2 and 3, else the longest
    // edge); the footprint lists the corners of its start end first.
    int axisEdge = -1;
    float longest = -1;
    for (int i = 0; i < n && axisEdge < 0; ++i)
        if (footprint[i].limit == 2 || footprint[i].limit == 3)
            axisEdge = i;
    if (axisEdge < 0)
        for (int i = 0; i < n; ++i)
            if (footprint.edge(i).length() > longest) {
                longest = footprint.edge(i).length();
                axisEdge = i;
            }
    Vec2 axis = footprint.edge(axisEdge).direction();
    std::vector<float> along(n);
    float mean = 0;
    for (int i = 0; i < n; ++i)
        mean += along[i] = footprint[i].vec().dot(axis);
    mean /= static_cast<float>(n);
    if (along[0] > mean)
        for (float& a : along)
            a = -a;
    const auto [lo, hi] = std::minmax_element(along.begin(), along.end());
    const float span = *hi - *lo;
    std::vector<float> bottom(n), top(n);
    for (int i = 0; i < n; ++i) {
        const float t = span > 0 ? (along[i] - *lo) / span : 0.0f;
        bottom[i] = start.level + t * (end.level - start.level);
        top[i] = bottom[i] + start.height + t * (end.height - start.height);
    }
    Tessellator builder;
    builder.addPrism(footprint, bottom.data(), top.data());
    mapTexture(builder, material, referenceEdge(footprint, material ? material->referenceEdge : 0));
    emit(builder, material);
}

