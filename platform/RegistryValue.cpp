#include "platform/RegistryValue.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {

#ifdef _WIN32
namespace {

std::wstring widen(const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

HKEY rootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Closes the key on every way out.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (m_key)
            RegCloseKey(m_key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// The value in one view of the registry (KEY_WOW64_64KEY or KEY_WOW64_32KEY).
BinaryValue readView(RegistryRoot root, const std::string& key, const std::string& name,
                     std::size_t expectedSize, REGSAM view) {
    BinaryValue result;
    OpenKey opened;
    LSTATUS status =
        RegOpenKeyExW(rootKey(root), widen(key).c_str(), 0, KEY_QUERY_VALUE | view, opened.out());
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) {
        result.status = RegistryRead::Missing;
        return result;
    }
    if (status != ERROR_SUCCESS) {
        result.status = RegistryRead::Failed;
        return result;
    }
    const std::wstring valueName = widen(name);
    // The value may change between asking for its size and reading it; a few rounds settle that.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        status = RegQueryValueExW(opened.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND) {
            result.status = RegistryRead::Missing;
            return result;
        }
        if (status != ERROR_SUCCESS) {
            result.status = RegistryRead::Failed;
            return result;
        }
        if (type != REG_BINARY) {
            result.status = RegistryRead::WrongType;
            return result;
        }
        result.bytes.assign(size, 0);
        status = RegQueryValueExW(opened.get(), valueName.c_str(), nullptr, &type,
                                  result.bytes.empty() ? nullptr : result.bytes.data(), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS) {
            result.bytes.clear();
            result.status = RegistryRead::Failed;
            return result;
        }
        if (type != REG_BINARY) {
            result.bytes.clear();
            result.status = RegistryRead::WrongType;
            return result;
        }
        result.bytes.resize(size);
        result.status = size == expectedSize  ? RegistryRead::Ok
                        : size > expectedSize ? RegistryRead::TooLong
                                              : RegistryRead::TooShort;
        return result;
    }
    result.bytes.clear();
    result.status = RegistryRead::Failed;
    return result;
}

} // namespace

BinaryValue ReadBinaryValue(RegistryRoot root, const std::string& key, const std::string& name,
                            std::size_t expectedSize) {
    // The 64-bit view first: the same key whether the program is built for 32 or 64 bits. A value that a
    // 32-bit program wrote lies in the 32-bit view (WOW6432Node) and counts when the other has none.
    BinaryValue value = readView(root, key, name, expectedSize, KEY_WOW64_64KEY);
    if (value.status == RegistryRead::Missing)
        value = readView(root, key, name, expectedSize, KEY_WOW64_32KEY);
    return value;
}

RegistryWrite WriteBinaryValue(RegistryRoot root, const std::string& key, const std::string& name,
                               const std::vector<std::uint8_t>& bytes) {
    OpenKey opened;
    LSTATUS status = RegCreateKeyExW(rootKey(root), widen(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, opened.out(), nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(opened.get(), widen(name).c_str(), 0, REG_BINARY, bytes.data(),
                                static_cast<DWORD>(bytes.size()));
    }
    if (status == ERROR_SUCCESS)
        return RegistryWrite::Ok;
    return status == ERROR_ACCESS_DENIED ? RegistryWrite::Denied : RegistryWrite::Failed;
}

bool DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) {
    OpenKey opened;
    LSTATUS status =
        RegOpenKeyExW(rootKey(root), widen(key).c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, opened.out());
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND)
        return true;
    if (status != ERROR_SUCCESS)
        return false;
    status = RegDeleteValueW(opened.get(), widen(name).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

#else

BinaryValue ReadBinaryValue(RegistryRoot, const std::string&, const std::string&, std::size_t) {
    return {RegistryRead::Unavailable, {}};
}

RegistryWrite WriteBinaryValue(RegistryRoot, const std::string&, const std::string&,
                               const std::vector<std::uint8_t>&) {
    return RegistryWrite::Unavailable;
}

bool DeleteValue(RegistryRoot, const std::string&, const std::string&) {
    return false;
}

#endif

BinaryValue ReadMachineOrUserValue(const std::string& key, const std::string& name, std::size_t expectedSize,
                                   RegistryRoot* from) {
    const auto answer = [from](BinaryValue value, RegistryRoot root) {
        if (from)
            *from = root;
        return value;
    };
    BinaryValue user = ReadBinaryValue(RegistryRoot::CurrentUser, key, name, expectedSize);
    if (user.status == RegistryRead::Ok)
        return answer(std::move(user), RegistryRoot::CurrentUser);
    // A per-user stand-in that is broken must not hide a good machine-wide value.
    BinaryValue machine = ReadBinaryValue(RegistryRoot::LocalMachine, key, name, expectedSize);
    if (machine.status == RegistryRead::Ok || user.status == RegistryRead::Missing ||
        user.status == RegistryRead::Unavailable)
        return answer(std::move(machine), RegistryRoot::LocalMachine);
    return answer(std::move(user), RegistryRoot::CurrentUser);
}

FallbackWrite WriteMachineOrUserValue(const std::string& key, const std::string& name,
                                      const std::vector<std::uint8_t>& bytes) {
    const RegistryWrite machine = WriteBinaryValue(RegistryRoot::LocalMachine, key, name, bytes);
    if (machine == RegistryWrite::Ok) {
        DeleteValue(RegistryRoot::CurrentUser, key, name);
        return {machine, RegistryRoot::LocalMachine};
    }
    if (machine == RegistryWrite::Unavailable)
        return {machine, RegistryRoot::LocalMachine};
    return {WriteBinaryValue(RegistryRoot::CurrentUser, key, name, bytes), RegistryRoot::CurrentUser};
}

} // namespace platform
