#pragma once
// The few registry operations the registrar needs, so that it runs against the real registry
// on Windows and against a model in tests.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace registrar {

// An open key. The registry hands it out; the registrar never invents one.
struct RegKey {
    std::uintptr_t handle = 0;
    friend bool operator==(RegKey, RegKey) = default;
};

enum class RegStatus { Ok, NotFound, Failed };

enum class RegValueType : std::uint32_t { String = 1 /* REG_SZ */, Binary = 3 /* REG_BINARY */ };

class IRegistry {
public:
    virtual ~IRegistry() = default;

    // The predefined key everything hangs below; it is never closed.
    virtual RegKey ClassesRoot() const = 0;

    // Creates the subkey, or opens it when it exists, for writing.
    virtual RegStatus CreateKey(RegKey parent, std::string_view name, RegKey& key) = 0;
    // Opens an existing subkey with all access.
    virtual RegStatus OpenKey(RegKey parent, std::string_view name, RegKey& key) = 0;
    // An empty name is the key's default value. String data arrive UTF-8 encoded with their
    // terminating zero byte, and the zero counts in the length.
    virtual RegStatus SetValue(RegKey key, std::string_view name, RegValueType type,
                               std::span<const std::uint8_t> data) = 0;
    // A string value (REG_SZ) as UTF-8, without its terminating zero. NotFound when there is
    // no such value; Failed when it is there but holds no string.
    virtual RegStatus QueryString(RegKey key, std::string_view name, std::string& text) = 0;
    virtual RegStatus QuerySubkeyCount(RegKey key, std::uint32_t& count) = 0;
    virtual RegStatus EnumSubkey(RegKey key, std::uint32_t index, std::string& name) = 0;
    // Deletes a subkey that has no subkeys of its own.
    virtual RegStatus DeleteKey(RegKey parent, std::string_view name) = 0;
    virtual void CloseKey(RegKey key) = 0;

    // Tells the shell that file associations changed.
    virtual void NotifyAssociationsChanged() = 0;
};

} // namespace registrar
