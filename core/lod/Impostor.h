#pragma once
// An impostor: a small picture of a description's children, copied from the
// frame they were drawn in, that stands in for them while the camera stays
// near the viewpoint of the capture. This part needs no graphics API: the
// screen rectangle of a sphere, the placement of the capture window in the
// viewport and the texture projection are plain arithmetic, shared by every
// render context. A renderer derives from Impostor to hold the texture.
#include <memory>
#include <optional>

#include "core/Vector.h"

class RenderList;

class Impostor {
public:
    // The largest texture side, in texels.
    static constexpr int kMaxTextureSize = 128;

    Impostor();
    virtual ~Impostor();
    Impostor(const Impostor&) = delete;
    Impostor& operator=(const Impostor&) = delete;

    // Impostors alive in the process (each holds one texture in a renderer).
    static long liveCount() { return liveCount_; }

    float originX = 0, originY = 0;  // lower-left corner of the window, normalised device units
    float width = 0, height = 0;     // window size, normalised device units
    float creationSize = 0;          // projected size at creation times 1.5
    Vector viewpoint;                // camera position at creation
    int textureWidth = 0, textureHeight = 0;  // texels, powers of two up to kMaxTextureSize
    // Projection times view when the picture was copied; the picture is laid
    // back onto the coarse shape through it. Each impostor keeps its own, so
    // a shape first drawn frames after the capture still gets its picture.
    Matrix44 captureMatrix;
    bool captured = false;
    // The picture was taken while part of the subtree still waited to grow:
    // the impostor is dropped at the next look and made again later.
    bool incomplete = false;
    // The description's list of its plain shape, kept while the impostor
    // stands in (owned; null when it had none) and given back when it goes.
    std::unique_ptr<RenderList> plainShape;

private:
    static inline long liveCount_ = 0;
};

// Normalised device rectangle a sphere covers on screen; (-100, -100, 100,
// 100) when its centre is not in front of the camera.
struct ScreenRect {
    float minX = -100, minY = -100, maxX = 100, maxY = 100;
};

// sphere: view-space centre x, y, z and radius.
ScreenRect screenRectOf(const float sphere[4], const Matrix44& projection);

// Where a capture window lies in a viewport of width x height pixels: its
// texture size, the left column and the bottom row counted from the top.
// The window covers columns left .. left + textureWidth and rows
// bottom - textureHeight .. bottom.
struct ImpostorWindow {
    int textureWidth = 0, textureHeight = 0;
    int left = 0, bottom = 0;
};

// None when the rectangle is wider or higher than kMaxTextureSize pixels or
// the window does not lie wholly inside the viewport.
std::optional<ImpostorWindow> planImpostorWindow(const ScreenRect& rect, int width, int height);

// The window of an impostor made in a viewport of width x height pixels.
ImpostorWindow captureWindow(const Impostor& impostor, int width, int height);

// Rows 0, 1 and 3 of the projective texture matrix that paints the captured
// picture onto geometry given in model coordinates: for a point p,
// u = u . (p, 1) / w . (p, 1) and v likewise, with v = 0 at the window's
// bottom row. model: the geometry's model transform.
struct ImpostorProjection {
    float u[4] = {0, 0, 0, 0};
    float v[4] = {0, 0, 0, 0};
    float w[4] = {0, 0, 0, 1};

    // Texture coordinates of p; not divided when w . (p, 1) is not positive.
    Vec2 apply(const Vector& p) const;
};
ImpostorProjection impostorProjection(const Impostor& impostor, const Matrix44& model, int width, int height);
