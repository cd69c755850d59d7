#include "editor/ResourcesDialog.h"

#include <cmath>
#include <cstdio>

#include "editor/ValueDialog.h"

void ResourcesDialog::open(float target, uint32_t memoryLimit) {
    target_ = target;
    memory_ = memoryLimit;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%f", target);
    targetText = buffer;
    std::snprintf(buffer, sizeof buffer, "%u", memoryLimit);
    memoryText = buffer;
    message_.clear();
}

bool ResourcesDialog::accept() {
    double target = 0;
    if (!dialog::readNumber(targetText, target)) {
        message_ = "Please enter a number.";
        return false;
    }
    if (target < kMinTarget || target > kMaxTarget) {
        message_ = "Please enter a number between 0 and 1000.";
        return false;
    }
    double memory = 0;
    if (!dialog::readNumber(memoryText, memory) || memory != std::floor(memory)) {
        message_ = "Please enter an integer.";
        return false;
    }
    if (memory < kMinMemory || memory > kMaxMemory) {
        message_ = "Please enter an integer between 1024 and 262144.";
        return false;
    }
    target_ = static_cast<float>(target);
    memory_ = static_cast<uint32_t>(memory);
    message_.clear();
    return true;
}
