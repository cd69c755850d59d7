#pragma once
// Looks at a written data directory the way a person or the build would:
// a contact sheet of every picture, and a check that the pictures decode and
// that the skybox faces meet along the cube's edges.
#include <string>

class DataReview {
public:
    // One PNG: every material picture tiled 2 × 2 (so seams show) under its
    // name, the six skybox faces, and a panorama sampled from them through the
    // skybox's own face table (so a misturned face shows as a break).
    // False, with the reason on stderr, when a picture is missing or the PNG cannot be written.
    static bool writeContactSheet(const std::string& dataDirectory, const std::string& pngPath);
    // Prints every problem found; true when there is none.
    static bool check(const std::string& dataDirectory);
};
