#pragma once

// One binary value in the Windows registry, read and written through the registry API itself: the
// value must be a plain REG_BINARY of its exact bytes, readable and writable by other programs. (Qt's
// settings store a byte array as a text of its own making and cannot read such a value back.)
//
// Plain C++, no Qt. Elsewhere than on Windows every call reports Unavailable.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

enum class RegistryRead {
    Ok,          // a binary value of exactly the expected size
    Missing,     // no such key or value
    WrongType,   // the value holds a string, a number or anything but binary data
    TooLong,     // binary, longer than expected
    TooShort,    // binary, shorter than expected; bytes holds what there is
    Failed,      // the key or value could not be read (rights, a broken value)
    Unavailable, // not on Windows
};

struct BinaryValue {
    RegistryRead status = RegistryRead::Missing;
    std::vector<std::uint8_t> bytes; // the value's bytes whenever it is binary (Ok, TooLong, TooShort)
};

enum class RegistryWrite {
    Ok,
    Denied,      // no right to create the key or set the value
    Failed,      // any other refusal of the registry
    Unavailable, // not on Windows
};

// key is a path below the root such as "SOFTWARE\\nopra\\Kelvora\\Administrator"; key and name are UTF-8.
// Reading looks into the 64-bit view of the registry first, then into the 32-bit one (WOW6432Node).
BinaryValue ReadBinaryValue(RegistryRoot root, const std::string& key, const std::string& name,
                            std::size_t expectedSize);
// Creates the key when it does not exist and sets the value as REG_BINARY of exactly these bytes.
RegistryWrite WriteBinaryValue(RegistryRoot root, const std::string& key, const std::string& name,
                               const std::vector<std::uint8_t>& bytes);
// Removes the value; true when it is gone afterwards (also when it never was there).
bool DeleteValue(RegistryRoot root, const std::string& key, const std::string& name);

// The machine-wide value with a per-user stand-in for users who may not write the machine's part.
//
// Writing goes to HKEY_LOCAL_MACHINE; when that fails, to HKEY_CURRENT_USER. After a machine-wide write
// a per-user stand-in is removed, so it cannot hide the newer value. Reading takes a good per-user value
// when there is one (it was written because the machine's could not be), otherwise a good machine-wide
// one; when neither is good, what the per-user one is (or the machine's when there is no per-user one).
struct FallbackWrite {
    RegistryWrite status = RegistryWrite::Unavailable; // of the write that counted
    RegistryRoot root = RegistryRoot::LocalMachine;    // where the value went
};
BinaryValue ReadMachineOrUserValue(const std::string& key, const std::string& name, std::size_t expectedSize,
                                   RegistryRoot* from = nullptr);
FallbackWrite WriteMachineOrUserValue(const std::string& key, const std::string& name,
                                      const std::vector<std::uint8_t>& bytes);

} // namespace platform
