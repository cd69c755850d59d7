#pragma once
// Where the tour's frame time goes, read from the profiling timer's sections,
// and what each pass leaves behind: per pass the median and p99 of every part
// of a frame, the peak and final resident memory and the live descriptions.
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "core/Profiler.h"
#include "tools/tour/FrameQuantiles.h"

class TourBreakdown {
public:
    // One frame, in milliseconds.
    struct Frame {
        double traversal = 0;     // the frame less the four parts below: culling, detail, collapse
        double generation = 0;    // inside generate
        double tessellation = 0;  // recording lists: tessellating, building meshes, merging groups
        double occluders = 0;     // meshes rasterised into the occlusion buffer
        double submission = 0;    // uploads and draw calls to the device
        double finish = 0;        // end of frame and waiting for the device
        // What the program itself costs, without the device.
        double ownWork() const { return traversal + generation + tessellation; }
    };

    // What a pass leaves behind.
    struct PassEnd {
        long peakKb = 0;   // largest resident memory during the pass
        long finalKb = 0;  // resident memory at its end
        long live = 0;     // live descriptions at its end
    };

    // Splits the frame timed by the section `frame`: the generate, record,
    // occluder and submit sections below it, each less the sections nested in it; the rest
    // is traversal. finishMs is measured outside the section.
    static Frame split(const Profiler::Section& frame, double finishMs);
    // The same for the profiler's top-level "Render" section (all zero without one).
    static Frame split(const Profiler& profiler, double finishMs);
    // Seconds in the sections with this key at or below s, each less the
    // time of the sections nested in it.
    static double exclusiveSeconds(const Profiler::Section& s, uint32_t key);
    // Seconds in the outermost sections with this key at or below s, with
    // what is nested in them.
    static double inclusiveSeconds(const Profiler::Section& s, uint32_t key);
    // The same below the profiler's top-level "Render" section.
    static double inclusiveSeconds(const Profiler& profiler, uint32_t key);
    // The value at fraction p (0 < p <= 1) of the sorted values, the smallest
    // value with at least p of them at or below it; 0 when there are none.
    static double percentile(std::vector<double> values, double p);

    void add(int pass, const Frame& frame);
    void endPass(int pass, const PassEnd& end);
    // The figures of a finished pass; null before endPass.
    const PassEnd* passEnd(int pass) const;
    // True when the later pass ended with at most factor times the earlier
    // one's final resident memory (unless memory is false) and live
    // descriptions (both passes ended).
    bool endedWithin(int earlier, int later, double factor, bool memory = true) const;
    // "summary:" lines of one pass; submission and finish only when rendered.
    void print(int pass, bool rendered, std::FILE* out) const;

private:
    // Per pass, each part of the frame and the program's own work, in the
    // order print() names them.
    static constexpr int kParts = 7;
    std::map<int, std::array<FrameQuantiles, kParts>> parts_;
    std::vector<std::pair<int, PassEnd>> ends_;
};
