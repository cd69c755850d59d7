#pragma once
// Paints the material pictures of the data set. Every picture tiles without
// seams in both directions, except the two atlases (car paint, lamp metal)
// whose regions the model meshes address directly.
#include "tools/datagen/Image.h"

#include <string>
#include <vector>

class TexturePainter {
public:
    // File names under Bitmaps/ ("brick1.jpg", ...), in painting order.
    static std::vector<std::string> names();
    // Whether the picture repeats seamlessly (false for the atlases).
    static bool tiles(const std::string& name);
    // The picture for one of names(); an unknown name is an assertion failure.
    static Image paint(const std::string& name);
};
