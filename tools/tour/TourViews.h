#pragma once
// The tour's named views (--view NAME): fixed cameras over the town of the
// default seed that show one thing each, for the gallery and for anyone who
// wants the same picture. Near the ground a view's eye and target heights
// are metres above the ground under them. The crowd's view gathers walkers
// on the streets in front of the camera.
#include <string>

#include "core/Vector.h"

class Crowd;
class Drawable;
class RenderContext;
class RendererGl;
class Terrain;

struct TourView {
    const char* name;
    const char* what;  // one line for the usage
    Vector eye, target;  // world metres
    bool onGround;       // eye.y and target.y are heights above the ground
    float detail;
    bool crowd;  // walkers gathered ahead of the camera

    // Eye and target in world coordinates over ground (null: flat at 0).
    void place(const Terrain* ground, Vector& worldEye, Vector& worldTarget) const;
};

namespace tourviews {
inline constexpr int kCount = 7;
// Frames flown at a view unless --frames says otherwise: the town grows
// around the camera and impostors settle.
inline constexpr int kFrames = 6;
// Walkers gathered for the crowd's view, on the streets up to kCrowdReach
// metres ahead of the camera.
inline constexpr int kCrowdWalkers = 300;
inline constexpr float kCrowdReach = 60.0f;
// Walkers started at one node walk up to this many frames apart.
inline constexpr int kCrowdSpread = 120;
// Quality of a JPEG shot (stb's scale, 1 to 100).
inline constexpr int kJpegQuality = 88;
}  // namespace tourviews

// Every view, in the gallery's order.
const TourView* tourViews();
// The view named name, or null.
const TourView* findView(const std::string& name);

// Starts the crowd's first walkers at the street nodes nearest points spread
// over the view ahead of the camera (a fan kCrowdReach deep), walking on at
// their configured speed, each some frames (up to kCrowdSpread) on its way.
// Draws from the navigation generator only.
void gatherCrowd(Crowd& crowd, RenderContext& ctx, Drawable* world, const Vector& eye, const Vector& target);

// Writes the renderer's last frame to path: a JPEG for ".jpg" or ".jpeg",
// else a PNG. False when it cannot be written.
bool saveShot(const RendererGl& renderer, const std::string& path);
// Whether path names a picture saveShot writes (".png", ".jpg", ".jpeg").
bool shotNameAllowed(const std::string& path);
