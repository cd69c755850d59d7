#pragma once
// A render context that draws nothing and records what it is asked to draw:
// for traversal, generation and level-of-detail tests on the CPU.
#include <string>
#include <vector>

#include "core/RenderContext.h"

class NullRenderContext : public RenderContext {
public:
    struct Call {
        std::string op;              // "extrudedPolygon", "terrainPolygon", ...
        const Desc* description;     // the context's current description at the call
        int points;                  // polygon points, or 0
    };

    // A 90-degree horizontal field of view, near 1, far farDistance.
    explicit NullRenderContext(int width = 500, int height = 400, float farDistance = 10000);

    // Looks from eye towards target with world y up.
    void lookAt(const Vector& eye, const Vector& target);

    void beginList() override;
    std::unique_ptr<RenderList> endList() override;
    void replayList(RenderList& list) override;
    void extrudedPolygon(const Poly& poly, const Extrusion& extrusion, Material* material, int flags) override;
    void slabPolygon(const ClipPolygon& shape, const Extrusion& extrusion, Material* material) override;
    void placeModel(const Model* model, const Matrix44& placementA, const float placementB[2],
                    Material* material) override;
    void setLight(const Vector& direction) override;
    void roofQuad(const Poly& poly, const float heights[4], float thickness, Material* material) override;
    void terrainPolygon(const Poly& poly, const Terrain* terrain, float depth, Material* material) override;
    void slopedPanel(const Poly& footprint, const Extrusion& start, const Extrusion& end,
                     Material* material) override;
    void drawGraph(const Graph& graph) override;
    // With makesImpostors, impostors without pictures by the renderer's rules
    // (size, window inside the viewport); none otherwise.
    std::unique_ptr<Impostor> createImpostor() override;
    void queueImpostor(Impostor* impostor) override;

    bool makesImpostors = false;
    // Textures that can still be made for impostors; -1: no limit.
    int impostorTextures = -1;
    std::vector<Impostor*> queued;  // not owned: every impostor queued, in order

    std::vector<Call> calls;  // every geometry call, in order, while keepCalls is set
    // The current description at every replay, in order, while keepCalls is set.
    std::vector<const Desc*> replays;
    bool keepCalls = true;    // off for long flights, where only the counters matter
    int emitted = 0;          // meshes recorded into lists
    int replayed = 0;         // lists replayed

private:
    void record(const char* op, int points);
    int pending_ = 0;  // meshes emitted since beginList
};

// Builds the projection the main window uses: P0 = 1/tan(fov/2), P5 = P0 * width / height.
Matrix44 makeProjection(int width, int height, float nearDistance, float farDistance);
// View matrix looking from eye towards target with the given up vector.
Matrix44 makeView(const Vector& eye, const Vector& target, const Vector& up = {0, 1, 0});
