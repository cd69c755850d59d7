// The folders are the layers: core at the bottom, then the renderer and
// navigation, the typologies, the editor, the tools. No file includes a
// header of a layer above its own, and no CMake target compiles a source
// from another folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The folders whose headers each layer may include, its own among them.
const std::map<std::string, std::set<std::string>> kMayInclude = {
    {"core", {"core"}},
    {"renderer", {"core", "renderer"}},
    {"navigation", {"core", "navigation"}},
    {"typology", {"core", "navigation", "typology"}},
    {"editor", {"core", "navigation", "renderer", "typology", "editor"}},
};

std::string text(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The project's sources and CMake files below folder, by path relative to the root.
std::vector<fs::path> filesBelow(const fs::path& root, const std::string& folder) {
    std::vector<fs::path> out;
    for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
        const std::string ext = entry.path().extension().string();
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && (ext == ".h" || ext == ".cpp" || name == "CMakeLists.txt"))
            out.push_back(fs::relative(entry.path(), root));
    }
    return out;
}

}  // namespace

TEST(Layering, NoFileIncludesAHeaderOfAHigherLayer) {
    const fs::path root = CALLI_SOURCE_DIR;
    const std::regex include(R"re(#include\s+"([a-z]+)/)re");
    int files = 0;
    for (const auto& [layer, allowed] : kMayInclude)
        for (const fs::path& file : filesBelow(root, layer)) {
            const std::string body = text(root / file);
            ++files;
            for (std::sregex_iterator it(body.begin(), body.end(), include), end; it != end; ++it) {
                const std::string folder = (*it)[1];
                EXPECT_TRUE(allowed.count(folder)) << file.string() << " includes from " << folder << "/";
            }
        }
    EXPECT_GT(files, 100) << "the source tree was not found at " << root;
}

TEST(Layering, EveryTargetCompilesOnlyTheSourcesOfItsOwnFolder) {
    const fs::path root = CALLI_SOURCE_DIR;
    // A source named by its path from the root in another folder's CMake file.
    const std::regex source(R"re(CMAKE_SOURCE_DIR\}/([a-z]+)/[A-Za-z0-9_/${}]*\.cpp)re");
    int lists = 0;
    for (const std::string folder : {"core", "renderer", "navigation", "typology", "editor", "tools", "bench"})
        for (const fs::path& file : filesBelow(root, folder)) {
            if (file.filename() != "CMakeLists.txt")
                continue;
            ++lists;
            const std::string body = text(root / file);
            for (std::sregex_iterator it(body.begin(), body.end(), source), end; it != end; ++it)
                EXPECT_EQ((*it)[1], folder) << file.string() << " compiles " << it->str();
        }
    EXPECT_GE(lists, 7);
}
