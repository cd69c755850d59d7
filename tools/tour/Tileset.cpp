#include "tools/tour/Tileset.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

using nlohmann::json;

namespace {

// Bounds grow by this much (metres, and a part of their size) so that they
// hold what quantisation and float rounding make of the vertices.
constexpr double kMargin = 0.05, kRelativeMargin = 1e-5;

bool writeWhole(const std::string& path, const std::string& text, std::string& error) {
    const std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(part, ec);
            error = "cannot write " + path;
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(part, path, ec);
    if (ec) {
        std::filesystem::remove(part, ec);
        error = "cannot write " + path;
        return false;
    }
    return true;
}

json box(const double lo[3], const double hi[3]) {
    json b = json::array();
    double half[3];
    for (int k = 0; k < 3; ++k) {
        half[k] = 0.5 * (hi[k] - lo[k]) + kMargin + kRelativeMargin * std::fabs(hi[k] - lo[k]);
        b.push_back(0.5 * (lo[k] + hi[k]));
    }
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 3; ++j)
            b.push_back(j == k ? half[k] : 0.0);
    return {{"box", b}};
}

}  // namespace

void tilesetBounds(const float worldLo[3], const float worldHi[3], double lo[3], double hi[3]) {
    const int from[3] = {0, 2, 1};
    for (int k = 0; k < 3; ++k)
        lo[k] = worldLo[from[k]], hi[k] = worldHi[from[k]];
}

bool writeQuarterRecord(const std::string& dir, const QuarterRecord& r, std::string& error) {
    const json j = {{"quarter", r.name}, {"index", r.index}, {"town", r.town}, {"townQuarter", r.quarter},
                    {"format", r.format}, {"bytes", r.bytes}, {"triangles", r.triangles},
                    {"min", {r.lo[0], r.lo[1], r.lo[2]}}, {"max", {r.hi[0], r.hi[1], r.hi[2]}}};
    return writeWhole(dir + "/" + r.recordPath(), j.dump(1) + "\n", error);
}

bool readQuarterRecord(const std::string& path, QuarterRecord& r, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    const json j = json::parse(in, nullptr, false);
    try {
        if (j.is_discarded())
            throw std::runtime_error("not JSON");
        r.name = j.at("quarter").get<std::string>();
        r.index = j.at("index").get<int>();
        r.town = j.at("town").get<int>();
        r.quarter = j.at("townQuarter").get<int>();
        r.format = j.at("format").get<std::string>();
        r.bytes = j.at("bytes").get<long>();
        r.triangles = j.at("triangles").get<long>();
        for (int k = 0; k < 3; ++k) {
            r.lo[k] = j.at("min").at(static_cast<size_t>(k)).get<double>();
            r.hi[k] = j.at("max").at(static_cast<size_t>(k)).get<double>();
            if (!std::isfinite(r.lo[k]) || !std::isfinite(r.hi[k]) || r.lo[k] > r.hi[k])
                throw std::runtime_error("bounds");
        }
    } catch (const std::exception&) {
        error = path + " is not a quarter record";
        return false;
    }
    return true;
}

std::vector<std::string> quarterRecordFiles(const std::string& dir) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir + "/quarters", ec))
        if (entry.is_regular_file() && entry.path().extension() == ".json")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

bool writeTileset(const std::string& dir, const TilesetContent& c, std::string& error) {
    double lo[3], hi[3];
    for (int k = 0; k < 3; ++k)
        lo[k] = c.coarseLo[k], hi[k] = c.coarseHi[k];
    json children = json::array();
    for (const QuarterRecord& q : c.quarters) {
        for (int k = 0; k < 3; ++k)
            lo[k] = std::min(lo[k], q.lo[k]), hi[k] = std::max(hi[k], q.hi[k]);
        children.push_back({{"boundingVolume", box(q.lo, q.hi)},
                            {"geometricError", 0},
                            {"content", {{"uri", q.glbPath()}}},
                            {"extras", {{"town", q.town}, {"quarter", q.quarter}}}});
    }
    // Without even the root, nothing of the town is shown: its whole size is the error.
    double diagonal = 0;
    for (int k = 0; k < 3; ++k)
        diagonal += (hi[k] - lo[k]) * (hi[k] - lo[k]);
    const json root = {{"boundingVolume", box(lo, hi)},
                       {"geometricError", c.coarseError},
                       {"refine", "REPLACE"},
                       {"content", {{"uri", c.coarseUri}}},
                       {"children", std::move(children)}};
    const json tileset = {{"asset", {{"version", "1.1"}, {"generator", "Callimora"}}},
                          {"geometricError", std::max(0.5 * std::sqrt(diagonal), c.coarseError)},
                          {"root", root}};
    return writeWhole(dir + "/tileset.json", tileset.dump(1) + "\n", error);
}
