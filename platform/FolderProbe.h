#pragma once

// Whether the program may create files in a folder, found out by doing it: a uniquely named file is
// created and deleted again. Asking for the folder's attributes is not enough: on Windows a folder
// under Program Files looks writable to every check that ignores its access rights.
//
// Plain C++, no Qt; works on Windows and POSIX systems.

#include <filesystem>

namespace platform {

// True when a new file could be created in the folder (and was removed again).
bool FolderIsWritable(const std::filesystem::path& folder);

} // namespace platform
