#include "tools/datagen/DataReview.h"

#include "tools/datagen/DataTable.h"
#include "tools/datagen/Image.h"
#include "tools/datagen/SkyPainter.h"
#include "tools/datagen/TexturePainter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <vector>

namespace {

// 3 × 5 pixel glyphs, one octal digit per row, for the sheet's labels.
const char kGlyphChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_.-";
const int kGlyphs[] = {075557, 026227, 071747, 071717, 055711, 074717, 074757, 071111, 075757, 075717,
                       025755, 065656, 034443, 065556, 074647, 074644, 034553, 055755, 072227, 011152,
                       055655, 044447, 057755, 065555, 025552, 065644, 025563, 065655, 034216, 072222,
                       055557, 055552, 055775, 055255, 055222, 071247, 000007, 000002, 000700};

void drawText(Image& image, int x, int y, const std::string& text) {
    const int scale = 2;
    for (char ch : text) {
        char up = (ch >= 'a' && ch <= 'z') ? char(ch - 32) : ch;
        const char* found = std::char_traits<char>::find(kGlyphChars, sizeof kGlyphChars - 1, up);
        if (found) {
            int bits = kGlyphs[found - kGlyphChars];
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < 3; ++col)
                    if (bits >> ((4 - row) * 3 + (2 - col)) & 1)
                        for (int k = 0; k < scale * scale; ++k) {
                            int px = x + col * scale + k % scale, py = y + row * scale + k / scale;
                            if (px < image.width() && py < image.height())
                                image.at(px, py) = {1, 1, 1};
                        }
        }
        x += 4 * scale;
    }
}

// Box-filtered copy of `source` into a size × size square of `sheet`.
void drawScaled(Image& sheet, const Image& source, int x0, int y0, int size) {
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int sx0 = x * source.width() / size, sx1 = std::max(sx0 + 1, (x + 1) * source.width() / size);
            int sy0 = y * source.height() / size, sy1 = std::max(sy0 + 1, (y + 1) * source.height() / size);
            Rgb sum;
            for (int sy = sy0; sy < sy1; ++sy)
                for (int sx = sx0; sx < sx1; ++sx)
                    sum = sum + source.at(sx, sy);
            sheet.at(x0 + x, y0 + y) = sum * (1.0f / float((sx1 - sx0) * (sy1 - sy0)));
        }
}

bool isPowerOfTwo(int n) { return n >= 64 && (n & (n - 1)) == 0; }

float difference(const Rgb& a, const Rgb& b) {
    return (std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b)) / 3 * 255;
}

// Mean step across the wrap-around seam of a picture against the mean step
// between neighbouring texels inside it, over both directions (8-bit units).
std::pair<float, float> seamSteps(const Image& p) {
    int w = p.width(), h = p.height();
    float seam = 0, inside = 0;
    for (int i = 0; i < h; ++i) {
        seam += difference(p.at(w - 1, i), p.at(0, i));
        inside += difference(p.at(w / 2 - 1, i), p.at(w / 2, i));
    }
    for (int i = 0; i < w; ++i) {
        seam += difference(p.at(i, h - 1), p.at(i, 0));
        inside += difference(p.at(i, h / 2 - 1), p.at(i, h / 2));
    }
    return {seam / float(w + h), inside / float(w + h)};
}

bool loadFaces(const std::string& dir, std::vector<Image>& faces) {
    faces.resize(SkyPainter::kFaceCount);
    bool ok = true;
    for (int f = 0; f < SkyPainter::kFaceCount; ++f)
        if (!Image::load(dir + "/Bitmaps/" + SkyPainter::kFaceFiles[f], faces[f])) {
            std::fprintf(stderr, "callimora-datagen: cannot read Bitmaps/%s\n", SkyPainter::kFaceFiles[f]);
            ok = false;
        }
    return ok;
}

// Colour seen along a direction through the skybox's face table.
Rgb lookUp(const std::vector<Image>& faces, Vec3 d) {
    int best = 0;
    float bestDot = -1e9f;
    for (int f = 0; f < SkyPainter::kFaceCount; ++f) {
        Vec3 centre = (SkyPainter::direction(f, 0, 0) + SkyPainter::direction(f, 1, 1)) * 0.5f;
        if (dot(d, centre) > bestDot) {
            bestDot = dot(d, centre);
            best = f;
        }
    }
    Vec3 c0 = SkyPainter::direction(best, 0, 0);
    Vec3 p = d * (1.0f / bestDot) - c0;
    float u = dot(p, SkyPainter::direction(best, 1, 0) - c0) / 4;
    float v = dot(p, SkyPainter::direction(best, 0, 1) - c0) / 4;
    return faces[best].sample(u, v);
}

// Draws a model file into a size × size square as the viewer would read it:
// file (x, y, z) is world (x, z, y), faces facing away from the eye are
// culled by their (p0 - p2) x (p1 - p2) normal, texture coordinates address
// the first material's picture, which the coloured mark tints.
bool drawModel(Image& sheet, const std::string& dir, const std::string& name, int x0, int y0, int size) {
    Lib3dsFile* file = lib3ds_file_load((dir + "/" + name + ".3DS").c_str());
    if (!file || !file->materials || !file->meshes) {
        std::fprintf(stderr, "callimora-datagen: %s.3DS has no material or no meshes\n", name.c_str());
        if (file)
            lib3ds_file_free(file);
        return false;
    }
    Image picture;
    Lib3dsMaterial* m = file->materials;
    bool textured = Image::load(dir + "/Bitmaps/" + m->texture1_map.name, picture);
    Rgb tint = m->additive ? Rgb{m->diffuse[0], m->diffuse[1], m->diffuse[2]} : Rgb{1, 1, 1};
    struct Corner {
        Vec3 p;
        float u, v;
    };
    std::vector<std::array<Corner, 3>> triangles;
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (Lib3dsMesh* mesh = file->meshes; mesh; mesh = mesh->next)
        for (Lib3dsDword f = 0; f < mesh->faces; ++f) {
            std::array<Corner, 3> tri;
            for (int k = 0; k < 3; ++k) {
                Lib3dsWord i = mesh->faceL[f].points[k];
                const float* q = mesh->pointL[i].pos;
                tri[k] = {{q[0], q[2], q[1]},
                          i < mesh->texels ? mesh->texelL[i][0] : 0,
                          i < mesh->texels ? mesh->texelL[i][1] : 0};
                lo = {std::min(lo.x, q[0]), std::min(lo.y, q[2]), std::min(lo.z, q[1])};
                hi = {std::max(hi.x, q[0]), std::max(hi.y, q[2]), std::max(hi.z, q[1])};
            }
            triangles.push_back(tri);
        }
    lib3ds_file_free(file);
    const Vec3 eye = normalise({1.0f, 0.7f, 1.2f}), light = normalise({0.4f, 1.0f, 0.7f});
    const Vec3 right = normalise(cross({0, 1, 0}, eye)), up = cross(eye, right), centre = (lo + hi) * 0.5f;
    float scale = 0.85f * float(size) / std::max(length(hi - lo), 1e-3f);
    std::vector<float> depth(size_t(size) * size, -1e9f);
    for (int i = 0; i < size * size; ++i)
        sheet.at(x0 + i % size, y0 + i / size) = {0.42f, 0.47f, 0.55f};
    for (const auto& tri : triangles) {
        Vec3 n = normalise(cross(tri[0].p - tri[2].p, tri[1].p - tri[2].p));
        if (dot(n, eye) <= 0)
            continue;
        float sx[3], sy[3], sz[3];
        for (int k = 0; k < 3; ++k) {
            Vec3 d = tri[k].p - centre;
            sx[k] = size * 0.5f + dot(d, right) * scale;
            sy[k] = size * 0.5f - dot(d, up) * scale;
            sz[k] = dot(d, eye);
        }
        float area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
        if (std::fabs(area) < 1e-6f)
            continue;
        float shade = 0.45f + 0.55f * std::max(0.0f, dot(n, light));
        int minX = std::max(0, int(std::min({sx[0], sx[1], sx[2]}))),
            maxX = std::min(size - 1, int(std::max({sx[0], sx[1], sx[2]})));
        int minY = std::max(0, int(std::min({sy[0], sy[1], sy[2]}))),
            maxY = std::min(size - 1, int(std::max({sy[0], sy[1], sy[2]})));
        for (int y = minY; y <= maxY; ++y)
            for (int x = minX; x <= maxX; ++x) {
                float px = x + 0.5f, py = y + 0.5f;
                float w0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) / area;
                float w1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) / area;
                float w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0)
                    continue;
                float z = w0 * sz[0] + w1 * sz[1] + w2 * sz[2];
                float& stored = depth[size_t(y) * size + x];
                if (z <= stored)
                    continue;
                stored = z;
                float u = w0 * tri[0].u + w1 * tri[1].u + w2 * tri[2].u;
                float v = w0 * tri[0].v + w1 * tri[1].v + w2 * tri[2].v;
                Rgb c = textured ? picture.sample(u - std::floor(u), v - std::floor(v)) : Rgb{1, 1, 1};
                sheet.at(x0 + x, y0 + y) = c * tint * shade;
            }
    }
    return true;
}

}  // namespace

bool DataReview::writeContactSheet(const std::string& dir, const std::string& pngPath) {
    const int cell = 256, label = 20, columns = 6;
    std::vector<std::string> names = TexturePainter::names();
    const int models = int(std::size(kModels));
    int rows = int(names.size() + models + columns - 1) / columns;
    int panoramaHeight = 512;
    Image sheet(columns * cell, (rows + 1) * (cell + label) + label + panoramaHeight);
    for (size_t i = 0; i < names.size(); ++i) {
        Image picture;
        if (!Image::load(dir + "/Bitmaps/" + names[i], picture)) {
            std::fprintf(stderr, "callimora-datagen: cannot read Bitmaps/%s\n", names[i].c_str());
            return false;
        }
        int x = int(i % columns) * cell, y = int(i / columns) * (cell + label);
        for (int k = 0; k < 4; ++k)
            drawScaled(sheet, picture, x + (k % 2) * cell / 2, y + (k / 2) * cell / 2, cell / 2);
        drawText(sheet, x + 4, y + cell + 4, names[i]);
    }
    for (int i = 0; i < models; ++i) {
        int k = int(names.size()) + i, x = (k % columns) * cell, y = (k / columns) * (cell + label);
        if (!drawModel(sheet, dir, kModels[i], x, y, cell))
            return false;
        drawText(sheet, x + 4, y + cell + 4, std::string(kModels[i]) + ".3DS");
    }
    std::vector<Image> faces;
    if (!loadFaces(dir, faces))
        return false;
    int skyTop = rows * (cell + label);
    for (int f = 0; f < SkyPainter::kFaceCount; ++f) {
        drawScaled(sheet, faces[f], f * cell, skyTop, cell);
        drawText(sheet, f * cell + 4, skyTop + cell + 4, SkyPainter::kFaceFiles[f]);
    }
    // Panorama: heading 0 … 360 degrees from +z towards +x, elevation +90 … −30.
    int panoTop = skyTop + cell + label;
    for (int y = 0; y < panoramaHeight; ++y)
        for (int x = 0; x < sheet.width(); ++x) {
            float heading = 6.2831853f * (x + 0.5f) / float(sheet.width());
            float elevation = 1.5707963f - 2.0943951f * (y + 0.5f) / float(panoramaHeight);
            Vec3 d{std::cos(elevation) * std::sin(heading), std::sin(elevation),
                   std::cos(elevation) * std::cos(heading)};
            sheet.at(x, panoTop + label + y) = lookUp(faces, d);
        }
    drawText(sheet, 4, panoTop + 4, "panorama +z +x -z -x, elevation 90 to -30");
    std::vector<uint8_t> png = sheet.encodePng();
    std::ofstream out(pngPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    if (!out) {
        std::fprintf(stderr, "callimora-datagen: cannot write %s\n", pngPath.c_str());
        return false;
    }
    return true;
}

bool DataReview::check(const std::string& dir) {
    bool ok = true;
    for (const std::string& name : TexturePainter::names()) {
        Image picture;
        if (!Image::load(dir + "/Bitmaps/" + name, picture)) {
            std::printf("Bitmaps/%s: missing or unreadable\n", name.c_str());
            ok = false;
        } else if (!isPowerOfTwo(picture.width()) || !isPowerOfTwo(picture.height())) {
            std::printf("Bitmaps/%s: %d x %d is not a power of two\n", name.c_str(), picture.width(), picture.height());
            ok = false;
        } else if (TexturePainter::tiles(name)) {
            // A seam may be as sharp as a joint inside the pattern, not sharper.
            auto [seam, inside] = seamSteps(picture);
            if (seam > 2 * inside + 3) {
                std::printf("Bitmaps/%s: visible seam (step %.1f across it, %.1f inside)\n", name.c_str(), seam,
                            inside);
                ok = false;
            }
        }
    }
    std::vector<Image> faces;
    if (!loadFaces(dir, faces))
        return false;
    for (int f = 0; f < SkyPainter::kFaceCount; ++f)
        if (faces[f].width() != faces[f].height() || !isPowerOfTwo(faces[f].width())) {
            std::printf("Bitmaps/%s: not a square power of two\n", SkyPainter::kFaceFiles[f]);
            ok = false;
        }
    // Faces that share two cube corners share that edge; sample along it in
    // both pictures. Mean difference in 8-bit steps, allowing for JPEG noise
    // and the half texel on either side of the edge.
    const float limit = 8.0f;
    for (int f = 0; f < SkyPainter::kFaceCount; ++f)
        for (int g = f + 1; g < SkyPainter::kFaceCount; ++g) {
            std::vector<std::pair<int, int>> shared;  // positions in f and g
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j)
                    if (SkyPainter::kFaceCorners[f][i] == SkyPainter::kFaceCorners[g][j])
                        shared.push_back({i, j});
            if (shared.size() != 2)
                continue;
            float total = 0;
            const int samples = 64;
            for (int k = 0; k < samples; ++k) {
                float t = (k + 0.5f) / samples;
                auto uv = [t](int a, int b) {
                    return std::pair<float, float>{float(a & 1) * (1 - t) + float(b & 1) * t,
                                                   float(a >> 1) * (1 - t) + float(b >> 1) * t};
                };
                auto [uf, vf] = uv(shared[0].first, shared[1].first);
                auto [ug, vg] = uv(shared[0].second, shared[1].second);
                Rgb a = faces[f].sample(uf, vf), b = faces[g].sample(ug, vg);
                total += (std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b)) / 3 * 255;
            }
            float mean = total / samples;
            if (mean > limit) {
                std::printf("skybox: %s and %s differ by %.1f along their shared edge\n", SkyPainter::kFaceFiles[f],
                            SkyPainter::kFaceFiles[g], mean);
                ok = false;
            }
        }
    return ok;
}
