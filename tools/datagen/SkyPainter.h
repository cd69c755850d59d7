#pragma once
// Paints the six skybox faces from the 3-D direction of every texel, so the
// faces meet without seams. Faces, corners and texture coordinates are those
// the skybox draws: texture (0, 0) is the top-left of the picture.
#include "tools/datagen/Image.h"
#include "tools/datagen/Vec3.h"

class SkyPainter {
public:
    static constexpr int kFaceCount = 6;
    static constexpr int kFaceSize = 512;
    // Picture names under Bitmaps/ in the skybox's face order (+z, +x, −z, −x, −y, +y).
    static const char* const kFaceFiles[kFaceCount];
    // Cube corner indices of each face in strip order, taking texture
    // coordinates (0, 0), (1, 0), (0, 1), (1, 1).
    static const int kFaceCorners[kFaceCount][4];
    static Vec3 corner(int index);

    // World direction (not normalised) through texture coordinate (u, v) of a face.
    static Vec3 direction(int face, float u, float v);
    // Colour of the sky (or the ground below the horizon) seen along a direction.
    static Rgb colour(Vec3 direction);
    static Image paintFace(int face);
};
