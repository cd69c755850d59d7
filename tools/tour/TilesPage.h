#pragma once
// The page that shows a tiles export in a browser: DIR/index.html with
// three.js and 3d-tiles-renderer, whose built files are copied into DIR/lib
// from the node_modules that scripts/bootstrap installs. Everything it loads
// lies in DIR, by relative paths, so any static file server shows it.
#include <string>

// Writes dir/index.html and dir/lib/; false with error when the packages are
// missing from nodeModules or a file cannot be written.
bool writeTilesPage(const std::string& dir, const std::string& nodeModules, std::string& error);
