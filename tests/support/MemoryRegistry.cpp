#include "MemoryRegistry.h"

#include <algorithm>
#include <cctype>

namespace registrar {

namespace {

// Never among the handles given to opened keys, which count up from m_nextHandle.
constexpr std::uintptr_t kRootHandle = 1;

} // namespace

MemoryRegistry::MemoryRegistry() : m_root(std::make_unique<Node>())
{}
MemoryRegistry::~MemoryRegistry() = default;

std::string MemoryRegistry::Lower(const std::string& s)
{
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

MemoryRegistry::Path MemoryRegistry::Split(const std::string& path)
{
    Path parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

std::string MemoryRegistry::Join(const Path& path)
{
    std::string out;
    for (const std::string& part : path)
        out += (out.empty() ? "" : "\\") + part;
    return out;
}

MemoryRegistry::Node* MemoryRegistry::Find(const Path& path) const
{
    Node* node = m_root.get();
    for (const std::string& part : path) {
        auto it = node->subkeys.find(part);
        if (it == node->subkeys.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

std::optional<MemoryRegistry::Path> MemoryRegistry::Resolve(RegKey key, const char* operation)
{
    if (key.handle == kRootHandle)
        return Path{};
    auto it = m_open.find(key.handle);
    if (it == m_open.end()) {
        m_misuses.push_back(std::string(operation) + " on a key that is not open");
        return std::nullopt;
    }
    return it->second;
}

RegKey MemoryRegistry::Hand(Path path)
{
    const std::uintptr_t handle = m_nextHandle++;
    m_open.emplace(handle, std::move(path));
    return RegKey{handle};
}

RegKey MemoryRegistry::ClassesRoot() const
{
    return RegKey{kRootHandle};
}

RegStatus MemoryRegistry::CreateKey(RegKey parent, std::string_view name, RegKey& key)
{
    std::optional<Path> path = Resolve(parent, "CreateKey");
    if (!path)
        return RegStatus::Failed;
    Node* node = Find(*path);
    if (!node)
        return RegStatus::Failed; // the parent was deleted while open
    for (const std::string& part : Split(std::string(name))) {
        path->push_back(part);
        if (m_denied.count(Lower(Join(*path))))
            return RegStatus::Failed;
        std::unique_ptr<Node>& child = node->subkeys[part];
        if (!child)
            child = std::make_unique<Node>();
        node = child.get();
    }
    key = Hand(std::move(*path));
    return RegStatus::Ok;
}

RegStatus MemoryRegistry::OpenKey(RegKey parent, std::string_view name, RegKey& key)
{
    std::optional<Path> path = Resolve(parent, "OpenKey");
    if (!path)
        return RegStatus::Failed;
    for (const std::string& part : Split(std::string(name)))
        path->push_back(part);
    if (m_denied.count(Lower(Join(*path))))
        return RegStatus::Failed;
    if (!Find(*path))
        return RegStatus::NotFound;
    key = Hand(std::move(*path));
    return RegStatus::Ok;
}

RegStatus MemoryRegistry::SetValue(RegKey key, std::string_view name, RegValueType type,
                                   std::span<const std::uint8_t> data)
{
    std::optional<Path> path = Resolve(key, "SetValue");
    if (!path)
        return RegStatus::Failed;
    Node* node = Find(*path);
    if (!node)
        return RegStatus::Failed;
    node->values[std::string(name)] = Value{type, std::vector<std::uint8_t>(data.begin(), data.end())};
    return RegStatus::Ok;
}

RegStatus MemoryRegistry::QueryString(RegKey key, std::string_view name, std::string& text)
{
    std::optional<Path> path = Resolve(key, "QueryString");
    if (!path)
        return RegStatus::Failed;
    Node* node = Find(*path);
    if (!node)
        return RegStatus::Failed;
    auto it = node->values.find(std::string(name));
    if (it == node->values.end())
        return RegStatus::NotFound;
    if (it->second.type != RegValueType::String)
        return RegStatus::Failed;
    text.assign(it->second.data.begin(), it->second.data.end());
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return RegStatus::Ok;
}

RegStatus MemoryRegistry::QuerySubkeyCount(RegKey key, std::uint32_t& count)
{
    std::optional<Path> path = Resolve(key, "QuerySubkeyCount");
    if (!path)
        return RegStatus::Failed;
    Node* node = Find(*path);
    if (!node)
        return RegStatus::Failed;
    count = static_cast<std::uint32_t>(node->subkeys.size());
    return RegStatus::Ok;
}

RegStatus MemoryRegistry::EnumSubkey(RegKey key, std::uint32_t index, std::string& name)
{
    std::optional<Path> path = Resolve(key, "EnumSubkey");
    if (!path)
        return RegStatus::Failed;
    Node* node = Find(*path);
    if (!node)
        return RegStatus::Failed;
    if (index >= node->subkeys.size())
        return RegStatus::NotFound;
    name = std::next(node->subkeys.begin(), index)->first;
    return RegStatus::Ok;
}

RegStatus MemoryRegistry::DeleteKey(RegKey parent, std::string_view name)
{
    std::optional<Path> path = Resolve(parent, "DeleteKey");
    if (!path)
        return RegStatus::Failed;
    Path target = *path;
    for (const std::string& part : Split(std::string(name)))
        target.push_back(part);
    if (target.empty())
        return RegStatus::Failed;
    Node* node = Find(target);
    if (!node)
        return RegStatus::NotFound;
    if (!node->subkeys.empty() || m_undeletable.count(Lower(Join(target))))
        return RegStatus::Failed;
    const std::string last = target.back();
    target.pop_back();
    Find(target)->subkeys.erase(last);
    return RegStatus::Ok;
}

void MemoryRegistry::CloseKey(RegKey key)
{
    if (key.handle == kRootHandle) {
        m_misuses.push_back("CloseKey on the root");
        return;
    }
    if (m_open.erase(key.handle) == 0)
        m_misuses.push_back("CloseKey on a key that is not open");
}

bool MemoryRegistry::HasKey(const std::string& path) const
{
    return Find(Split(path)) != nullptr;
}

std::optional<MemoryRegistry::Value> MemoryRegistry::GetValue(const std::string& path, const std::string& name) const
{
    const Node* node = Find(Split(path));
    if (!node)
        return std::nullopt;
    auto it = node->values.find(name);
    if (it == node->values.end())
        return std::nullopt;
    return it->second;
}

std::vector<std::string> MemoryRegistry::SubkeyNames(const std::string& path) const
{
    std::vector<std::string> names;
    if (const Node* node = Find(Split(path)))
        for (const auto& [name, child] : node->subkeys)
            names.push_back(name);
    return names;
}

std::vector<std::string> MemoryRegistry::ValueNames(const std::string& path) const
{
    std::vector<std::string> names;
    if (const Node* node = Find(Split(path)))
        for (const auto& [name, value] : node->values)
            names.push_back(name);
    return names;
}

void MemoryRegistry::PutKey(const std::string& path)
{
    Node* node = m_root.get();
    for (const std::string& part : Split(path)) {
        std::unique_ptr<Node>& child = node->subkeys[part];
        if (!child)
            child = std::make_unique<Node>();
        node = child.get();
    }
}

void MemoryRegistry::PutValue(const std::string& path, const std::string& name, RegValueType type,
                              std::vector<std::uint8_t> data)
{
    PutKey(path);
    Find(Split(path))->values[name] = Value{type, std::move(data)};
}

void MemoryRegistry::DumpNode(const Node& node, const std::string& prefix, std::string& out) const
{
    static const char* hex = "0123456789abcdef";
    for (const auto& [name, value] : node.values) {
        out += prefix + " [" + name + "] type " + std::to_string(static_cast<std::uint32_t>(value.type)) + ":";
        for (std::uint8_t b : value.data) {
            out += ' ';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
        out += '\n';
    }
    for (const auto& [name, child] : node.subkeys) {
        const std::string path = prefix.empty() ? name : prefix + "\\" + name;
        out += path + "\n";
        DumpNode(*child, path, out);
    }
}

std::string MemoryRegistry::Dump() const
{
    std::string out;
    DumpNode(*m_root, "", out);
    return out;
}

} // namespace registrar
