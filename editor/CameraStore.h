#pragma once
// The camera store: named camera positions kept one per line in a text file,
// "Cam%.2d: (eye)(target)(up) x<detail>". The target lies at the far distance
// in front of the eye, so a stored camera also restores the depth of field.
// The file is read when the store opens and written only by saveCurrent().
// Lines that would give no usable camera (a number that is not finite, a
// singular view, a detail or far distance that is not positive) are not
// listed, but stay in the file, which only ever receives finite numbers.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Vector.h"

class RenderContext;

struct StoredCamera {
    Vector eye;
    Vector target;
    Vector up{0, 1, 0};
    float detail = 0.4f;
};

class CameraStore {
public:
    static constexpr const char* kDefaultPath = "../data/camaras.txt";

    explicit CameraStore(std::string path = kDefaultPath);

    // One file line for camera number `number` (at least two digits).
    static std::string formatLine(int64_t number, const StoredCamera& camera);
    // Reads a line into `camera`; fields the line fails to provide keep their
    // values. True when every field was read.
    static bool parseLine(const std::string& line, StoredCamera& camera);
    // Whether the camera gives a finite, regular view and projection: every
    // number finite, the detail positive, the target beyond the 1 m near
    // plane, the up vector not along the view direction.
    static bool usable(const StoredCamera& camera);
    // The number after "Cam" at the start of the line; false when there is
    // none. Numbers beyond 64 bits read as the largest one.
    static bool entryNumber(const std::string& line, int64_t& number);

    // The current camera of ctx: eye, up and forward from the inverse view,
    // the target `far` metres ahead, the context's detail.
    void capture(const RenderContext& ctx, float far);
    // Replaces the list by the file's usable lines (whole lines of any length,
    // without their line ends); an unreadable file gives an empty list. When
    // lines were skipped, status() says how many.
    void load();
    // Appends the current camera, numbered one past the number of the file's
    // last line (0 when there is none or it has no number), and rewrites the
    // file with every line it held, skipped ones included, less the deleted
    // ones. False when the current camera is not usable (nothing changes) or
    // the file could not be written (the entry stays in the list); status()
    // says which.
    bool saveCurrent();
    // Parses entry `index` into the current camera; false for no such entry.
    bool select(int index);
    // Removes entry `index` from the list (the file follows at the next save).
    void remove(int index);
    // Installs the current camera: view from eye, target and up, the detail,
    // and returns the far distance |target - eye| for the projection. Returns
    // 0 and changes nothing when the camera is not usable.
    float apply(RenderContext& ctx) const;

    // The usable entries, in file order.
    const std::vector<std::string>& lines() const { return lines_; }
    // Lines of the file the last load() did not list.
    int skipped() const { return skipped_; }
    const std::string& path() const { return path_; }
    // Text for the status bar after the last load or save; empty when it
    // went well.
    const std::string& status() const { return status_; }

    StoredCamera camera;

private:
    std::string path_;
    std::vector<std::string> fileLines_;  // every line of the file, in order
    std::vector<std::string> lines_;      // the usable ones
    std::vector<size_t> fileIndex_;       // where each usable one is in fileLines_
    int skipped_ = 0;
    std::string status_;
};
