#include "editor/ValueDialog.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace dialog {

bool readNumber(const std::string& text, double& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE || !std::isfinite(v))
        return false;
    while (*end && std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (*end)
        return false;
    value = v;
    return true;
}

}  // namespace dialog

void ValueDialog::open(float value) {
    value_ = value;
    message_.clear();
    show();
}

void ValueDialog::show() {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value_);
    text_ = buffer;
}

void ValueDialog::spin(int delta) {
    // Held long enough, doubling overflows and halving reaches zero: the
    // arrow then changes nothing.
    const float next = delta < 0 ? value_ * 2.0f : value_ * 0.5f;
    if (std::isfinite(next) && next >= kSmallest)
        value_ = next;
    message_.clear();
    show();
}

void ValueDialog::setText(const std::string& text) {
    text_ = text.substr(0, kMaxText);
    double v = 0;
    if (dialog::readNumber(text_, v) && v > 0 && std::isfinite(static_cast<float>(v)))
        value_ = static_cast<float>(v);
}

bool ValueDialog::accept() {
    double v = 0;
    if (!dialog::readNumber(text_, v) || !(v > 0) || !std::isfinite(static_cast<float>(v))) {
        message_ = "Please enter a positive number.";
        return false;
    }
    value_ = static_cast<float>(v);
    message_.clear();
    return true;
}
