#pragma once
// Always-on assertions. A failed check throws AssertException carrying the
// source name ("core/Poly", "typology/TypBuiCourt", ...) and the line; the main
// window reports it once and ends the program.
#include <stdexcept>
#include <string>

class AssertException : public std::runtime_error {
public:
    AssertException(const char* source, int line, const char* expression);
    const std::string& source() const { return source_; }
    int line() const { return line_; }
    const std::string& expression() const { return expression_; }

private:
    std::string source_;
    int line_;
    std::string expression_;
};

namespace calli {
// Turns a compiler path (".../core/Poly.cpp") into the source name "core/Poly".
std::string sourceName(const char* file);
[[noreturn]] void assertFailed(const char* file, int line, const char* expression);
}

#define CALLI_ASSERT(expr) \
    ((expr) ? static_cast<void>(0) : ::calli::assertFailed(__FILE__, __LINE__, #expr))
