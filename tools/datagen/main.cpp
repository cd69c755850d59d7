// callimora-datagen: writes the data directory (material and model files,
// textures, skybox) deterministically, and reviews one.
//
//   callimora-datagen DATADIR
//   callimora-datagen --contact-sheet OUT.png DATADIR
//   callimora-datagen --check DATADIR
#include "core/Assert.h"
#include "tools/datagen/DataReview.h"
#include "tools/datagen/DataTable.h"
#include "tools/datagen/DataWriter.h"
#include "tools/datagen/MeshBuilder.h"
#include "tools/datagen/SkyPainter.h"
#include "tools/datagen/TexturePainter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <map>
#include <string>

namespace {

// The file keeps colours as 8-bit triples and shininess as whole percent:
// store exactly what a reader will get back.
float toByte(float v) { return std::round(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f) / 255.0f; }

std::vector<uint8_t> materialFile(const DataMaterial& entry, Rgb colour) {
    Lib3dsFile* file = lib3ds_file_new();
    Lib3dsMaterial* m = lib3ds_material_new();
    std::snprintf(m->name, sizeof m->name, "%s", entry.name);
    std::snprintf(m->texture1_map.name, sizeof m->texture1_map.name, "%s", entry.texture);
    m->texture1_map.flags = 0;
    m->texture1_map.percent = 1.0f;
    m->texture1_map.offset[0] = entry.tileU;
    m->texture1_map.offset[1] = entry.tileV;
    m->wire_size = entry.scale;
    m->additive = entry.coloured ? LIB3DS_TRUE : LIB3DS_FALSE;
    m->shininess = std::round(entry.variation * 100.0f) / 100.0f;
    float rgb[3] = {toByte(colour.r), toByte(colour.g), toByte(colour.b)};
    for (int k = 0; k < 3; ++k)
        m->diffuse[k] = m->ambient[k] = rgb[k];
    lib3ds_file_insert_material(file, m);
    for (const char* model : kModels)
        if (std::strcmp(model, entry.name) == 0)
            for (Lib3dsMesh* mesh : buildModel(model))
                lib3ds_file_insert_mesh(file, mesh);
    std::vector<uint8_t> bytes = DataWriter::encode3ds(file);
    lib3ds_file_free(file);
    return bytes;
}

int generate(const std::string& directory) {
    DataWriter writer(directory);
    bool ok = true;
    // Quality above 90 keeps full colour resolution for stripes and frames.
    const int quality = 92;
    std::map<std::string, Rgb> means;
    for (const std::string& name : TexturePainter::names()) {
        Image picture = TexturePainter::paint(name);
        means[name] = picture.mean();
        ok = writer.write("Bitmaps/" + name, picture.encodeJpeg(quality)) && ok;
    }
    for (int f = 0; f < SkyPainter::kFaceCount; ++f)
        ok = writer.write(std::string("Bitmaps/") + SkyPainter::kFaceFiles[f],
                          SkyPainter::paintFace(f).encodeJpeg(quality)) &&
             ok;
    std::map<std::string, std::vector<uint8_t>> files;
    for (const DataMaterial& entry : kMaterials) {
        CALLI_ASSERT(means.count(entry.texture) == 1);
        Rgb colour = entry.diffuse.r < 0 ? means[entry.texture] : entry.diffuse;
        files[entry.name] = materialFile(entry, colour);
        ok = writer.write(std::string(entry.name) + ".3DS", files[entry.name]) && ok;
    }
    for (const DataAlias& alias : kAliases)
        ok = writer.write(std::string(alias.alias) + ".3DS", files.at(alias.name)) && ok;
    std::printf("callimora-datagen: %s: %d files written, %d unchanged\n", directory.c_str(), writer.written(),
                writer.unchanged());
    return ok ? 0 : 1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: callimora-datagen DATADIR\n"
                 "       callimora-datagen --contact-sheet OUT.png DATADIR\n"
                 "       callimora-datagen --check DATADIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 2 && argv[1][0] != '-')
            return generate(argv[1]);
        if (argc == 4 && std::strcmp(argv[1], "--contact-sheet") == 0)
            return DataReview::writeContactSheet(argv[3], argv[2]) ? 0 : 1;
        if (argc == 3 && std::strcmp(argv[1], "--check") == 0)
            return DataReview::check(argv[2]) ? 0 : 1;
        return usage();
    } catch (const AssertException& e) {
        std::fprintf(stderr, "callimora-datagen: assertion failed: %s\n", e.what());
        return 1;
    }
}
