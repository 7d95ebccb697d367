#include "settings/settings_path.h"

namespace {

constexpr char ExecutableExtension[] = ".exe";

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

std::string PathBesideExecutable(const std::string& executablePath, const char* extension,
                                 bool (*isLeadByte)(unsigned char byte)) {
    std::string path;
    path.reserve(executablePath.size() + 3);
    for (size_t at = 0; at < executablePath.size(); ++at) {
        const char byte = executablePath[at];
        if (isLeadByte(static_cast<unsigned char>(byte)) && at + 1 < executablePath.size()) {
            path += byte;
            path += executablePath[++at];
        } else {
            path += (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte - 'A' + 'a') : byte;
        }
    }
    if (EndsWith(path, ExecutableExtension))
        path.resize(path.size() - (sizeof ExecutableExtension - 1));
    return path + extension;
}
