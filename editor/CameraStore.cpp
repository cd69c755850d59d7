#include "editor/CameraStore.h"

#include <cstdio>
#include <fstream>

#include "core/NullRenderContext.h"
#include "core/RenderContext.h"

CameraStore::CameraStore(std::string path) : path_(std::move(path)) {}

std::string CameraStore::formatLine(int number, const StoredCamera& c) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "Cam%.2d: (%.2f,%.2f,%.2f)(%.2f,%.2f,%.2f)(%.2f,%.2f,%.2f) x%.2f", number,
                  c.eye.x, c.eye.y, c.eye.z, c.target.x, c.target.y, c.target.z, c.up.x, c.up.y, c.up.z, c.detail);
    return buffer;
}

bool CameraStore::parseLine(const std::string& line, StoredCamera& c) {
    // sscanf stops at the first mismatch and leaves the rest untouched.
    const int read = std::sscanf(line.c_str(), "Cam%*d: (%f,%f,%f)(%f,%f,%f)(%f,%f,%f) x%f", &c.eye.x, &c.eye.y,
                                 &c.eye.z, &c.target.x, &c.target.y, &c.target.z, &c.up.x, &c.up.y, &c.up.z,
                                 &c.detail);
    return read == 10;
}

void CameraStore::capture(const RenderContext& ctx, float far) {
    const Matrix44 inv = ctx.view.inverse();
    camera.eye = inv.translationPart();
    const Vector forward(inv.m[2], inv.m[6], inv.m[10]);
    camera.up = Vector(inv.m[1], inv.m[5], inv.m[9]);
    camera.target = camera.eye + forward * far;
    camera.detail = ctx.detail();
}

void CameraStore::load() {
    lines_.clear();
    std::ifstream in(path_, std::ios::binary);
    if (!in)
        return;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines_.push_back(line);
    }
}

bool CameraStore::saveCurrent() {
    int last = -1;
    if (!lines_.empty() && std::sscanf(lines_.back().c_str(), "Cam%d", &last) != 1)
        last = -1;
    lines_.push_back(formatLine(last + 1, camera));

    status_.clear();
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    if (out) {
        for (const std::string& line : lines_)
            out << line << '\n';
        out.close();
    }
    if (!out) {
        status_ = "Could not write " + path_;
        return false;
    }
    return true;
}

bool CameraStore::select(int index) {
    if (index < 0 || index >= static_cast<int>(lines_.size()))
        return false;
    parseLine(lines_[index], camera);
    return true;
}

void CameraStore::remove(int index) {
    if (index >= 0 && index < static_cast<int>(lines_.size()))
        lines_.erase(lines_.begin() + index);
}

float CameraStore::apply(RenderContext& ctx) const {
    const float far = (camera.eye - camera.target).length();
    // No direction to look in: keep the camera as it is.
    if (!(far > 0))
        return 0;
    ctx.setView(makeView(camera.eye, camera.target, camera.up));
    ctx.setDetail(camera.detail);
    return far;
}
