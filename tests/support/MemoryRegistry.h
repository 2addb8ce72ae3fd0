#pragma once
// A registry held in memory: what the tests run the registrar against, with the means to
// look at every key and value afterwards, to make chosen keys fail, and to catch a key that
// is used or closed without having been handed out.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "registrar/Registry.h"

namespace registrar {

class MemoryRegistry final : public IRegistry {
public:
    struct Value {
        RegValueType type;
        std::vector<std::uint8_t> data;
        friend bool operator==(const Value&, const Value&) = default;
    };

    MemoryRegistry();
    ~MemoryRegistry() override;

    RegKey ClassesRoot() const override;
    RegStatus CreateKey(RegKey parent, std::string_view name, RegKey& key) override;
    RegStatus OpenKey(RegKey parent, std::string_view name, RegKey& key) override;
    RegStatus SetValue(RegKey key, std::string_view name, RegValueType type,
                       std::span<const std::uint8_t> data) override;
    RegStatus QueryString(RegKey key, std::string_view name, std::string& text) override;
    RegStatus QuerySubkeyCount(RegKey key, std::uint32_t& count) override;
    RegStatus EnumSubkey(RegKey key, std::uint32_t index, std::string& name) override;
    RegStatus DeleteKey(RegKey parent, std::string_view name) override;
    void CloseKey(RegKey key) override;
    void NotifyAssociationsChanged() override { ++m_notifications; }

    // Paths below the root, parts separated by backslashes, compared without regard to case
    // as the real registry does ("Applications\\qm4edit.exe").
    bool HasKey(const std::string& path) const;
    std::optional<Value> GetValue(const std::string& path, const std::string& name) const;
    std::vector<std::string> SubkeyNames(const std::string& path) const;
    std::vector<std::string> ValueNames(const std::string& path) const;
    void PutKey(const std::string& path);
    void PutValue(const std::string& path, const std::string& name, RegValueType type, std::vector<std::uint8_t> data);

    // Every key and value, one per line in a fixed order, for comparing whole states.
    std::string Dump() const;

    // Creating or opening the key at path fails as if access were denied.
    void DenyAccess(const std::string& path) { m_denied.insert(Lower(path)); }
    // Deleting the key at path fails.
    void DenyDelete(const std::string& path) { m_undeletable.insert(Lower(path)); }

    int Notifications() const { return m_notifications; }
    std::size_t OpenKeys() const { return m_open.size(); }
    // Uses or closes of keys that were never handed out or were already closed.
    const std::vector<std::string>& Misuses() const { return m_misuses; }

private:
    struct Caseless {
        bool operator()(const std::string& a, const std::string& b) const { return Lower(a) < Lower(b); }
    };
    struct Node {
        std::map<std::string, Value, Caseless> values;
        std::map<std::string, std::unique_ptr<Node>, Caseless> subkeys;
    };
    using Path = std::vector<std::string>;

    static std::string Lower(const std::string& s);
    static Path Split(const std::string& path);
    static std::string Join(const Path& path);
    Node* Find(const Path& path) const;
    // The path of an open key, or nullopt (and a recorded misuse) for a key never handed out.
    std::optional<Path> Resolve(RegKey key, const char* operation);
    RegKey Hand(Path path);
    void DumpNode(const Node& node, const std::string& prefix, std::string& out) const;

    std::unique_ptr<Node> m_root;
    std::map<std::uintptr_t, Path> m_open;
    std::uintptr_t m_nextHandle = 0x1000;
    std::set<std::string> m_denied;
    std::set<std::string> m_undeletable;
    std::vector<std::string> m_misuses;
    int m_notifications = 0;
};

} // namespace registrar
