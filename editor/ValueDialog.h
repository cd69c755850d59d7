#pragma once
// The value rules of the "Step" and "Detail" dialogs: one positive number,
// shown with "%.2f", doubled by the spin's upper arrow and halved by its lower
// one, retyped freely in the edit field. Text that is not a positive number is
// refused on OK with a short message, so the dialog stays open; Cancel leaves
// the owner's value alone.
#include <string>

namespace dialog {
// The whole text (surrounding blanks allowed) read as a finite decimal number.
bool readNumber(const std::string& text, double& value);
}  // namespace dialog

class ValueDialog {
public:
    static constexpr int kMaxText = 100;  // characters the edit field takes

    // Starts the dialog on `value`.
    void open(float value);
    // A spin report: a negative delta (the upper arrow) doubles the value,
    // any other halves it; the text shows the new value.
    // An arrow that would overflow or go below kSmallest (which the two
    // decimals would show as 0.00) changes nothing.
    void spin(int delta);
    static constexpr float kSmallest = 0.01f;
    // The edit field's new text; the value follows when it reads as a number.
    void setText(const std::string& text);
    // OK pressed: true when the text is a positive number (value() is then
    // the owner's new value); false with message() set otherwise.
    bool accept();

    float value() const { return value_; }
    const std::string& text() const { return text_; }
    const std::string& message() const { return message_; }

private:
    void show();

    float value_ = 0;
    std::string text_;
    std::string message_;
};
