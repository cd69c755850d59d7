#include "editor/PilotSettingsDialog.h"

#include <cmath>
#include <cstdio>

#include "editor/ValueDialog.h"

namespace {
std::string twoDecimals(float value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}
}  // namespace

void PilotSettingsDialog::open(float height, float speed, bool nearest) {
    height_ = height;
    speed_ = speed;
    startAtNearest = nearest;
    heightText = twoDecimals(height);
    speedText = twoDecimals(speed);
    message_.clear();
}

bool PilotSettingsDialog::accept() {
    double height = 0, speed = 0;
    if (!dialog::readNumber(heightText, height) || height < 0 || !std::isfinite(static_cast<float>(height))) {
        message_ = "Camera height: please enter a number of 0 or more.";
        return false;
    }
    if (!dialog::readNumber(speedText, speed) || !(speed > 0) || !std::isfinite(static_cast<float>(speed))) {
        message_ = "Speed: please enter a positive number.";
        return false;
    }
    height_ = static_cast<float>(height);
    speed_ = static_cast<float>(speed);
    message_.clear();
    return true;
}
