#pragma once
// Surfaces. A Material is owned by its drawable and refers to a record in the
// shared, reference-counted material table, loaded from "../data/<name>.3DS"
// on first bind and freed on last unbind. The mapping mode tells the renderer
// how to lay the texture on faces.
#include <cstdint>
#include <memory>
#include <string>

class Impostor;
class ParameterList;

// What the system reads from a material file's first material.
struct MaterialRecord {
    std::string name;          // the name it was bound by
    std::string textureName;   // empty: no texture map
    float textureScale = 1;    // metres per texture repeat
    float tileU = 0, tileV = 0;
    float colour[3] = {1, 1, 1};
    bool coloured = false;     // a textured surface keeps its colour
    float colourVariation = 0; // brightness jitter
};

// Mapping mode bits and the named modes.
namespace mapping {
inline constexpr uint8_t kVertical = 1, kHorizontal = 2, kOblique = 4, kRotated = 8, kAuto = 16, kImpostor = 32;
inline constexpr int kModeCount = 12;
extern const char* const kModeNames[kModeCount];
extern const uint8_t kModeValues[kModeCount];
}  // namespace mapping

inline constexpr int kMaterialNameCount = 19;
extern const char* const kMaterialNames[kMaterialNameCount];

class Material {
public:
    Material() = default;
    // Binds name when not null.
    explicit Material(const char* name);
    virtual ~Material();  // unbinds
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    // Looks name up in the shared table, loading its file on a miss; unbound when it fails.
    bool bind(const char* name);
    void unbind();
    bool bound() const { return record != nullptr; }

    // The bound record's name, or null.
    virtual const char* textureName() const;
    // Tile-aligned texture offsets from the texture-offset generator and the
    // scale 1/s; false (outputs untouched) when there is no planar texture.
    virtual bool textureOffset(float& u, float& v, float& scale);
    // Reseeds the texture-offset generator with the drawable's seed.
    virtual void seedOffsets(uint32_t seed);
    virtual bool isImpostor() const { return false; }

    // The material an impostor cover stands over (through any number of
    // covers), or this one when it is no cover. Generation that copies
    // another description's material reads it through this.
    const Material& beneathCover() const;

    // Material entry "name" over the 19 names, then byte choice "Mapping".
    void declare(ParameterList& list, const char* name);

    const MaterialRecord* record = nullptr;  // not owned: the shared table's
    uint8_t mapping = 0;
    uint8_t referenceEdge = 0;
};

// Covers a description's material while an impostor stands in for its children.
class ImpostorMaterial : public Material {
public:
    ImpostorMaterial(std::unique_ptr<Material> covered, Impostor* impostor);
    ~ImpostorMaterial() override;

    bool textureOffset(float& u, float& v, float& scale) override;
    void seedOffsets(uint32_t) override {}
    bool isImpostor() const override { return true; }
    // Hands back the covered material.
    std::unique_ptr<Material> takeNext() { return std::move(next); }

    std::unique_ptr<Material> next;  // owned: the material it covers
    Impostor* impostor = nullptr;    // not owned: the description's
};

// The shared table, for tests and statistics.
namespace materialTable {
int size();
// Reference count of name, 0 when absent.
int references(const char* name);
// Number of material files loaded so far (a test hook for "loads once").
int loads();
}  // namespace materialTable
