// The Windows pieces of platform/ by themselves, in plain C++: run natively by CTest, and cross-compiled
// and run under Wine by scripts/test-windows.sh. It works in a folder of its own below the system's
// temporary folder.

#include "platform/FolderProbe.h"
#include "platform/RegistryValue.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

int g_failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok)
        ++g_failures;
}

void folderProbe(const std::filesystem::path& folder) {
    using platform::FolderIsWritable;
    check(FolderIsWritable(folder), "probe: an empty temporary folder is writable");
    check(std::filesystem::is_empty(folder), "probe: the folder is empty again afterwards");
    check(!FolderIsWritable(folder / "does-not-exist"), "probe: a folder that does not exist is not");
    const std::filesystem::path file = folder / "plain-file";
    std::FILE* f = std::fopen(file.string().c_str(), "wb");
    if (f)
        std::fclose(f);
    check(!FolderIsWritable(file), "probe: a file is no folder");
    std::filesystem::remove(file);
}

#ifdef _WIN32

using namespace platform;

std::vector<std::uint8_t> pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 1);
    return bytes;
}

const std::string kKey = "SOFTWARE\\nopra\\Kelvora\\AdministratorTest";
const std::string kName = "DefaultTransponderRestrictions";
constexpr std::size_t kSize = 57;

// Sets a value the way another program would, with the registry API directly; a 32-bit program's
// value lies in the 32-bit view.
void setRaw(HKEY root, const std::string& key, DWORD type, const void* data, DWORD size,
            REGSAM view = KEY_WOW64_64KEY) {
    HKEY opened = nullptr;
    const std::wstring wideKey(key.begin(), key.end());
    const std::wstring wideName(kName.begin(), kName.end());
    RegCreateKeyExW(root, wideKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &opened, nullptr);
    RegSetValueExW(opened, wideName.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(opened);
}

void deleteRaw(HKEY root, REGSAM view) {
    HKEY opened = nullptr;
    const std::wstring wideKey(kKey.begin(), kKey.end());
    const std::wstring wideName(kName.begin(), kName.end());
    if (RegOpenKeyExW(root, wideKey.c_str(), 0, KEY_SET_VALUE | view, &opened) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(opened, wideName.c_str());
    RegCloseKey(opened);
}

// The views of the registry and a broken per-user stand-in.
void registryViews() {
    const std::vector<std::uint8_t> wow = pattern(kSize + 2);
    const std::vector<std::uint8_t> ofThirtyTwo(wow.begin() + 2, wow.end());
    deleteRaw(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    deleteRaw(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
    DeleteValue(RegistryRoot::CurrentUser, kKey, kName);
    setRaw(HKEY_LOCAL_MACHINE, kKey, REG_BINARY, ofThirtyTwo.data(), kSize, KEY_WOW64_32KEY);
    BinaryValue value = ReadBinaryValue(RegistryRoot::LocalMachine, kKey, kName, kSize);
    check(value.status == RegistryRead::Ok && value.bytes == ofThirtyTwo,
          "views: a value only in the 32-bit view (WOW6432Node) is read");
    const std::vector<std::uint8_t> ofSixtyFour = pattern(kSize);
    setRaw(HKEY_LOCAL_MACHINE, kKey, REG_BINARY, ofSixtyFour.data(), kSize, KEY_WOW64_64KEY);
    value = ReadBinaryValue(RegistryRoot::LocalMachine, kKey, kName, kSize);
    check(value.status == RegistryRead::Ok && value.bytes == ofSixtyFour,
          "views: the 64-bit view comes first");

    const wchar_t text[] = L"kaputt";
    setRaw(HKEY_CURRENT_USER, kKey, REG_SZ, text, sizeof(text));
    RegistryRoot from = RegistryRoot::CurrentUser;
    value = ReadMachineOrUserValue(kKey, kName, kSize, &from);
    check(value.status == RegistryRead::Ok && value.bytes == ofSixtyFour &&
              from == RegistryRoot::LocalMachine,
          "fallback: a malformed per-user value does not hide a good machine-wide one");
    WriteBinaryValue(RegistryRoot::CurrentUser, kKey, kName, pattern(10));
    deleteRaw(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    deleteRaw(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
    value = ReadMachineOrUserValue(kKey, kName, kSize, &from);
    check(value.status == RegistryRead::TooShort && from == RegistryRoot::CurrentUser,
          "fallback: with no good value the per-user one is what is reported");
    DeleteValue(RegistryRoot::CurrentUser, kKey, kName);
}

// The stored type and size, asked of the registry directly.
bool storedAs(HKEY root, DWORD expectedType, DWORD expectedSize) {
    HKEY opened = nullptr;
    const std::wstring wideKey(kKey.begin(), kKey.end());
    const std::wstring wideName(kName.begin(), kName.end());
    if (RegOpenKeyExW(root, wideKey.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    const bool ok =
        RegQueryValueExW(opened, wideName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    RegCloseKey(opened);
    return ok && type == expectedType && size == expectedSize;
}

void registry() {
    const auto read = [](RegistryRoot root) { return ReadBinaryValue(root, kKey, kName, kSize); };
    DeleteValue(RegistryRoot::CurrentUser, kKey, kName);
    DeleteValue(RegistryRoot::LocalMachine, kKey, kName);

    check(ReadBinaryValue(RegistryRoot::CurrentUser, kKey + "\\Nowhere", kName, kSize).status ==
              RegistryRead::Missing,
          "registry: a missing key reads as missing");
    const std::vector<std::uint8_t> block = pattern(kSize);
    check(WriteBinaryValue(RegistryRoot::CurrentUser, kKey, kName, block) == RegistryWrite::Ok,
          "registry: 57 bytes written");
    check(storedAs(HKEY_CURRENT_USER, REG_BINARY, kSize), "registry: stored as REG_BINARY of 57 bytes");
    BinaryValue value = read(RegistryRoot::CurrentUser);
    check(value.status == RegistryRead::Ok && value.bytes == block, "registry: the 57 bytes read back");
    check(ReadBinaryValue(RegistryRoot::CurrentUser, kKey, "Other", kSize).status == RegistryRead::Missing,
          "registry: a missing value reads as missing");

    WriteBinaryValue(RegistryRoot::CurrentUser, kKey, kName, pattern(10));
    value = read(RegistryRoot::CurrentUser);
    check(value.status == RegistryRead::TooShort && value.bytes == pattern(10),
          "registry: a shorter value is reported with its bytes");
    WriteBinaryValue(RegistryRoot::CurrentUser, kKey, kName, pattern(60));
    check(read(RegistryRoot::CurrentUser).status == RegistryRead::TooLong, "registry: a longer value");
    WriteBinaryValue(RegistryRoot::CurrentUser, kKey, kName, {});
    value = read(RegistryRoot::CurrentUser);
    check(value.status == RegistryRead::TooShort && value.bytes.empty(), "registry: an empty binary value");

    const wchar_t text[] = L"@ByteArray(abc)";
    setRaw(HKEY_CURRENT_USER, kKey, REG_SZ, text, sizeof(text));
    check(read(RegistryRoot::CurrentUser).status == RegistryRead::WrongType, "registry: a string value");
    const DWORD number = 57;
    setRaw(HKEY_CURRENT_USER, kKey, REG_DWORD, &number, sizeof(number));
    check(read(RegistryRoot::CurrentUser).status == RegistryRead::WrongType, "registry: a number value");
    const std::vector<std::uint8_t> foreign = pattern(kSize + 3);
    setRaw(HKEY_CURRENT_USER, kKey, REG_BINARY, foreign.data(), kSize);
    value = read(RegistryRoot::CurrentUser);
    check(value.status == RegistryRead::Ok && value.bytes == pattern(kSize),
          "registry: a value another program wrote");

    // Machine-wide, with the per-user stand-in.
    const std::vector<std::uint8_t> newer = pattern(kSize + 1);
    const std::vector<std::uint8_t> machineBlock(newer.begin() + 1, newer.end());
    RegistryRoot from = RegistryRoot::LocalMachine;
    value = ReadMachineOrUserValue(kKey, kName, kSize, &from);
    check(value.status == RegistryRead::Ok && from == RegistryRoot::CurrentUser,
          "fallback: a per-user value is read first");
    const FallbackWrite written = WriteMachineOrUserValue(kKey, kName, machineBlock);
    check(written.status == RegistryWrite::Ok && written.root == RegistryRoot::LocalMachine,
          "fallback: written machine-wide when that is allowed");
    check(storedAs(HKEY_LOCAL_MACHINE, REG_BINARY, kSize),
          "fallback: machine-wide as REG_BINARY of 57 bytes");
    check(read(RegistryRoot::CurrentUser).status == RegistryRead::Missing,
          "fallback: the per-user stand-in is removed");
    value = ReadMachineOrUserValue(kKey, kName, kSize, &from);
    check(value.status == RegistryRead::Ok && value.bytes == machineBlock &&
              from == RegistryRoot::LocalMachine,
          "fallback: the machine-wide value is read");

    // A machine key that cannot be written: volatile keys take no lasting subkeys.
    const std::string unwritable = "HARDWARE\\KelvoraTest";
    if (WriteBinaryValue(RegistryRoot::LocalMachine, unwritable, kName, block) != RegistryWrite::Ok) {
        const FallbackWrite fallback = WriteMachineOrUserValue(unwritable, kName, block);
        check(fallback.status == RegistryWrite::Ok && fallback.root == RegistryRoot::CurrentUser,
              "fallback: written per user when the machine's part refuses");
        value = ReadMachineOrUserValue(unwritable, kName, kSize, &from);
        check(value.status == RegistryRead::Ok && value.bytes == block && from == RegistryRoot::CurrentUser,
              "fallback: the per-user value is read back");
        DeleteValue(RegistryRoot::CurrentUser, unwritable, kName);
    } else {
        std::printf("skip fallback: this registry lets every machine key be written\n");
        DeleteValue(RegistryRoot::LocalMachine, unwritable, kName);
    }

    check(DeleteValue(RegistryRoot::LocalMachine, kKey, kName), "registry: value deleted");
    check(DeleteValue(RegistryRoot::LocalMachine, kKey, kName), "registry: deleting a missing value is fine");
    registryViews();
}

#else

void registry() {
    using namespace platform;
    check(ReadBinaryValue(RegistryRoot::LocalMachine, "SOFTWARE", "x", 57).status ==
              RegistryRead::Unavailable,
          "registry: unavailable here");
    check(WriteBinaryValue(RegistryRoot::CurrentUser, "SOFTWARE", "x", {1}) == RegistryWrite::Unavailable,
          "registry: writing unavailable here");
    check(WriteMachineOrUserValue("SOFTWARE", "x", {1}).status == RegistryWrite::Unavailable,
          "fallback: unavailable here");
    check(ReadMachineOrUserValue("SOFTWARE", "x", 57).status == RegistryRead::Unavailable,
          "fallback: reading unavailable here");
}

#endif

} // namespace

int main() {
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path(error) /
        ("kelvora-platform-test-" +
         std::to_string(std::filesystem::file_time_type::clock::now().time_since_epoch().count()));
    if (error || !std::filesystem::create_directory(folder, error)) {
        std::fprintf(stderr, "no temporary folder\n");
        return 2;
    }
    folderProbe(folder);
    registry();
    std::filesystem::remove_all(folder, error);
    std::printf("%d failed\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
