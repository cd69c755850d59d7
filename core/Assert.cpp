#include "core/Assert.h"

AssertException::AssertException(const char* source, int line, const char* expression)
    : std::runtime_error(std::string("Assert failed: ") + source + " " + std::to_string(line) + "\n" + expression),
      source_(source), line_(line), expression_(expression) {}

namespace calli {

std::string sourceName(const char* file) {
    std::string path(file);
    const auto dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos)
        path.erase(dot);
    // Keep the last two components: the folder and the file's base name.
    const auto last = path.rfind('/');
    if (last == std::string::npos || last == 0)
        return path;
    // Typologies sit in level folders but are named as one library.
    const auto typology = path.rfind("typology/");
    if (typology != std::string::npos && (typology == 0 || path[typology - 1] == '/'))
        return "typology" + path.substr(last);
    const auto before = path.rfind('/', last - 1);
    return before == std::string::npos ? path : path.substr(before + 1);
}

void assertFailed(const char* file, int line, const char* expression) {
    throw AssertException(sourceName(file).c_str(), line, expression);
}

}  // namespace calli
