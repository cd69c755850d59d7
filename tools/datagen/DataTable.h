#pragma once
// What the data directory holds: one .3DS material file per bound material
// name, the five model files, and the pictures under Bitmaps/.
//
// Material record fields as the material rules read them:
//   texture1_map.name       texture file under Bitmaps/ ("" = untextured)
//   wire_size               metres per texture repeat
//   texture1_map.offset     tile size along u and v, in texture repeats; the
//                           random texture shift is a whole number of tiles,
//                           so courses and joints stay in step (0 = free shift)
//   diffuse                 surface colour (quantised to 1/255 as the file keeps it)
//   additive                coloured mark: the colour tints the texture
//   shininess               brightness jitter per drawable, 0 … 1 (whole percent)
//
// Models (file z up, metres; the meshes' own texture coordinates address the
// material's picture as an atlas in [0, 1] with v = 0 at the picture's top, so
// the placing code should pass texture factors (1, 1)):
//   Street_lamp1  post lantern 4.5 high on the origin.
//   Car1, Car2    ground at z = 0, centred on the origin, front towards +x;
//                 Car1 about 4.4 × 1.8 × 1.45, Car2 about 3.9 × 1.7 × 1.6.
//   Canopy1       sloping awning with a scalloped valance: x −1 … 1 (along the
//                 stall front), y −0.75 … 0.75 in the file (front edge at
//                 +0.75, lowest, its valance 2 cm beyond), top from 0 at the
//                 front to 0.35 at the back, valance hanging 0.22 below 0.
//   Canopy2       ridged tent roof over the same footprint, ridge 0.45 high
//                 along the middle, straight valances front and back 0.18 deep.
// The triangles are wound for the reader's axis exchange (file z becomes
// world y): after it, (p0 − p2) × (p1 − p2) points out of the solid.
#include "tools/datagen/Image.h"

struct DataMaterial {
    const char* name;     // material name and file name "<name>.3DS"
    const char* texture;  // picture under Bitmaps/
    float scale;          // metres per repeat
    float tileU, tileV;   // in repeats
    bool coloured;        // additive flag
    float variation;      // shininess
    Rgb diffuse;          // negative red: the picture's mean colour
};

inline constexpr Rgb kMeanColour{-1, 0, 0};

inline constexpr DataMaterial kMaterials[] = {
    {"Wood1", "wood1.jpg", 1.0f, 0, 0, false, 0.30f, kMeanColour},
    {"Slate1", "slate1.jpg", 1.6f, 1.0f / 6, 0.25f, false, 0.25f, kMeanColour},
    {"Soil1", "soil1.jpg", 2.0f, 0, 0, false, 0.30f, kMeanColour},
    {"Woodplanks1", "woodplanks1.jpg", 1.2f, 0, 0.125f, false, 0.20f, kMeanColour},
    {"Floortile1", "floortile1.jpg", 1.2f, 0.25f, 0.25f, false, 0.20f, kMeanColour},
    {"Brick1", "brick1.jpg", 1.2f, 0.2f, 0.125f, false, 0.30f, kMeanColour},
    {"Canopy1", "canopy1.jpg", 1.2f, 0.25f, 0, false, 0.10f, kMeanColour},
    {"Canopy2", "canopy2.jpg", 1.2f, 0.25f, 0, false, 0.10f, kMeanColour},
    {"Lime1", "lime1.jpg", 3.0f, 0, 0, false, 0.25f, kMeanColour},
    {"Road1", "road1.jpg", 2.0f, 0, 0, false, 0.20f, kMeanColour},
    {"Land1", "land1.jpg", 4.0f, 0, 0, false, 0.25f, kMeanColour},
    {"Land2", "land2.jpg", 6.0f, 0, 0, false, 0.25f, kMeanColour},
    {"Ceramic1", "ceramic1.jpg", 1.6f, 0.25f, 1.0f / 6, false, 0.25f, kMeanColour},
    {"Lime_blue", "lime_blue.jpg", 3.0f, 0, 0, false, 0.25f, kMeanColour},
    {"Lime_ochre", "lime_ochre.jpg", 3.0f, 0, 0, false, 0.25f, kMeanColour},
    {"Road_slate", "road_slate.jpg", 3.0f, 0, 0, false, 0.20f, kMeanColour},
    {"Car1", "carpaint.jpg", 4.0f, 0, 0, true, 0.15f, {0.66f, 0.09f, 0.07f}},
    {"Car2", "carpaint.jpg", 4.0f, 0, 0, true, 0.15f, {0.14f, 0.29f, 0.56f}},
    {"Street_lamp1", "lampmetal.jpg", 1.0f, 0, 0, false, 0.05f, {0.12f, 0.18f, 0.15f}},
    {"Steel1", "steel1.jpg", 3.0f, 0.5f, 0.5f, false, 0.10f, kMeanColour},
};

// Material files that are also models: the same file carries the meshes.
inline constexpr const char* kModels[] = {"Street_lamp1", "Car1", "Car2", "Canopy1", "Canopy2"};

// Names bound with another spelling (tree branches say "wood1"): a byte copy
// of the named file, so case-sensitive file systems find it too.
struct DataAlias {
    const char* alias;
    const char* name;
};
inline constexpr DataAlias kAliases[] = {{"wood1", "Wood1"}};
