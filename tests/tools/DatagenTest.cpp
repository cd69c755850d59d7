// The data directory generator, run as the build runs it: into scratch
// directories, then read back with lib3ds as the material and model tables do.
#include <gtest/gtest.h>

#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kGenerator = CALLI_BIN_DIR "/callimora-datagen";

// Every name the town binds as a material: the nineteen "Main material"
// choices, the branches' own spelling and the storey material of tall buildings.
const char* const kMaterialNames[] = {"Wood1",        "Slate1",    "Soil1",      "Woodplanks1", "Floortile1", "Brick1",
                                      "Canopy1",      "Canopy2",   "Lime1",      "Road1",       "Land1",      "Land2",
                                      "Ceramic1",     "Lime_blue", "Lime_ochre", "Road_slate",  "Car1",       "Car2",
                                      "Street_lamp1", "wood1",     "Steel1"};
const char* const kModelNames[] = {"Street_lamp1", "Car1", "Car2", "Canopy1", "Canopy2"};

int run(const std::string& arguments) {
    int status = std::system((kGenerator + " " + arguments + " > /dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::map<std::string, std::string> readTree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = readFile(entry.path());
    return files;
}

struct FileFree {
    void operator()(Lib3dsFile* file) const { lib3ds_file_free(file); }
};
using File3ds = std::unique_ptr<Lib3dsFile, FileFree>;

float luminance(const Lib3dsMaterial* m) {
    return 0.2126f * m->diffuse[0] + 0.7152f * m->diffuse[1] + 0.0722f * m->diffuse[2];
}

class DatagenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = fs::temp_directory_path() / ("calli-datagen-" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        status_ = run(quoted(data()));
    }
    static void TearDownTestSuite() { fs::remove_all(root_); }
    void SetUp() override { ASSERT_EQ(status_, 0) << "the generator failed on " << data(); }

    static fs::path data() { return root_ / "data"; }
    static File3ds load(const std::string& name) {
        return File3ds(lib3ds_file_load((data() / (name + ".3DS")).string().c_str()));
    }

    static inline fs::path root_;
    static inline int status_ = -1;
};

TEST_F(DatagenTest, RunsTwiceToTheSameBytes) {
    ASSERT_EQ(run(quoted(root_ / "again")), 0);
    auto first = readTree(data()), second = readTree(root_ / "again");
    EXPECT_GE(first.size(), std::size(kMaterialNames) + 6);
    EXPECT_TRUE(first == second);
    for (const auto& [name, bytes] : first)
        EXPECT_EQ(bytes, second[name]) << name;
}

TEST_F(DatagenTest, RegeneratingLeavesForeignFilesAlone) {
    fs::path dir = root_ / "foreign";
    fs::create_directories(dir / "Bitmaps");
    const std::string camera = "(0.00,2.00,0.00)(0.00,2.00,1.00)(0.00,1.00,0.00) x0.40\n";
    writeFile(dir / "camaras.txt", camera);
    writeFile(dir / "error.txt", "core/Poly 12\n");
    writeFile(dir / "Bitmaps" / "mine.bmp", "not a picture");
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_EQ(run(quoted(dir)), 0);
        EXPECT_EQ(readFile(dir / "camaras.txt"), camera);
        EXPECT_EQ(readFile(dir / "error.txt"), "core/Poly 12\n");
        EXPECT_EQ(readFile(dir / "Bitmaps" / "mine.bmp"), "not a picture");
    }
    EXPECT_EQ(readFile(dir / "Brick1.3DS"), readFile(data() / "Brick1.3DS"));
}

TEST_F(DatagenTest, RegeneratingRepairsItsOwnFiles) {
    fs::path dir = root_ / "repair";
    fs::copy(data(), dir, fs::copy_options::recursive);
    writeFile(dir / "Brick1.3DS", "junk");
    fs::remove(dir / "Bitmaps" / "skybox_negy.jpg");
    ASSERT_EQ(run(quoted(dir)), 0);
    EXPECT_EQ(readFile(dir / "Brick1.3DS"), readFile(data() / "Brick1.3DS"));
    EXPECT_EQ(readFile(dir / "Bitmaps" / "skybox_negy.jpg"), readFile(data() / "Bitmaps" / "skybox_negy.jpg"));
}

TEST_F(DatagenTest, EveryMaterialFileCarriesItsRecordAndPicture) {
    for (const char* name : kMaterialNames) {
        SCOPED_TRACE(name);
        File3ds file = load(name);
        ASSERT_TRUE(file);
        const Lib3dsMaterial* m = file->materials;
        ASSERT_NE(m, nullptr);
        ASSERT_STRNE(m->texture1_map.name, "");
        EXPECT_TRUE(fs::is_regular_file(data() / "Bitmaps" / m->texture1_map.name)) << m->texture1_map.name;
        EXPECT_GT(m->wire_size, 0.5f);
        EXPECT_LT(m->wire_size, 10.0f);
        for (int k = 0; k < 2; ++k) {
            EXPECT_GE(m->texture1_map.offset[k], 0.0f);
            EXPECT_LE(m->texture1_map.offset[k], 1.0f);
        }
        for (int k = 0; k < 3; ++k) {
            EXPECT_GT(m->diffuse[k], 0.0f);
            EXPECT_LE(m->diffuse[k], 1.0f);
        }
        EXPECT_GE(m->shininess, 0.0f);
        EXPECT_LE(m->shininess, 0.5f);
    }
}

TEST_F(DatagenTest, BrickRepeatsAboutEveryMetreInWholeCourses) {
    File3ds file = load("Brick1");
    ASSERT_TRUE(file && file->materials);
    const Lib3dsMaterial* m = file->materials;
    EXPECT_NEAR(m->wire_size, 1.0f, 0.3f);
    // Offsets in whole bricks and course pairs: a fraction of the repeat.
    EXPECT_GT(m->texture1_map.offset[0], 0.0f);
    EXPECT_GT(m->texture1_map.offset[1], 0.0f);
    EXPECT_LE(m->texture1_map.offset[1], 0.5f);
}

TEST_F(DatagenTest, BranchSpellingIsACopyOfWood1) {
    EXPECT_EQ(readFile(data() / "wood1.3DS"), readFile(data() / "Wood1.3DS"));
}

TEST_F(DatagenTest, RoadsAreDarkerThanOpenLand) {
    for (const char* road : {"Road1", "Road_slate"})
        for (const char* land : {"Land1", "Land2"}) {
            File3ds r = load(road), l = load(land);
            ASSERT_TRUE(r && r->materials && l && l->materials);
            EXPECT_LT(luminance(r->materials), luminance(l->materials)) << road << " vs " << land;
        }
}

TEST_F(DatagenTest, CarsArePaintedThroughTheColouredMark) {
    File3ds one = load("Car1"), two = load("Car2"), brick = load("Brick1");
    ASSERT_TRUE(one && one->materials && two && two->materials && brick && brick->materials);
    for (const Lib3dsMaterial* m : {one->materials, two->materials}) {
        EXPECT_TRUE(m->additive);
        float hi = std::max({m->diffuse[0], m->diffuse[1], m->diffuse[2]});
        float lo = std::min({m->diffuse[0], m->diffuse[1], m->diffuse[2]});
        EXPECT_GT(hi - lo, 0.3f) << m->name << " should be a clear paint colour";
    }
    float difference = 0;
    for (int k = 0; k < 3; ++k)
        difference += std::fabs(one->materials->diffuse[k] - two->materials->diffuse[k]);
    EXPECT_GT(difference, 0.3f);
    EXPECT_FALSE(brick->materials->additive);
}

TEST_F(DatagenTest, ModelsAreTexturedSolidsFacingOutwards) {
    for (const char* name : kModelNames) {
        SCOPED_TRACE(name);
        File3ds file = load(name);
        ASSERT_TRUE(file && file->materials && file->meshes);
        EXPECT_STREQ(file->materials->name, name);
        EXPECT_STRNE(file->materials->texture1_map.name, "");
        float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
        for (const Lib3dsMesh* mesh = file->meshes; mesh; mesh = mesh->next) {
            SCOPED_TRACE(mesh->name);
            ASSERT_GT(mesh->points, 0u);
            ASSERT_GT(mesh->faces, 0u);
            ASSERT_EQ(mesh->texels, mesh->points);
            // The reader takes file (x, y, z) as world (x, z, y); closed
            // solids whose (p0 - p2) x (p1 - p2) normals point outwards then
            // enclose a positive volume.
            double volume = 0;
            for (Lib3dsDword f = 0; f < mesh->faces; ++f) {
                double p[3][3];
                for (int k = 0; k < 3; ++k) {
                    Lib3dsWord i = mesh->faceL[f].points[k];
                    ASSERT_LT(i, mesh->points);
                    const float* q = mesh->pointL[i].pos;
                    p[k][0] = q[0], p[k][1] = q[2], p[k][2] = q[1];
                }
                volume += (p[0][0] * (p[1][1] * p[2][2] - p[1][2] * p[2][1]) -
                           p[0][1] * (p[1][0] * p[2][2] - p[1][2] * p[2][0]) +
                           p[0][2] * (p[1][0] * p[2][1] - p[1][1] * p[2][0])) /
                          6;
            }
            EXPECT_GT(volume, 0.0);
            for (Lib3dsDword i = 0; i < mesh->points; ++i)
                for (int k = 0; k < 3; ++k) {
                    lo[k] = std::min(lo[k], mesh->pointL[i].pos[k]);
                    hi[k] = std::max(hi[k], mesh->pointL[i].pos[k]);
                }
        }
        std::string model = name;
        if (model == "Street_lamp1") {
            EXPECT_NEAR(lo[2], 0.0f, 0.01f);
            EXPECT_GT(hi[2], 3.5f);
            EXPECT_LT(hi[2], 6.0f);
            EXPECT_LT(hi[0] - lo[0], 1.0f);
        } else if (model.rfind("Car", 0) == 0) {
            EXPECT_NEAR(lo[2], 0.0f, 0.01f);  // file z is up: wheels on the ground
            EXPECT_GT(hi[0] - lo[0], 3.0f);   // front towards +x
            EXPECT_LT(hi[0] - lo[0], 5.0f);
            EXPECT_GT(hi[1] - lo[1], 1.4f);
            EXPECT_LT(hi[1] - lo[1], 2.2f);
            EXPECT_GT(hi[2] - lo[2], 1.2f);
            EXPECT_LT(hi[2] - lo[2], 2.0f);
        } else {
            EXPECT_NEAR(hi[0] - lo[0], 2.0f, 0.01f);
            EXPECT_LT(hi[2] - lo[2], 1.0f);
        }
    }
}

TEST_F(DatagenTest, CheckAcceptsTheGeneratedPictures) { EXPECT_EQ(run("--check " + quoted(data())), 0); }

TEST_F(DatagenTest, CheckCatchesMisplacedSkyFaces) {
    const std::pair<const char*, const char*> swaps[] = {{"skybox_posy.jpg", "skybox_posz.jpg"},
                                                         {"skybox_posx.jpg", "skybox_negx.jpg"}};
    for (const auto& [from, to] : swaps) {
        SCOPED_TRACE(to);
        fs::path dir = root_ / "misplaced";
        fs::remove_all(dir);
        fs::copy(data(), dir, fs::copy_options::recursive);
        fs::copy_file(data() / "Bitmaps" / from, dir / "Bitmaps" / to, fs::copy_options::overwrite_existing);
        fs::copy_file(data() / "Bitmaps" / to, dir / "Bitmaps" / from, fs::copy_options::overwrite_existing);
        EXPECT_NE(run("--check " + quoted(dir)), 0);
    }
}

TEST_F(DatagenTest, CheckCatchesAPictureThatDoesNotRepeat) {
    fs::path dir = root_ / "seam";
    fs::remove_all(dir);
    fs::copy(data(), dir, fs::copy_options::recursive);
    // Sky above, ground below: a hard step where the picture wraps round.
    fs::copy_file(data() / "Bitmaps" / "skybox_posz.jpg", dir / "Bitmaps" / "brick1.jpg",
                  fs::copy_options::overwrite_existing);
    EXPECT_NE(run("--check " + quoted(dir)), 0);
}

TEST_F(DatagenTest, ContactSheetIsOnePng) {
    fs::path sheet = root_ / "sheet.png";
    ASSERT_EQ(run("--contact-sheet " + quoted(sheet) + " " + quoted(data())), 0);
    std::string bytes = readFile(sheet);
    ASSERT_GT(bytes.size(), 100000u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_NE(run("--contact-sheet " + quoted(sheet) + " " + quoted(root_ / "missing")), 0);
}

TEST(DatagenUsage, RefusesUnknownArguments) {
    EXPECT_NE(run(""), 0);
    EXPECT_NE(run("--frobnicate x"), 0);
}

}  // namespace
