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
    if (!dialog::readNumber(heightText, height) || height < 0 || height > kMaxHeight) {
        message_ = "Camera height: please enter a number from 0 to 10000.";
        return false;
    }
    if (!dialog::readNumber(speedText, speed) || !(speed > 0) || speed > kMaxSpeed) {
        message_ = "Speed: please enter a positive number up to 1000.";
        return false;
    }
    height_ = static_cast<float>(height);
    speed_ = static_cast<float>(speed);
    message_.clear();
    return true;
}
