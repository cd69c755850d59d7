#pragma once
// The sky light: a hemisphere ambient added to the sun. Walls turned away
// from the sun are lit by the sky above and, more dimly, by the ground below,
// as stone and plaster in shade are. The two colours come from the skybox's
// pictures: the mean colour of its top face (the sky overhead) and of its
// bottom face (the ground), each scaled by its strength. Needs no GL.
#include <string>

#include "core/Vector.h"

struct SkyLight {
    // Share of the sky's mean colour that lights a surface facing straight up.
    static constexpr float kSkyStrength = 0.55f;
    // Share of the ground's mean colour that lights a surface facing straight down.
    static constexpr float kGroundStrength = 0.35f;

    Vector sky;     // light from straight above, 0..1 per channel
    Vector ground;  // light from straight below

    // From the two mean colours (0..1 per channel).
    static SkyLight fromMeans(const Vector& skyMean, const Vector& groundMean);
    // From the skybox's top and bottom pictures in folder ("../data/Bitmaps/"
    // style, with its slash). A picture that does not decode counts as black,
    // so without pictures there is no sky light. ok, when given, says whether
    // both decoded.
    static SkyLight fromFolder(const std::string& folder, bool* ok = nullptr);
    // The mean colour of a picture, 0..1 per channel; false (mean black) when
    // it does not decode.
    static bool meanColour(const std::string& path, Vector& mean);
    // Light reaching a surface of unit normal n: mix(ground, sky, (1 + n.y) / 2).
    Vector at(const Vector& n) const;
};
