#pragma once
// The data directory "../data/" (materials, models, textures, the skybox,
// and the user's camera file and error log), as a program started from its
// own folder sees it. The build writes it; without it the town has no
// textures, no sky and no models, which a program says on one line.
#include <string>

namespace dataDirectory {

inline constexpr const char* kPath = "../data";

// Whether folder is a directory.
bool found(const std::string& folder = kPath);
// One line: the directory (absolute) was not found, and how to make it.
std::string missingMessage(const std::string& folder = kPath);

}  // namespace dataDirectory
