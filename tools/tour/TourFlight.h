#pragma once
// One flight of the tour: every frame along the path (or the autopilot's
// walk), timed and counted, with the crowd when there is one; a pass may
// write pictures.
#include "core/lod/FrameRateMonitor.h"
#include "tools/tour/TourBreakdown.h"
#include "tools/tour/TourSummary.h"

class Autopilot;
class Crowd;
class Desc;
class RenderContext;
class RendererGl;
class Skybox;
class TourPath;
struct TourOptions;

class TourFlight {
public:
    // renderer and sky: null for a flight without GL. pilot and crowd: not owned, may be null.
    TourFlight(const TourOptions& options, RenderContext& ctx, RendererGl* renderer, Skybox* sky, Desc& world,
               const TourPath& path, Autopilot* pilot, Crowd* crowd)
        : o_(options), ctx_(ctx), renderer_(renderer), sky_(sky), world_(world), path_(path), pilot_(pilot),
          crowd_(crowd) {}

    // Flies the whole path once; pass 0 may write pictures.
    void fly(int pass);

    const TourBreakdown& breakdown() const { return breakdown_; }

    // Figures of one pass, to stdout.
    void summary(int pass) const;

private:
    FrameStats frame(int pass);
    // The window's monitor on this frame's time, as its 10 ms tick paces frames.
    void watchFrameRate(const FrameStats& s);

    const TourOptions& o_;
    RenderContext& ctx_;
    RendererGl* renderer_;  // null without GL
    Skybox* sky_;           // null without GL
    Desc& world_;
    const TourPath& path_;
    Autopilot* pilot_;  // not owned; null: the fixed path
    Crowd* crowd_;      // not owned; null: no crowd
    TourSummary summary_;
    TourBreakdown breakdown_;
    FrameRateMonitor monitor_;
    int rateFrames_ = 0;       // frames in the monitor's current rate window
    double rateSeconds_ = 0;   // their time
};
