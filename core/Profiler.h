#pragma once
// Profiling timer: a tree of named sections under "Root". Entering a section
// counts a call and, on its outermost entry, notes the time; leaving adds the
// elapsed seconds. A frame reset clears the counts and notes the frame start.
// Time comes from the steady clock; only the UI thread uses it.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

// Sections timed by the traversal and the renderer: the frame breakdown of
// the tour reads them back by these keys.
namespace profile {
inline constexpr uint32_t kRender = 0x524e4431;    // "Render": one whole frame
inline constexpr uint32_t kGenerate = 0x47454e31;  // "Generate": a description making its children
inline constexpr uint32_t kRecord = 0x52454331;    // "Record": tessellating and recording a list
inline constexpr uint32_t kSubmit = 0x53554231;    // "Submit": uploads and draw calls to the device
inline constexpr uint32_t kOccluders = 0x4f434331;  // "Occluders": meshes rasterised into the occlusion buffer
inline constexpr uint32_t kImpostor = 0x494d5031;  // "Impostor": making one, its children drawn into it
}  // namespace profile

class Profiler {
public:
    struct Section {
        std::string name;
        uint32_t key = 0;
        long calls = 0;
        int depth = 0;             // nesting of enters without leaves
        double seconds = 0;
        std::chrono::steady_clock::time_point started;
        Section* parent = nullptr;              // not owned
        std::unique_ptr<Section> firstChild;    // owned, singly linked
        std::unique_ptr<Section> next;          // owned sibling
    };

    Profiler();

    // Enters the child section with this key under the current one (created on first use).
    void enter(uint32_t key, const char* name);
    void leave();
    // Clears all counts, the frame counter included, and notes the start.
    void resetFrame();
    // One more frame since the last reset (the frame-rate figure divides these by the seconds).
    void countFrame() { ++frames_; }
    long frameCount() const { return frames_; }
    double secondsSinceReset() const;
    const Section& root() const { return root_; }
    const Section* current() const { return current_; }

    static Profiler& instance();

private:
    static void clear(Section& s);

    Section root_;
    Section* current_;
    long frames_ = 0;
    std::chrono::steady_clock::time_point frameStart_;
};

// Enters a section for the lifetime of the object.
class ProfileScope {
public:
    ProfileScope(uint32_t key, const char* name, Profiler& p = Profiler::instance()) : p_(p) { p_.enter(key, name); }
    ~ProfileScope() { p_.leave(); }
    ProfileScope(const ProfileScope&) = delete;
    ProfileScope& operator=(const ProfileScope&) = delete;

private:
    Profiler& p_;
};
