#pragma once
// The camera store: named camera positions kept one per line in a text file,
// "Cam%.2d: (eye)(target)(up) x<detail>". The target lies at the far distance
// in front of the eye, so a stored camera also restores the depth of field.
// The file is read when the store opens and written only by saveCurrent().
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
    static std::string formatLine(int number, const StoredCamera& camera);
    // Reads a line into `camera`; fields the line fails to provide keep their
    // values. True when every field was read.
    static bool parseLine(const std::string& line, StoredCamera& camera);

    // The current camera of ctx: eye, up and forward from the inverse view,
    // the target `far` metres ahead, the context's detail.
    void capture(const RenderContext& ctx, float far);
    // Replaces the list by the file's lines (whole lines of any length, without
    // their line ends); an unreadable file gives an empty list.
    void load();
    // Appends the current camera, numbered one past the last entry's number
    // (0 when there is none or it has no number), and rewrites the file with
    // the whole list. False when the file could not be written: the entry
    // stays in the list and status() says so.
    bool saveCurrent();
    // Parses entry `index` into the current camera; false for no such entry.
    bool select(int index);
    // Removes entry `index` from the list (the file follows at the next save).
    void remove(int index);
    // Installs the current camera: view from eye, target and up, the detail,
    // and returns the far distance |target - eye| for the projection. Returns
    // 0 and changes nothing when target and eye coincide.
    float apply(RenderContext& ctx) const;

    const std::vector<std::string>& lines() const { return lines_; }
    const std::string& path() const { return path_; }
    // Text for the status bar after the last save; empty when it went well.
    const std::string& status() const { return status_; }

    StoredCamera camera;

private:
    std::string path_;
    std::vector<std::string> lines_;
    std::string status_;
};
