#include "editor/ScreenshotWriter.h"

#include <cstdio>
#include <filesystem>

ScreenshotWriter::ScreenshotWriter(std::string pattern) : pattern_(std::move(pattern)) {}

std::string ScreenshotWriter::nameFor(int number) const {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, pattern_.c_str(), number);
    return buffer;
}

std::string ScreenshotWriter::nextName() {
    std::error_code error;
    while (std::filesystem::exists(nameFor(counter_), error))
        ++counter_;
    return nameFor(counter_);
}

bool ScreenshotWriter::take(const std::function<bool(const std::string&)>& save, std::string& status) {
    const std::string name = nextName();
    if (!save(name))
        return false;
    status = "Saved screenshot to " + name;
    ++counter_;
    return true;
}
