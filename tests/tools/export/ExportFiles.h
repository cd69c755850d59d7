#pragma once
// Where the export tests find the files the test set-up wrote (see
// tests/CMakeLists.txt): CALLI_EXPORT_DIR, and the tour that wrote them.
#include <cstdlib>
#include <string>

namespace exportFiles {

inline std::string dir() {
    const char* d = std::getenv("CALLI_EXPORT_DIR");
    return d ? d : "";
}
inline std::string tour() { return std::string(CALLI_BIN_DIR) + "/callimora-tour"; }

}  // namespace exportFiles
