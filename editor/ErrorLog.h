#pragma once
// The error log "../data/error.txt": one entry per failed assertion, appended
// as "Assert failed: <source> <line>" and the camera text on the next line.
// A log that cannot be opened is left alone.
#include <string>

class AssertException;

class ErrorLog {
public:
    static constexpr const char* kDefaultPath = "../data/error.txt";

    explicit ErrorLog(std::string path = kDefaultPath);

    // "Assert failed: %s %d\n%s" with the source name, the line and the
    // camera text (may be null: an empty second line).
    static std::string message(const AssertException& error, const char* cameraText);
    // Appends the message and a newline; false when the log cannot be
    // opened, in which case nothing is written.
    bool append(const std::string& message) const;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};
