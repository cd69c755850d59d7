#pragma once
// The tour's tiles export: every quarter of the world's towns grown to its
// leaves and written as its own glb by worker processes, then a 3D Tiles
// tileset over them with the towns' coarse shapes at its root, and a page
// that shows it (see TileQuarters, TileWorkers, Tileset, TilesPage).
struct TourOptions;

// --export-tiles DIR: exports the quarters (the first --limit, every
// --shard-th), one progress line each on stderr; without --shard also writes
// the tileset and the page. Returns 0, or 1 when a quarter failed (it is
// named; the others go on) or the tileset or page could not be written.
int runTourTiles(const TourOptions& options);
// --merge-tileset DIR: the tileset and the page of every quarter exported
// into DIR (by any shards). Returns 0, or 1 when a record does not fit this
// town, its glb is missing, there is none at all, or a file cannot be written.
int runTourMerge(const TourOptions& options);
