#pragma once
// A small hierarchical depth pyramid for occlusion culling. Simple meshes (at
// most 32 vertices: walls, prisms, coarse shapes) are rasterised into the
// finest level, 32 x 32 cells over the viewport, as they are drawn; every
// coarser level holds the farthest depth of its four children. A bounding
// sphere is hidden when every cell it covers holds an occluder nearer than
// the sphere's nearest point. The buffer switches itself off when it hides
// too little to pay for itself, and tries again later. Needs no graphics API.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Vector.h"

class OcclusionBuffer {
public:
    static constexpr int kFinestLevel = 5;
    static constexpr int kLevels = kFinestLevel + 1;
    static constexpr int kFinestSize = 1 << kFinestLevel;  // cells across the finest level
    static constexpr int kMaxOccluderVertices = 32;
    // Depth of a cell no occluder covers.
    static constexpr float kEmpty = 1e30f;
    // Occluder vertices nearer than this (view-space depth, metres) are not used.
    static constexpr float kNearestOccluder = 1.0f;

    enum Mode : int32_t { kOff = 0, kOn = 1, kTrial = 2 };

    OcclusionBuffer();

    // Frame start: clears the counters, and the levels when the buffer is
    // active and occlusion is enabled.
    void beginFrame(bool occlusionEnabled);
    // Rasterises a mesh drawn with modelView under projection. positions:
    // vertexCount points of three floats, strideBytes apart; indices: three
    // per triangle. Meshes of more than kMaxOccluderVertices vertices, or with
    // a vertex behind the camera, add nothing.
    void addOccluder(const float* positions, size_t strideBytes, int vertexCount, const uint16_t* indices,
                     int triangleCount, const Matrix44& projection, const Matrix44& modelView);
    // Whether the sphere (view-space centre x, y, z and radius) is hidden by
    // the occluders added this frame. A sphere holding the camera never is.
    bool isOccluded(const float sphere[4], const Matrix44& projection);
    // As isOccluded, without counting the query: for what is drawn after the
    // scene (the crowd), which must not sway whether culling pays.
    bool hides(const float sphere[4], const Matrix44& projection);
    // Frame end: decides from this frame's figures whether culling stays on.
    void endFrame();
    // Counter 0, the given mode, active unless the mode is kOff.
    void reset(int32_t mode);

    // Depth of cell (x, y) of level (0 coarsest), for tests and overlays.
    float cellDepth(int level, int x, int y) const { return levels_[level][cellIndex(level, x, y)]; }

    uint8_t active = 1;       // culling is performed this frame
    int32_t tests = 0;        // queries this frame
    int32_t hits = 0;         // queries answered hidden this frame
    int32_t coarseHits = 0;   // hidden answers decided above the finest level
    int32_t mode = kTrial;
    int32_t counter = 0;      // frames counted by the mode logic

private:
    static int cellIndex(int level, int x, int y) { return (y << level) + x; }
    // Every cell kEmpty, built once for the process.
    static const std::array<std::vector<float>, kLevels>& clearedLevels();
    // Nearest depth of the triangle at each grid corner it covers, within
    // corners sx0 .. sx1, sy0 .. sy1.
    void markCorners(const float* p0, const float* p1, const float* p2, int sx0, int sy0, int sx1, int sy1);
    bool cellHidden(int level, int x, int y) const;
    // The sphere's answer: the level that found it hidden, or one of these
    // (not asked: it holds the camera or lies behind it).
    static constexpr int kNotAsked = -2, kVisible = -1;
    int query(const float sphere[4], const Matrix44& projection);

    std::array<std::vector<float>, kLevels> levels_;  // level k: 2^k x 2^k cells, row by row
    int32_t testRect_[kLevels][4] = {};  // x0, y0, x1, y1 of the current query at each level
    float testDepth_ = 0;
    // Rasteriser scratch: the mesh's nearest depth at each grid corner, kEmpty where it does not reach.
    float cornerDepth_[kFinestSize + 1][kFinestSize + 1] = {};
    float projected_[kMaxOccluderVertices][3] = {};             // grid x, grid y, view depth
};
