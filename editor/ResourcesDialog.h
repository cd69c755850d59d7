#pragma once
// The value rules of the "FPS Monitor" dialog: the frame-rate target (0 to
// 1000 frames a second) and the memory limit (1024 to 262144 Kb). Values out
// of range or unreadable are refused with a prompt and the dialog stays open.
#include <cstdint>
#include <string>

class ResourcesDialog {
public:
    static constexpr float kMinTarget = 0.0f, kMaxTarget = 1000.0f;
    static constexpr int64_t kMinMemory = 1024, kMaxMemory = 262144;

    void open(float target, uint32_t memoryLimit);
    // OK pressed: true with target() and memoryLimit() set when both fields
    // are in range; false with message() naming the first bad field.
    bool accept();

    std::string targetText;  // edit 1005
    std::string memoryText;  // edit 1006

    float target() const { return target_; }
    uint32_t memoryLimit() const { return memory_; }
    const std::string& message() const { return message_; }

private:
    float target_ = 0;
    uint32_t memory_ = 0;
    std::string message_;
};
