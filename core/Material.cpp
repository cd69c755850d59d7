#include "core/Material.h"

#include <lib3ds/file.h>
#include <lib3ds/material.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/ModelFile.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/RenderContext.h"

const char* const mapping::kModeNames[mapping::kModeCount] = {
    "Not available",      "Vertical",           "Horizontal",
    "Vertical oblique",   "Horizontal oblique", "Rotated",
    "Vertical rotated",   "Horizontal rotated", "Vertical oblique rotated",
    "Horizontal oblique rotated", "Auto",       "Impostor",
};
const uint8_t mapping::kModeValues[mapping::kModeCount] = {0, 1, 2, 5, 6, 8, 9, 10, 13, 14, 16, 32};

const char* const kMaterialNames[kMaterialNameCount] = {
    "Wood1",  "Slate1", "Soil1",    "Woodplanks1", "Floortile1", "Brick1",     "Canopy1",
    "Canopy2", "Lime1", "Road1",    "Land1",       "Land2",      "Ceramic1",   "Lime_blue",
    "Lime_ochre", "Road_slate", "Car1", "Car2", "Street_lamp1",
};

// ---- the shared material table ----

namespace {

struct MaterialEntry {
    std::string name;
    std::unique_ptr<MaterialRecord> record;  // owned; records do not move
    int references = 0;
};

struct MaterialTable {
    std::vector<MaterialEntry> entries;
    int loads = 0;
};

MaterialTable& table() {
    static MaterialTable instance;
    return instance;
}

float finiteOr(float v, float fallback) { return std::isfinite(v) ? v : fallback; }

// The record of the file's first material, bound under `name`.
std::unique_ptr<MaterialRecord> readRecord(const char* name) {
    Lib3dsFile* file = modelFile::load(name);
    if (!file)
        return nullptr;
    std::unique_ptr<MaterialRecord> record;
    if (const Lib3dsMaterial* m = file->materials) {
        record = std::make_unique<MaterialRecord>();
        record->name = name;
        const Lib3dsTextureMap& map = m->texture1_map;
        record->textureName.assign(map.name, strnlen(map.name, sizeof map.name));
        // Metres per repeat: a scale of 0 or worse cannot tile anything.
        const float scale = finiteOr(m->wire_size, 0);
        record->textureScale = scale != 0 ? scale : 1;
        record->tileU = finiteOr(map.offset[0], 0);
        record->tileV = finiteOr(map.offset[1], 0);
        for (int i = 0; i < 3; ++i)
            record->colour[i] = finiteOr(m->diffuse[i], 1);
        record->coloured = m->additive != 0;
        record->colourVariation = finiteOr(m->shininess, 0);
    }
    lib3ds_file_free(file);
    return record;
}

}  // namespace

int materialTable::size() { return static_cast<int>(table().entries.size()); }

int materialTable::references(const char* name) {
    if (!name)
        return 0;
    for (const MaterialEntry& e : table().entries)
        if (e.name == name)
            return e.references;
    return 0;
}

int materialTable::loads() { return table().loads; }

// ---- Material ----

Material::Material(const char* name) {
    if (name)
        bind(name);
}

Material::~Material() { unbind(); }

bool Material::bind(const char* name) {
    unbind();
    if (!name)
        return false;
    MaterialTable& t = table();
    for (MaterialEntry& e : t.entries)
        if (e.name == name) {
            ++e.references;
            record = e.record.get();
            return true;
        }
    std::unique_ptr<MaterialRecord> loaded = readRecord(name);
    if (!loaded)
        return false;
    ++t.loads;
    if (t.entries.size() == t.entries.capacity())
        t.entries.reserve(t.entries.size() + 8);
    record = loaded.get();
    t.entries.push_back({name, std::move(loaded), 1});
    return true;
}

void Material::unbind() {
    if (!record)
        return;
    MaterialTable& t = table();
    for (auto it = t.entries.begin(); it != t.entries.end(); ++it)
        if (it->record.get() == record) {
            if (--it->references == 0) {
                t.entries.erase(it);
                if (t.entries.empty())
                    t.entries.shrink_to_fit();
            }
            break;
        }
    record = nullptr;
}

const char* Material::textureName() const { return record ? record->name.c_str() : nullptr; }

const Material& Material::beneathCover() const {
    const Material* m = this;
    while (m->isImpostor()) {
        const Material* next = static_cast<const ImpostorMaterial*>(m)->next.get();
        if (!next)
            break;
        m = next;
    }
    return *m;
}

bool Material::textureOffset(float& u, float& v, float& scale) {
    if (!record || mapping == 0 || mapping == mapping::kAuto || record->textureName.empty())
        return false;
    const float s = record->textureScale;
    float tileU = std::fabs(record->tileU);
    float tileV = std::fabs(record->tileV);
    if (tileU == 0)
        tileU = s * 0.001f;
    if (tileV == 0)
        tileV = s * 0.001f;
    RandomGenerator& random = RandomGenerator::textureOffset();
    const double r1 = random.uniform();
    const double r2 = random.uniform();
    // A whole number of tiles below 1, so neighbouring surfaces do not repeat in step.
    u = static_cast<float>(std::floor(r1 / tileU) * tileU);
    v = static_cast<float>(std::floor(r2 / tileV) * tileV);
    scale = 1 / s;
    return true;
}

void Material::seedOffsets(uint32_t seed) { RandomGenerator::textureOffset().seed(static_cast<int32_t>(seed)); }

void Material::declare(ParameterList& list, const char* name) {
    list.addMaterial(name, kMaterialNames, kMaterialNameCount, this);
    list.addByteChoice("Mapping", mapping::kModeNames, mapping::kModeCount, mapping::kModeValues, &mapping);
}

// ---- ImpostorMaterial ----

ImpostorMaterial::ImpostorMaterial(std::unique_ptr<Material> covered, Impostor* impostor_)
    : next(std::move(covered)), impostor(impostor_) {
    mapping = mapping::kImpostor;
}

ImpostorMaterial::~ImpostorMaterial() = default;

bool ImpostorMaterial::textureOffset(float& u, float& v, float& scale) {
    u = v = scale = 1;
    return false;
}
