#pragma once
// The tour's export: the quarter at the start view (or at --at) grown to its
// leaves and written as binary glTF.
#include "renderer/GltfWriter.h"

struct TourOptions;

// Prints "export: FILE  triangles ... ms ..." and returns 0; 1 (with the
// reason on stderr) when no quarter holds the point or the file could not be
// written.
int runTourExport(const TourOptions& options);

// Large arrays come and go for every material of a compact export: kept in
// the heap once freed rather than unmapped, they cost no new page faults the
// next time. Not for plain files, whose data is as large as the triangles it
// replaces and would then stand beside them.
void keepFreedMemoryForExport(GltfFormat format);
