#include "tools/tour/TourTiles.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "core/Assert.h"
#include "core/Desc.h"
#include "renderer/GltfExporter.h"
#include "renderer/GltfWriter.h"
#include "tools/tour/TileQuarters.h"
#include "tools/tour/TileWorkers.h"
#include "tools/tour/Tileset.h"
#include "tools/tour/TilesPage.h"
#include "tools/tour/TourExport.h"
#include "tools/tour/TourOptions.h"
#include "typology/World.h"
#include "typology/town/TypQuaIrregular.h"

namespace fs = std::filesystem;

namespace {

// Where scripts/bootstrap installs the page's packages, seen from bin/.
const char* const kNodeModules = "../node_modules";

std::string clock(double seconds) {
    const long s = std::lround(std::max(seconds, 0.0));
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

// Grows one quarter into its glb and writes its record; runs in a worker.
std::string exportQuarter(const TileQuarter& q, const std::string& dir, GltfFormat format, bool& ok) {
    ok = false;
    QuarterRecord record;
    record.name = q.name();
    record.index = q.index;
    record.town = q.town;
    record.quarter = q.quarter;
    record.format = gltfFormatName(format);
    const std::string path = dir + "/" + record.glbPath();
    GltfExporter exporter;
    exporter.format = format;
    bool exported = false;
    try {
        exported = exporter.exportGrowing(*q.desc, path, [](Desc& d) { d.refine(Matrix44::identity()); });
    } catch (const AssertException& e) {
        q.desc->releaseChildren();
        std::error_code ec;
        fs::remove(path + ".part", ec);
        return "assertion failed: " + e.source() + " " + std::to_string(e.line());
    }
    q.desc->releaseChildren();
    if (!exported)
        return exporter.error();
    const GltfExporter::Summary& s = exporter.summary();
    record.bytes = s.bytes;
    record.triangles = s.triangles;
    tilesetBounds(s.lo, s.hi, record.lo, record.hi);
    std::string error;
    if (!writeQuarterRecord(dir, record, error))
        return error;
    ok = true;
    char text[64];
    std::snprintf(text, sizeof text, "%ld", s.bytes);
    return text;
}

// The root's content and the tileset over the records, then the page.
bool writeTilesetAndPage(const std::vector<TileQuarter>& quarters, std::vector<QuarterRecord> records,
                         const std::string& dir) {
    if (records.empty()) {
        std::fprintf(stderr, "tiles: no quarter to put in a tileset in %s\n", dir.c_str());
        return false;
    }
    std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) { return a.index < b.index; });
    GltfFormat format = GltfFormat::Compact;
    parseGltfFormat(records.front().format, format);
    GltfScene scene;
    scene.normals = format == GltfFormat::Plain;
    TilesetContent content;
    for (const QuarterRecord& r : records)
        content.coarseError = std::max(content.coarseError,
                                       double(addCoarseBlocks(*quarters[static_cast<size_t>(r.index)].desc, scene)));
    const float lo[3] = {scene.lo.x, scene.lo.y, scene.lo.z}, hi[3] = {scene.hi.x, scene.hi.y, scene.hi.z};
    tilesetBounds(lo, hi, content.coarseLo, content.coarseHi);
    content.coarseUri = "coarse.glb";
    GltfWriter writer;
    writer.format = format;
    if (!writer.write(scene, dir + "/" + content.coarseUri)) {
        std::fprintf(stderr, "tiles: %s\n", writer.error().c_str());
        return false;
    }
    content.quarters = std::move(records);
    std::string error;
    if (!writeTileset(dir, content, error) || !writeTilesPage(dir, kNodeModules, error)) {
        std::fprintf(stderr, "tiles: %s\n", error.c_str());
        return false;
    }
    std::fprintf(stderr, "tiles: %s/tileset.json: %zu quarters under the coarse shapes of their blocks; page %s/index.html\n",
                 dir.c_str(), content.quarters.size(), dir.c_str());
    return true;
}

bool makeFolders(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir + "/quarters", ec);
    if (ec || !fs::is_directory(dir + "/quarters")) {
        std::fprintf(stderr, "tiles: cannot make %s/quarters\n", dir.c_str());
        return false;
    }
    return true;
}

}  // namespace

int runTourTiles(const TourOptions& o) {
    const std::string& dir = o.tilesDir;
    keepFreedMemoryForExport(o.exportFormat);
    if (!makeFolders(dir))
        return 1;
    std::unique_ptr<Desc> world;
    buildWorld(world);
    const std::vector<TileQuarter> quarters = listTileQuarters(*world);
    const int listed = o.limit > 0 ? std::min<int>(o.limit, static_cast<int>(quarters.size()))
                                   : static_cast<int>(quarters.size());
    std::vector<int> jobs;
    for (int i = o.shardIndex; i < listed; i += o.shardCount)
        jobs.push_back(i);
    const int workers = o.jobs > 0 ? o.jobs : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    std::fprintf(stderr, "tiles: %zu of %zu quarters (shard %d/%d) into %s, %s, %d workers\n", jobs.size(),
                 quarters.size(), o.shardIndex, o.shardCount, dir.c_str(), gltfFormatName(o.exportFormat),
                 std::min<int>(workers, std::max<int>(1, static_cast<int>(jobs.size()))));

    const auto start = std::chrono::steady_clock::now();
    std::vector<QuarterRecord> records;
    std::vector<std::string> failed;
    size_t done = 0;
    double written = 0;
    tileWorkers::run(
        jobs, workers,
        [&](int job, bool& ok) {
            return exportQuarter(quarters[static_cast<size_t>(job)], dir, o.exportFormat, ok);
        },
        [&](int job, bool ok, const std::string& text) {
            const TileQuarter& q = quarters[static_cast<size_t>(job)];
            ++done;
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const double left = elapsed / double(done) * double(jobs.size() - done);
            QuarterRecord record;
            std::string error;
            if (ok && readQuarterRecord(dir + "/quarters/" + q.name() + ".json", record, error)) {
                written += double(record.bytes);
                records.push_back(record);
                std::fprintf(stderr, "tiles: %zu/%zu %s (town %d quarter %d) %.1f MB, %.1f MB written, elapsed %s, left %s\n",
                             done, jobs.size(), q.name().c_str(), q.town, q.quarter, double(record.bytes) / 1e6,
                             written / 1e6, clock(elapsed).c_str(), clock(left).c_str());
            } else {
                failed.push_back(q.name());
                std::fprintf(stderr, "tiles: %zu/%zu %s (town %d quarter %d) failed: %s; elapsed %s, left %s\n", done,
                             jobs.size(), q.name().c_str(), q.town, q.quarter, ok ? error.c_str() : text.c_str(),
                             clock(elapsed).c_str(), clock(left).c_str());
            }
            std::fflush(stderr);
        });

    int result = failed.empty() ? 0 : 1;
    if (!failed.empty()) {
        std::string names;
        for (const std::string& n : failed)
            names += " " + n;
        std::fprintf(stderr, "tiles: %zu of %zu quarters failed:%s\n", failed.size(), jobs.size(), names.c_str());
    }
    if (o.shardCount > 1)
        std::fprintf(stderr, "tiles: shard %d/%d done; once every shard is, --merge-tileset %s writes the tileset\n",
                     o.shardIndex, o.shardCount, dir.c_str());
    else if (!writeTilesetAndPage(quarters, records, dir))
        result = 1;
    destroyWorld(world);
    return result;
}

int runTourMerge(const TourOptions& o) {
    const std::string& dir = o.mergeDir;
    std::unique_ptr<Desc> world;
    buildWorld(world);
    const std::vector<TileQuarter> quarters = listTileQuarters(*world);
    std::vector<QuarterRecord> records;
    int result = 0;
    for (const std::string& file : quarterRecordFiles(dir)) {
        QuarterRecord r;
        std::string error;
        if (!readQuarterRecord(file, r, error)) {
            std::fprintf(stderr, "tiles: %s\n", error.c_str());
            result = 1;
            continue;
        }
        const bool fits = r.index >= 0 && r.index < static_cast<int>(quarters.size()) &&
                          quarters[static_cast<size_t>(r.index)].name() == r.name &&
                          quarters[static_cast<size_t>(r.index)].town == r.town &&
                          quarters[static_cast<size_t>(r.index)].quarter == r.quarter &&
                          fs::path(file).stem().string() == r.name &&
                          (records.empty() || records.front().format == r.format);
        std::error_code ec;
        const auto size = fs::file_size(dir + "/" + r.glbPath(), ec);
        if (!fits || ec || static_cast<long>(size) != r.bytes) {
            std::fprintf(stderr, "tiles: %s does not fit this town or its glb; left out\n", file.c_str());
            result = 1;
            continue;
        }
        records.push_back(r);
    }
    if (!writeTilesetAndPage(quarters, records, dir))
        result = 1;
    destroyWorld(world);
    return result;
}
