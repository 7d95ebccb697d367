// Paths of files that Kivo takes from the system folder only.
#ifndef KIVO_SYSTEM_PATHS_H
#define KIVO_SYSTEM_PATHS_H

#include <cstddef>
#include <string>

// The path of the file in the folder (one backslash between them, none doubled where the
// folder is a drive's root); empty where there is no folder or the path would not fit in
// `limit` bytes with its terminating zero: a bare name would be looked for elsewhere first.
std::string FileInFolder(const std::string& folder, const std::string& fileName, std::size_t limit);

#endif
