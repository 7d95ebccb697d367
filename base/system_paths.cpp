#include "base/system_paths.h"

std::string FileInFolder(const std::string& folder, const std::string& fileName,
                         std::size_t limit) {
    if (folder.empty() || fileName.empty()) return {};
    const std::string path = folder + (folder.back() == '\\' ? "" : "\\") + fileName;
    return path.size() < limit ? path : std::string();
}
