#include "platform/FolderProbe.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {
namespace {

// Unique among the program's probes and, with the process and the time, among other programs': the
// probe never touches a file that was there before.
std::string probeName() {
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(getpid());
#endif
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return ".kelvora-write-probe-" + std::to_string(process) + "-" + std::to_string(now) + "-" +
           std::to_string(counter++);
}

} // namespace

bool FolderIsWritable(const std::filesystem::path& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return false;
    // A few names, in case one is taken by chance.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::filesystem::path probe = folder / probeName();
#ifdef _WIN32
        const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return false;
        }
        const char byte = 0;
        DWORD written = 0;
        const bool wrote = WriteFile(file, &byte, 1, &written, nullptr) && written == 1;
        CloseHandle(file);
        DeleteFileW(probe.c_str());
#else
        const int file = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (file < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const char byte = 0;
        const bool wrote = ::write(file, &byte, 1) == 1;
        ::close(file);
        ::unlink(probe.c_str());
#endif
        return wrote;
    }
    return false;
}

} // namespace platform
