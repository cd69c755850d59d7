#include "editor/ErrorLog.h"

#include <cstdio>

#include "core/Assert.h"

ErrorLog::ErrorLog(std::string path) : path_(std::move(path)) {}

std::string ErrorLog::message(const AssertException& error, const char* cameraText) {
    return "Assert failed: " + error.source() + " " + std::to_string(error.line()) + "\n" +
           (cameraText ? cameraText : "");
}

bool ErrorLog::append(const std::string& message) const {
    std::FILE* file = std::fopen(path_.c_str(), "a");
    if (!file)
        return false;
    const bool written = std::fprintf(file, "%s\n", message.c_str()) >= 0;
    return std::fclose(file) == 0 && written;
}
