#include "core/DataDirectory.h"

#include <filesystem>

namespace dataDirectory {

bool found(const std::string& folder) {
    std::error_code error;
    return std::filesystem::is_directory(folder, error);
}

std::string missingMessage(const std::string& folder) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    if (error)
        absolute = folder;
    return "the data directory " + absolute.lexically_normal().string() +
           " was not found: make it with `make` in the repository, or with `callimora-datagen " +
           absolute.lexically_normal().string() + "`";
}

}  // namespace dataDirectory
