// Tiles exports of the first two quarters made by the test set-up in three
// ways (one worker, two shards merged, two workers), read back: a tileset
// that refers only to files that exist, whose bounding volumes hold their
// content, alike however it was made; and a quarter that fails while the
// others go on.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/tools/export/ExportFiles.h"
#include "tests/tools/export/GlbReadBack.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

json tilesetOf(const fs::path& dir) { return json::parse(fileText(dir / "tileset.json")); }

// Whether box (centre and three half axes, axis-aligned as written) holds lo..hi.
bool holds(const json& box, const std::array<double, 3>& lo, const std::array<double, 3>& hi) {
    for (size_t k = 0; k < 3; ++k) {
        const double centre = box[k].get<double>(), half = box[3 + 4 * k].get<double>();
        if (lo[k] < centre - half || hi[k] > centre + half)
            return false;
    }
    return true;
}

std::array<double, 3> cornerOf(const json& box, double sign) {
    std::array<double, 3> c{};
    for (size_t k = 0; k < 3; ++k)
        c[k] = box[k].get<double>() + sign * box[3 + 4 * k].get<double>();
    return c;
}

// Checks a tile and those below it; counts the contents.
void checkTile(const fs::path& dir, const json& tile, const json* parent, int& contents) {
    ASSERT_TRUE(tile.contains("boundingVolume"));
    const json& box = tile["boundingVolume"]["box"];
    ASSERT_EQ(box.size(), 12u);
    // Axis-aligned boxes, as the export writes them.
    for (size_t i = 3; i < 12; ++i) {
        if ((i - 3) % 4 != 0) {
            EXPECT_EQ(box[i].get<double>(), 0.0);
        }
    }
    if (parent) {
        EXPECT_TRUE(holds((*parent)["boundingVolume"]["box"], cornerOf(box, -1), cornerOf(box, 1)));
        EXPECT_LE(tile["geometricError"].get<double>(), (*parent)["geometricError"].get<double>());
    }
    if (tile.contains("content")) {
        const std::string uri = tile["content"]["uri"].get<std::string>();
        ASSERT_TRUE(fs::is_regular_file(dir / uri)) << uri;
        const readBack::Scene s = readBack::read((dir / uri).string());
        ASSERT_EQ(s.error, "") << uri;
        EXPECT_GT(s.triangles, 0) << uri;
        // glTF content turned z-up, as 3D Tiles turns it.
        const std::array<double, 3> lo{s.lo[0], -s.hi[2], s.lo[1]}, hi{s.hi[0], -s.lo[2], s.hi[1]};
        EXPECT_TRUE(holds(box, lo, hi)) << uri;
        ++contents;
    }
    for (const json& child : tile.value("children", json::array()))
        checkTile(dir, child, &tile, contents);
}

fs::path tilesDir(const char* name) { return fs::path(exportFiles::dir()) / "tiles" / name; }

}  // namespace

TEST(TilesExport, TheTilesetHoldsWhatItNames) {
    ASSERT_FALSE(exportFiles::dir().empty()) << "CALLI_EXPORT_DIR is not set";
    const fs::path dir = tilesDir("one");
    const json tileset = tilesetOf(dir);
    EXPECT_EQ(tileset["asset"]["version"], "1.1");
    const json& root = tileset["root"];
    EXPECT_EQ(root["refine"], "REPLACE");
    EXPECT_GT(root["geometricError"].get<double>(), 0.0);
    EXPECT_GE(tileset["geometricError"].get<double>(), root["geometricError"].get<double>());
    ASSERT_EQ(root["children"].size(), 2u);
    for (const json& child : root["children"])
        EXPECT_EQ(child["geometricError"].get<double>(), 0.0);
    int contents = 0;
    checkTile(dir, root, nullptr, contents);
    EXPECT_EQ(contents, 3);
    // The page and everything it imports lie in the folder.
    const std::string page = fileText(dir / "index.html");
    for (const char* file : {"lib/three/build/three.module.js", "lib/3d-tiles-renderer/build/index.three.js",
                             "lib/three/examples/jsm/libs/meshopt_decoder.module.js"}) {
        EXPECT_TRUE(fs::is_regular_file(dir / file)) << file;
    }
    EXPECT_NE(page.find("./lib/three/build/three.module.js"), std::string::npos);
}

TEST(TilesExport, ShardsAndWorkersMakeTheSameFiles) {
    ASSERT_FALSE(exportFiles::dir().empty()) << "CALLI_EXPORT_DIR is not set";
    const fs::path one = tilesDir("one");
    const std::string tileset = fileText(one / "tileset.json");
    ASSERT_FALSE(tileset.empty());
    for (const char* other : {"shards", "jobs"}) {
        const fs::path dir = tilesDir(other);
        EXPECT_EQ(fileText(dir / "tileset.json"), tileset) << other;
        EXPECT_EQ(fileText(dir / "coarse.glb"), fileText(one / "coarse.glb")) << other;
        int files = 0;
        for (const auto& entry : fs::directory_iterator(one / "quarters")) {
            const std::string a = fileText(entry.path()), b = fileText(dir / "quarters" / entry.path().filename());
            EXPECT_FALSE(a.empty());
            EXPECT_TRUE(a == b) << other << " " << entry.path().filename();
            ++files;
        }
        EXPECT_EQ(files, 4);  // two glb files, two records
    }
}

TEST(TilesExport, AFailingQuarterIsNamedAndTheOthersGoOn) {
    ASSERT_FALSE(exportFiles::dir().empty()) << "CALLI_EXPORT_DIR is not set";
    const fs::path dir = tilesDir("failing");
    fs::remove_all(dir);
    // The second quarter's file cannot be made: a folder stands where it would be written.
    fs::create_directories(dir / "quarters" / "q0001.glb.part");
    const fs::path log = dir / "stderr.txt";
    const std::string command = exportFiles::tour() + " --export-tiles " + dir.string() +
                                " --limit 2 --jobs 2 2> " + log.string();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string text = fileText(log);
    EXPECT_NE(text.find("q0001 (town"), std::string::npos) << text;
    EXPECT_NE(text.find("failed: cannot write"), std::string::npos) << text;
    EXPECT_TRUE(fs::is_regular_file(dir / "quarters" / "q0000.glb"));
    EXPECT_EQ(fileText(dir / "quarters" / "q0000.glb"), fileText(tilesDir("one") / "quarters" / "q0000.glb"));
    const json tileset = tilesetOf(dir);
    ASSERT_EQ(tileset["root"]["children"].size(), 1u);
    EXPECT_EQ(tileset["root"]["children"][0]["content"]["uri"], "quarters/q0000.glb");
}
