#include "core/Material.h"

#include <gtest/gtest.h>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/DrawablePolyExtruded.h"
#include "core/Model.h"
#include "core/NullRenderContext.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"

#include "DataFileTestSupport.h"

namespace {

// A material file in the data directory under a name no real material uses;
// removed again when the test ends.
class TestDataFile : public ScratchDataFile {
public:
    explicit TestDataFile(const std::string& tag) : ScratchDataFile("CalliMaterialTest_", tag) {}
};

struct MaterialValues {
    const char* texture = "brick.jpg";
    float scale = 2.0f;
    float tileU = 0.25f, tileV = 0.125f;
    float diffuse[3] = {0.2f, 0.4f, 0.6f};
    bool additive = true;
    float shininess = 0.3f;
};

bool writeMaterialFile(const std::string& path, const MaterialValues& values, const char* secondMaterial = nullptr) {
    Lib3dsFile* file = lib3ds_file_new();
    Lib3dsMaterial* m = lib3ds_material_new();
    std::snprintf(m->name, sizeof m->name, "%s", "first");
    std::snprintf(m->texture1_map.name, sizeof m->texture1_map.name, "%s", values.texture);
    m->texture1_map.offset[0] = values.tileU;
    m->texture1_map.offset[1] = values.tileV;
    m->wire_size = values.scale;
    for (int i = 0; i < 3; ++i)
        m->diffuse[i] = values.diffuse[i];
    m->additive = values.additive ? LIB3DS_TRUE : LIB3DS_FALSE;
    m->shininess = values.shininess;
    lib3ds_file_insert_material(file, m);
    if (secondMaterial) {
        Lib3dsMaterial* second = lib3ds_material_new();
        std::snprintf(second->name, sizeof second->name, "%s", "second");
        std::snprintf(second->texture1_map.name, sizeof second->texture1_map.name, "%s", secondMaterial);
        lib3ds_file_insert_material(file, second);
    }
    const bool ok = lib3ds_file_save(file, path.c_str());
    lib3ds_file_free(file);
    return ok;
}

Poly square(float side) { return Poly({{0, 0, 0}, {side, 0, 0}, {side, side, 0}, {0, side, 0}}); }

// Records the texture offsets each extruded polygon gets, and the model
// matrix it was drawn under.
class OffsetRecorder : public NullRenderContext {
public:
    struct Offsets {
        bool has;
        float u, v, scale;
        bool operator==(const Offsets&) const = default;
    };

    void extrudedPolygon(const Poly& poly, const Extrusion& extrusion, Material* material, int flags) override {
        NullRenderContext::extrudedPolygon(poly, extrusion, material, flags);
        Offsets o{false, -1, -1, -1};
        o.has = material->textureOffset(o.u, o.v, o.scale);
        offsets.push_back(o);
        models.push_back(model);
        modelViews.push_back(modelView);
        flagWords.push_back(flags);
    }
    void applyModelTransform() override {
        ++transforms;
        appliedModels.push_back(model);
    }

    std::vector<Offsets> offsets;
    std::vector<Matrix44> models, modelViews, appliedModels;
    std::vector<int> flagWords;
    int transforms = 0;
};

// Every test leaves the shared table as it found it: empty.
class MaterialTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::is_directory("../data")) << "tests run from bin/ beside data/";
        ASSERT_EQ(materialTable::size(), 0);
    }
    void TearDown() override { EXPECT_EQ(materialTable::size(), 0); }
};

}  // namespace

// ---- names ----

TEST(MaterialNames, NineteenMaterialsAndTwelveModes) {
    EXPECT_STREQ(kMaterialNames[0], "Wood1");
    EXPECT_STREQ(kMaterialNames[5], "Brick1");
    EXPECT_STREQ(kMaterialNames[13], "Lime_blue");
    EXPECT_STREQ(kMaterialNames[18], "Street_lamp1");
    EXPECT_STREQ(mapping::kModeNames[0], "Not available");
    EXPECT_STREQ(mapping::kModeNames[3], "Vertical oblique");
    EXPECT_STREQ(mapping::kModeNames[9], "Horizontal oblique rotated");
    EXPECT_STREQ(mapping::kModeNames[11], "Impostor");
    const uint8_t expected[] = {0, 1, 2, 5, 6, 8, 9, 10, 13, 14, 16, 32};
    for (int i = 0; i < mapping::kModeCount; ++i)
        EXPECT_EQ(mapping::kModeValues[i], expected[i]) << mapping::kModeNames[i];
}

// ---- the shared table, against the generated data directory ----

TEST_F(MaterialTableTest, BindingTwiceLoadsOnceAndCountsTwo) {
    const int loads = materialTable::loads();
    {
        Material a("Brick1");
        Material b("Brick1");
        ASSERT_TRUE(a.bound());
        EXPECT_EQ(a.record, b.record);
        EXPECT_EQ(materialTable::loads(), loads + 1);
        EXPECT_EQ(materialTable::size(), 1);
        EXPECT_EQ(materialTable::references("Brick1"), 2);
        EXPECT_STREQ(a.textureName(), "Brick1");
        b.unbind();
        EXPECT_EQ(materialTable::references("Brick1"), 1);
        EXPECT_FALSE(b.bound());
        EXPECT_EQ(b.textureName(), nullptr);
    }
    EXPECT_EQ(materialTable::references("Brick1"), 0);
    EXPECT_EQ(materialTable::size(), 0);
    // Bound again after the table emptied: loaded again.
    Material c("Brick1");
    EXPECT_EQ(materialTable::loads(), loads + 2);
}

TEST_F(MaterialTableTest, EveryListedMaterialLoads) {
    std::vector<std::unique_ptr<Material>> all;
    for (const char* name : kMaterialNames) {
        all.push_back(std::make_unique<Material>(name));
        EXPECT_TRUE(all.back()->bound()) << name;
        if (all.back()->bound()) {
            EXPECT_FALSE(all.back()->record->textureName.empty()) << name;
        }
    }
    EXPECT_EQ(materialTable::size(), kMaterialNameCount);
    // Removing from the middle keeps the others' records valid.
    all[3].reset();
    all[10].reset();
    EXPECT_EQ(materialTable::size(), kMaterialNameCount - 2);
    EXPECT_STREQ(all[18]->textureName(), "Street_lamp1");
    EXPECT_EQ(materialTable::references("Street_lamp1"), 1);
}

TEST_F(MaterialTableTest, WoodUnderBothSpellingsIsTwoEntries) {
    Material upper("Wood1");
    Material lower("wood1");
    ASSERT_TRUE(upper.bound());
    ASSERT_TRUE(lower.bound());
    EXPECT_NE(upper.record, lower.record);
    EXPECT_EQ(materialTable::size(), 2);
    EXPECT_EQ(upper.record->textureName, lower.record->textureName);
}

TEST_F(MaterialTableTest, MissingFileLeavesItUnbound) {
    const int loads = materialTable::loads();
    Material missing("NoSuchMaterial_really");
    EXPECT_FALSE(missing.bound());
    EXPECT_EQ(missing.textureName(), nullptr);
    float u = 7, v = 8, s = 9;
    missing.mapping = mapping::kVertical;
    EXPECT_FALSE(missing.textureOffset(u, v, s));
    EXPECT_EQ(u, 7);
    EXPECT_EQ(materialTable::loads(), loads);
    Material none(nullptr);
    EXPECT_FALSE(none.bound());
    Material empty("");
    EXPECT_FALSE(empty.bound());
    EXPECT_EQ(materialTable::size(), 0);
}

// ---- the record read from a file ----

TEST_F(MaterialTableTest, RecordComesFromTheFirstMaterial) {
    TestDataFile file("record");
    MaterialValues values;
    ASSERT_TRUE(writeMaterialFile(file.path(), values, "other.jpg"));
    Material m(file.name());
    ASSERT_TRUE(m.bound());
    const MaterialRecord& r = *m.record;
    EXPECT_EQ(r.name, file.name());
    EXPECT_EQ(r.textureName, "brick.jpg");
    EXPECT_FLOAT_EQ(r.textureScale, 2.0f);
    EXPECT_FLOAT_EQ(r.tileU, 0.25f);
    EXPECT_FLOAT_EQ(r.tileV, 0.125f);
    // The file keeps colours as 8-bit triples and shininess in whole percent.
    EXPECT_NEAR(r.colour[0], 0.2f, 1.0 / 255);
    EXPECT_NEAR(r.colour[1], 0.4f, 1.0 / 255);
    EXPECT_NEAR(r.colour[2], 0.6f, 1.0 / 255);
    EXPECT_TRUE(r.coloured);
    EXPECT_NEAR(r.colourVariation, 0.3f, 0.005);
}

TEST_F(MaterialTableTest, NameFoundWithoutRegardToCase) {
    TestDataFile file("CaseD");
    ASSERT_TRUE(writeMaterialFile(file.path(), MaterialValues{}));
    std::string lower = file.name();
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_NE(lower, file.name());
    Material exact(file.name());
    Material folded(lower.c_str());
    ASSERT_TRUE(exact.bound());
    ASSERT_TRUE(folded.bound());
    EXPECT_EQ(folded.record->name, lower);
    EXPECT_EQ(materialTable::size(), 2);
}

TEST_F(MaterialTableTest, DamagedFilesLeaveItUnbound) {
    const std::vector<uint8_t> good = readBytes("../data/Brick1.3DS");
    ASSERT_GT(good.size(), 64u);
    TestDataFile file("damaged");

    file.writeBytes({});
    EXPECT_FALSE(Material(file.name()).bound()) << "empty file";
    file.writeBytes({'M', 'M', 0xff, 0xff, 0xff, 0x7f, 0, 0});
    EXPECT_FALSE(Material(file.name()).bound()) << "root larger than the file";
    std::vector<uint8_t> text(5000, 'A');
    file.writeBytes(text);
    EXPECT_FALSE(Material(file.name()).bound()) << "not a 3DS file";

    for (size_t length = 1; length < good.size(); length += 7) {
        file.writeBytes(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(length)));
        Material m(file.name());
        EXPECT_FALSE(m.bound()) << "truncated to " << length;
    }

    // Random damage: either refused or read, never a crash.
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = good;
        const int hits = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < hits; ++i)
            bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        file.writeBytes(bytes);
        Material m(file.name());
        if (m.bound()) {
            float u, v, s;
            m.mapping = mapping::kVertical;
            m.seedOffsets(static_cast<uint32_t>(round));
            m.textureOffset(u, v, s);
        }
    }
}

// ---- texture offsets ----

TEST_F(MaterialTableTest, NoOffsetWithoutPlanarTexture) {
    Material brick("Brick1");
    ASSERT_TRUE(brick.bound());
    for (uint8_t mode : {uint8_t{0}, mapping::kAuto}) {
        brick.mapping = mode;
        float u = 5, v = 6, s = 7;
        EXPECT_FALSE(brick.textureOffset(u, v, s)) << int(mode);
        EXPECT_EQ(u, 5);
        EXPECT_EQ(v, 6);
        EXPECT_EQ(s, 7);
    }
    brick.mapping = mapping::kVertical;
    float u = 5, v = 6, s = 7;
    EXPECT_TRUE(brick.textureOffset(u, v, s));

    TestDataFile file("untextured");
    MaterialValues values;
    values.texture = "";
    ASSERT_TRUE(writeMaterialFile(file.path(), values));
    Material plain(file.name());
    ASSERT_TRUE(plain.bound());
    plain.mapping = mapping::kHorizontal;
    u = 5;
    EXPECT_FALSE(plain.textureOffset(u, v, s));
    EXPECT_EQ(u, 5);
}

TEST_F(MaterialTableTest, OffsetsAreWholeTilesFromTheReseededGenerator) {
    TestDataFile file("tiles");
    MaterialValues values;
    values.scale = 2.0f;
    values.tileU = -0.25f;  // the sign is dropped
    values.tileV = 0;       // replaced by scale / 1000
    ASSERT_TRUE(writeMaterialFile(file.path(), values));
    Material m(file.name());
    ASSERT_TRUE(m.bound());
    m.mapping = mapping::kVertical;

    for (uint32_t seed : {0u, 1u, 4242u, 0x80000001u}) {
        m.seedOffsets(seed);
        float u = -1, v = -1, s = -1;
        ASSERT_TRUE(m.textureOffset(u, v, s));
        RandomGenerator expected(static_cast<int32_t>(seed));
        const double r1 = expected.uniform(), r2 = expected.uniform();
        EXPECT_EQ(u, static_cast<float>(std::floor(r1 / 0.25f) * 0.25f)) << seed;
        EXPECT_EQ(v, static_cast<float>(std::floor(r2 / (2.0f * 0.001f)) * (2.0f * 0.001f))) << seed;
        EXPECT_GE(u, 0);
        EXPECT_LT(u, 1);
        EXPECT_EQ(std::fmod(u, 0.25f), 0.0f);
        EXPECT_EQ(s, 0.5f);
    }
}

TEST(ImpostorMaterialTest, AnswersOnesAndFalseAndCoversAMaterial) {
    auto covered = std::make_unique<Material>();
    Material* raw = covered.get();
    ImpostorMaterial cover(std::move(covered), nullptr);
    EXPECT_TRUE(cover.isImpostor());
    EXPECT_FALSE(raw->isImpostor());
    EXPECT_EQ(cover.mapping, mapping::kImpostor);
    float u = 0, v = 0, s = 0;
    EXPECT_FALSE(cover.textureOffset(u, v, s));
    EXPECT_EQ(u, 1);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(s, 1);
    // It leaves the texture-offset generator alone.
    RandomGenerator::textureOffset().seed(5);
    cover.seedOffsets(99);
    RandomGenerator five(5);
    EXPECT_EQ(RandomGenerator::textureOffset().next(), five.next());
    EXPECT_EQ(cover.takeNext().get(), raw);
}

// ---- the material entry of the parameter list ----

TEST_F(MaterialTableTest, DeclaredEntryShowsAndRebindsTheMaterial) {
    Material m("Brick1");
    m.mapping = mapping::kAuto;
    ParameterList list;
    m.declare(list, "Main material");
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.name(0), "Main material");
    EXPECT_STREQ(list.record(0)->text(), "Brick1");
    EXPECT_EQ(list.record(0)->choiceName(8), "Lime1");
    EXPECT_EQ(list.name(1), "Mapping");
    EXPECT_STREQ(list.record(1)->text(), "Auto");

    list.record(0)->parse("Lime1");
    EXPECT_STREQ(m.textureName(), "Lime1");
    EXPECT_EQ(materialTable::references("Brick1"), 0);
    list.record(0)->parse("%s%n no such material");
    EXPECT_FALSE(m.bound());
    list.record(0)->parse("Lime1");
    list.record(0)->parse(nullptr);
    EXPECT_FALSE(m.bound());
    list.record(0)->parse(std::string(10000, 'y').c_str());
    EXPECT_FALSE(m.bound());
    list.record(1)->parse("Vertical rotated");
    EXPECT_EQ(m.mapping, 9);
}

// ---- extruded polygons ----

TEST_F(MaterialTableTest, SameDrawableRecordedTwiceGetsSameOffsets) {
    TestDataFile file("smalltiles");
    MaterialValues values;
    values.tileU = 0.01f;
    values.tileV = 0.02f;
    ASSERT_TRUE(writeMaterialFile(file.path(), values));
    DrawablePolyExtruded a(square(4), Extrusion{0, 3, 0, 0}, 1234, file.name());
    DrawablePolyExtruded b(square(4), Extrusion{0, 3, 0, 0}, 987654, file.name());
    a.material->mapping = mapping::kVertical;
    b.material->mapping = mapping::kVertical;
    OffsetRecorder ctx;
    a.render(ctx);
    b.render(ctx);
    a.renderHandle.reset();  // as after an impostor is released
    a.render(ctx);
    ASSERT_EQ(ctx.offsets.size(), 3u);
    EXPECT_TRUE(ctx.offsets[0].has);
    EXPECT_EQ(ctx.offsets[0], ctx.offsets[2]);
    EXPECT_NE(ctx.offsets[0], ctx.offsets[1]);
    // A replay records nothing new.
    a.render(ctx);
    EXPECT_EQ(ctx.offsets.size(), 3u);
    EXPECT_EQ(ctx.replayed, 1);
}

TEST(DrawablePolyExtrudedTest, FewerThanThreePointsDrawNothingButReseed) {
    DrawablePolyExtruded line(Poly({{0, 0, 0}, {1, 0, 0}}), Extrusion{0, 1, 0, 0}, 31337, nullptr);
    OffsetRecorder ctx;
    RandomGenerator::textureOffset().seed(1);
    line.draw(ctx);
    EXPECT_TRUE(ctx.calls.empty());
    RandomGenerator expected(31337);
    EXPECT_EQ(RandomGenerator::textureOffset().next(), expected.next());

    DrawablePolyExtruded triangle(Poly({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}), Extrusion{0, 1, 0, 0}, 1, nullptr, 0x35);
    triangle.draw(ctx);
    ASSERT_EQ(ctx.calls.size(), 1u);
    EXPECT_EQ(ctx.calls[0].op, "extrudedPolygon");
    EXPECT_EQ(ctx.calls[0].points, 3);
    EXPECT_EQ(ctx.flagWords[0], 0x35);
}

TEST(DrawablePolyExtrudedTest, MaterialHandedOverKeepsItsSettings) {
    auto material = std::make_unique<Material>();
    material->mapping = mapping::kHorizontal;
    material->referenceEdge = 2;
    Material* raw = material.get();
    DrawablePolyExtruded d(square(1), Extrusion{}, 1, std::move(material));
    EXPECT_EQ(d.material.get(), raw);
    DrawablePolyExtruded plain(square(1), Extrusion{}, 1, std::unique_ptr<Material>());
    EXPECT_NE(plain.material, nullptr);
    EXPECT_STREQ(d.className().name, "DrawablePolyExtruded");
}

TEST(DrawablePolyExtrudedTest, PlacedVariantDrawsUnderItsPlacementAndRestores) {
    const Matrix44 placement = Matrix44::translation(5, 0, -3) * Matrix44::rotationY(0.5f);
    DrawablePolyExtrudedP d(square(2), Extrusion{0, 1, 0, 0}, placement, 7, nullptr);
    EXPECT_STREQ(d.className().name, "DrawablePolyExtrudedP");
    OffsetRecorder ctx;
    ctx.model = Matrix44::translation(100, 0, 0);
    ctx.updateModelView();
    const Matrix44 model = ctx.model, modelView = ctx.modelView;

    d.render(ctx);
    ASSERT_EQ(ctx.models.size(), 1u);
    EXPECT_EQ(ctx.models[0], model * placement);
    EXPECT_EQ(ctx.modelViews[0], modelView * placement);
    EXPECT_EQ(ctx.model, model);
    EXPECT_EQ(ctx.modelView, modelView);
    // Applied with the placement, then again without it.
    ASSERT_EQ(ctx.transforms, 2);
    EXPECT_EQ(ctx.appliedModels[0], model * placement);
    EXPECT_EQ(ctx.appliedModels[1], model);

    // A replay goes through the same placement.
    d.render(ctx);
    EXPECT_EQ(ctx.replayed, 1);
    EXPECT_EQ(ctx.transforms, 4);
    EXPECT_EQ(ctx.model, model);
}
