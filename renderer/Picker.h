#pragma once
// Picking: which live description the user points at. A ray from the camera
// through a pixel is tested against the triangles the renderer makes of the
// generated tree (the same tessellation), skipping every description whose
// bounding sphere it misses; the nearest hit wins and names the deepest
// description whose drawing made that triangle. Needs no GL context.
#include "core/Vector.h"

class Desc;
class RenderContext;

class Picker {
public:
    struct Ray {
        Vector origin;
        Vector direction;  // unit length
    };
    struct Hit {
        Desc* desc = nullptr;  // not owned; null: the ray meets nothing
        float distance = 0;    // metres from the ray's origin
        Vector point;          // world
    };

    // The ray from the camera through pixel (x, y) of the viewport (top-left
    // origin, pixel centres at +0.5), by the context's view and projection.
    static Ray rayThroughPixel(const RenderContext& ctx, float x, float y);
    // The nearest hit of the ray on what is generated under root (the world
    // root, placed at the world origin).
    static Hit pick(Desc& root, const Ray& ray);
};
