#pragma once
// Reading the data directory's .3DS files, for the model library and the
// material table: finding a name's file and handing lib3ds a checked copy.
#include <string>

struct Lib3dsFile;

namespace modelFile {
// "../data/<name>.3DS", or else the file in "../data/" whose name matches it
// without regard to case (so "wood1" finds "Wood1.3DS"); empty when neither
// exists or name is null or empty.
std::string path(const char* name);
// Loads the model file of name through lib3ds, from a checked copy in
// memory: only the chunks the system reads (materials and triangle meshes)
// are handed on, and a file whose chunk sizes, counts, strings or indices do
// not fit is refused. Null when refused or missing; free with lib3ds_file_free.
Lib3dsFile* load(const char* name);
// The same for a file given by its path.
Lib3dsFile* loadPath(const std::string& path);
}  // namespace modelFile
