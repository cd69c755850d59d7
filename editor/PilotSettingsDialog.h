#pragma once
// The value rules of the "Pilot settings" dialog: camera height and speed of
// the autopilot, shown with "%.2f", and where it starts ("Nearest node" or
// "Random node"). Unreadable numbers, a negative height and a speed that is
// not positive (the agent cannot walk at 0) are refused with a message, and
// so are values so large that the camera's matrices would overflow.
#include <string>

class PilotSettingsDialog {
public:
    static constexpr double kMaxHeight = 10000;  // metres: twice the town's width
    static constexpr double kMaxSpeed = 1000;    // metres per step

    void open(float height, float speed, bool startAtNearest);
    // OK pressed: true with height(), speed() and startAtNearest set.
    bool accept();

    std::string heightText;  // edit 1009 "Camera height"
    std::string speedText;   // edit 1012 "Speed (m/frame)"
    bool startAtNearest = true;

    float height() const { return height_; }
    float speed() const { return speed_; }
    const std::string& message() const { return message_; }

private:
    float height_ = 0;
    float speed_ = 0;
    std::string message_;
};
