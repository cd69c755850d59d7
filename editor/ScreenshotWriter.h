#pragma once
// Numbered screenshots "../screenshot%03d.bmp". The counter starts at 0 with
// every run and skips names that already exist, so no picture is overwritten;
// a failed save leaves it where it was.
#include <functional>
#include <string>

class ScreenshotWriter {
public:
    static constexpr const char* kDefaultPattern = "../screenshot%03d.bmp";

    // pattern: a printf pattern with one integer conversion.
    explicit ScreenshotWriter(std::string pattern = kDefaultPattern);

    // The name the next screenshot takes: the pattern with the first number
    // from the counter on whose file does not exist.
    std::string nextName();
    // Saves through `save` (given the name, true on success). On success the
    // counter moves past the name and `status` becomes "Saved screenshot to
    // <name>"; on failure nothing changes. Returns whether it was saved.
    bool take(const std::function<bool(const std::string&)>& save, std::string& status);

    int counter() const { return counter_; }

private:
    std::string nameFor(int number) const;

    std::string pattern_;
    int counter_ = 0;
};
