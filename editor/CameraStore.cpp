#include "editor/CameraStore.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>

#include "editor/CameraControl.h"

#include "core/NullRenderContext.h"
#include "core/RenderContext.h"

CameraStore::CameraStore(std::string path) : path_(std::move(path)) {}

std::string CameraStore::formatLine(int64_t number, const StoredCamera& c) {
    // Wide enough for the largest finite floats with two decimals.
    char buffer[640];
    std::snprintf(buffer, sizeof buffer, "Cam%.2lld: (%.2f,%.2f,%.2f)(%.2f,%.2f,%.2f)(%.2f,%.2f,%.2f) x%.2f",
                  static_cast<long long>(number), c.eye.x, c.eye.y, c.eye.z, c.target.x, c.target.y, c.target.z,
                  c.up.x, c.up.y, c.up.z, c.detail);
    return buffer;
}

bool CameraStore::parseLine(const std::string& line, StoredCamera& c) {
    // sscanf stops at the first mismatch and leaves the rest untouched.
    const int read = std::sscanf(line.c_str(), "Cam%*d: (%f,%f,%f)(%f,%f,%f)(%f,%f,%f) x%f", &c.eye.x, &c.eye.y,
                                 &c.eye.z, &c.target.x, &c.target.y, &c.target.z, &c.up.x, &c.up.y, &c.up.z,
                                 &c.detail);
    return read == 10;
}

bool CameraStore::usable(const StoredCamera& c) {
    const float numbers[] = {c.eye.x, c.eye.y, c.eye.z, c.target.x, c.target.y, c.target.z,
                             c.up.x,  c.up.y,  c.up.z,  c.detail};
    for (float v : numbers)
        if (!std::isfinite(v))
            return false;
    if (!(c.detail > 0))
        return false;
    // The far distance as apply() computes it: overflowing to infinity counts.
    const Vector toTarget = c.target - c.eye;
    const float far = toTarget.length();
    if (!std::isfinite(far) || !(far > CameraControl::kNearDistance))
        return false;
    // An up vector (nearly) along the view direction leaves no right axis.
    const float upLength = c.up.length();
    if (!std::isfinite(upLength) || !(upLength > 0))
        return false;
    const Vector forward = toTarget * (1.0f / far);
    const Vector up = c.up * (1.0f / upLength);
    constexpr float kMinSine = 1e-3f;
    if (!(up.cross(forward).length() > kMinSine))
        return false;
    const Matrix44 view = makeView(c.eye, c.target, c.up);
    for (float e : view.m)
        if (!std::isfinite(e))
            return false;
    return true;
}

bool CameraStore::entryNumber(const std::string& line, int64_t& number) {
    if (line.compare(0, 3, "Cam") != 0)
        return false;
    const char* digits = line.c_str() + 3;
    char* end = nullptr;
    const long long n = std::strtoll(digits, &end, 10);
    if (end == digits)
        return false;
    number = n;
    return true;
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
    fileLines_.clear();
    lines_.clear();
    fileIndex_.clear();
    skipped_ = 0;
    status_.clear();
    std::ifstream in(path_, std::ios::binary);
    if (!in)
        return;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        StoredCamera c;
        if (parseLine(line, c) && usable(c)) {
            fileIndex_.push_back(fileLines_.size());
            lines_.push_back(line);
        } else {
            ++skipped_;
        }
        fileLines_.push_back(line);
    }
    if (skipped_ > 0)
        status_ = "Skipped " + std::to_string(skipped_) + (skipped_ == 1 ? " line" : " lines") + " of " + path_ +
                  " that give no usable camera";
}

bool CameraStore::saveCurrent() {
    status_.clear();
    if (!usable(camera)) {
        status_ = "The current camera cannot be stored";
        return false;
    }
    int64_t last = -1;
    if (!fileLines_.empty() && !entryNumber(fileLines_.back(), last))
        last = -1;
    const int64_t next = last < std::numeric_limits<int64_t>::max() ? last + 1 : last;
    fileIndex_.push_back(fileLines_.size());
    fileLines_.push_back(formatLine(next, camera));
    lines_.push_back(fileLines_.back());

    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    if (out) {
        for (const std::string& line : fileLines_)
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
    if (index < 0 || index >= static_cast<int>(lines_.size()))
        return;
    const size_t at = fileIndex_[index];
    fileLines_.erase(fileLines_.begin() + static_cast<std::ptrdiff_t>(at));
    lines_.erase(lines_.begin() + index);
    fileIndex_.erase(fileIndex_.begin() + index);
    for (size_t& i : fileIndex_)
        if (i > at)
            --i;
}

float CameraStore::apply(RenderContext& ctx) const {
    // No regular view to install: keep the camera as it is.
    if (!usable(camera))
        return 0;
    ctx.setView(makeView(camera.eye, camera.target, camera.up));
    ctx.setDetail(camera.detail);
    return (camera.eye - camera.target).length();
}
