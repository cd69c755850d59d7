#pragma once
// The tour's export: the quarter at the start view (or at --at) grown to its
// leaves and written as binary glTF.
struct TourOptions;

// Prints "export: FILE  triangles ... ms ..." and returns 0; 1 (with the
// reason on stderr) when no quarter holds the point or the file could not be
// written.
int runTourExport(const TourOptions& options);
