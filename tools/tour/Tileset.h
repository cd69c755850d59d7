#pragma once
// The files of a tiles export besides the quarters' glb files: a record per
// quarter written beside its glb (what the tileset needs to know of it,
// nothing that depends on which worker or machine made it), and the OGC
// 3D Tiles 1.1 tileset.json made of those records.
//
// The tileset's frame is glTF's turned z-up, as 3D Tiles turns glTF content:
// x = world x, y = world z, z = world y (metres).
#include <string>
#include <vector>

struct QuarterRecord {
    std::string name;    // "q0007"
    int index = 0, town = 0, quarter = 0;
    std::string format;  // "compact" or "plain"
    long bytes = 0, triangles = 0;
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};  // the content's bounds, tileset frame

    std::string glbPath() const { return "quarters/" + name + ".glb"; }
    std::string recordPath() const { return "quarters/" + name + ".json"; }
};

// Tileset frame bounds of world bounds (x, y up, z).
void tilesetBounds(const float worldLo[3], const float worldHi[3], double lo[3], double hi[3]);

// Writes dir/quarters/<name>.json (whole or not at all).
bool writeQuarterRecord(const std::string& dir, const QuarterRecord& record, std::string& error);
// Reads one record; false with error when it cannot be read or is not one.
bool readQuarterRecord(const std::string& path, QuarterRecord& record, std::string& error);
// Every record file in dir/quarters, by name.
std::vector<std::string> quarterRecordFiles(const std::string& dir);

struct TilesetContent {
    std::vector<QuarterRecord> quarters;  // in index order
    std::string coarseUri;                // the root's content
    double coarseLo[3] = {0, 0, 0}, coarseHi[3] = {0, 0, 0};
    double coarseError = 0;               // the largest block size of the quarters
};

// Writes dir/tileset.json: the root holds the coarse content and refines into
// one child per quarter (full detail, geometric error 0).
bool writeTileset(const std::string& dir, const TilesetContent& content, std::string& error);
