#include "Registrar.h"

#include <array>
#include <vector>

namespace registrar {

namespace {

const std::string kRootName = "HKEY_CLASSES_ROOT";

std::vector<std::uint8_t> StringData(const std::string& text)
{
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

// A key the registry handed out, closed when the scope ends. A key that could not be
// obtained is never used or closed: every step that would write into it is skipped.
class Key {
public:
    enum Kind { NotObtained, Root };

    explicit Key(IRegistry& registry, Kind kind = NotObtained) : m_registry(registry)
    {
        if (kind == Root) {
            m_key = registry.ClassesRoot();
            m_path = kRootName;
            m_valid = true;
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key()
    {
        if (m_owned)
            m_registry.CloseKey(m_key);
    }

    // Create-or-open below this key; a failure is noted in outcome and leaves child invalid.
    void Create(const std::string& name, Key& child, AssocOutcome& outcome) const
    {
        child.m_path = m_path + "\\" + name;
        if (!m_valid)
            return;
        if (m_registry.CreateKey(m_key, name, child.m_key) == RegStatus::Ok) {
            child.m_valid = child.m_owned = true;
        } else {
            outcome.Fail("Cannot write " + child.m_path + ".");
        }
    }

    void SetString(const std::string& name, const std::string& text, AssocOutcome& outcome)
    {
        Set(name, RegValueType::String, StringData(text), outcome);
    }

    void SetBinary(const std::string& name, std::array<std::uint8_t, 4> bytes, AssocOutcome& outcome)
    {
        Set(name, RegValueType::Binary, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), outcome);
    }

private:
    void Set(const std::string& name, RegValueType type, const std::vector<std::uint8_t>& data, AssocOutcome& outcome)
    {
        if (!m_valid)
            return;
        if (m_registry.SetValue(m_key, name, type, data) != RegStatus::Ok)
            outcome.Fail("Cannot set " + (name.empty() ? std::string("the default value") : "\"" + name + "\"") +
                         " of " + m_path + ".");
    }

    IRegistry& m_registry;
    RegKey m_key{};
    std::string m_path;
    bool m_owned = false;
    bool m_valid = false;
};

// Remove's step for one top-level key: empty it if it can be opened, then delete it.
void DeleteTree(IRegistry& registry, const std::string& name, AssocOutcome& outcome)
{
    const RegKey root = registry.ClassesRoot();
    const std::string path = kRootName + "\\" + name;
    RegKey key;
    const RegStatus opened = registry.OpenKey(root, name, key);
    if (opened == RegStatus::Ok) {
        if (!DeleteAllSubkeys(registry, key))
            outcome.Fail("Cannot delete everything below " + path + ".");
        registry.CloseKey(key);
    } else if (opened == RegStatus::Failed) {
        outcome.Fail("Cannot open " + path + ".");
    }
    if (registry.DeleteKey(root, name) == RegStatus::Failed)
        outcome.Fail("Cannot delete " + path + ".");
}

// The default value of the key at path below the root; empty when it cannot be read.
std::string ReadDefault(IRegistry& registry, const std::string& path)
{
    RegKey key;
    if (registry.OpenKey(registry.ClassesRoot(), path, key) != RegStatus::Ok)
        return {};
    std::string text;
    if (registry.QueryString(key, "", text) != RegStatus::Ok)
        text.clear();
    registry.CloseKey(key);
    return text;
}

// Paths in the registry are compared without regard to case, as Windows compares them.
bool SameText(const std::string& a, const std::string& b)
{
    auto lower = [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Remove's last step: the program's key below "Applications", which itself stays.
void DeleteApplicationKey(IRegistry& registry, const AssocValues& values, AssocOutcome& outcome)
{
    RegKey applications;
    const RegStatus opened = registry.OpenKey(registry.ClassesRoot(), "Applications", applications);
    if (opened == RegStatus::Ok) {
        if (registry.DeleteKey(applications, values.appKeyName) == RegStatus::Failed)
            outcome.Fail("Cannot delete " + kRootName + "\\Applications\\" + values.appKeyName + ".");
        registry.CloseKey(applications);
    } else if (opened == RegStatus::Failed) {
        outcome.Fail("Cannot open " + kRootName + "\\Applications.");
    }
}

} // namespace

std::string AssocFailureMessage(const AssocOutcome& outcome)
{
    std::string text = "The file associations could not be changed.";
    for (const std::string& problem : outcome.problems)
        text += "\n" + problem;
    return text;
}

std::string IconValue(const std::string& programPath)
{
    return programPath + ",0";
}

std::string OpenCommandValue(const std::string& programPath)
{
    return "\"" + programPath + "\" \"%1\"";
}

AssocOutcome SetAssociations(IRegistry& registry, const AssocValues& values, const std::string& programPath)
{
    AssocOutcome outcome;
    Key root(registry, Key::Root);
    {
        Key ext(registry);
        root.Create(values.ext, ext, outcome);
        ext.SetString("", values.progId, outcome);
    }
    {
        Key progId(registry);
        root.Create(values.progId, progId, outcome);
        progId.SetString("", values.description, outcome);
        progId.SetBinary("EditFlags", {0, 0, 0, 0}, outcome);
        {
            Key icon(registry);
            progId.Create("DefaultIcon", icon, outcome);
            icon.SetString("", IconValue(programPath), outcome);
        }
        Key shell(registry);
        progId.Create("shell", shell, outcome);
        Key open(registry);
        shell.Create("open", open, outcome);
        open.SetBinary("EditFlags", {1, 0, 0, 0}, outcome);
        Key command(registry);
        open.Create("command", command, outcome);
        command.SetString("", OpenCommandValue(programPath), outcome);
        // Closed in reverse order of creation: command, open, shell, then the file-type key.
    }
    {
        Key applications(registry);
        root.Create("Applications", applications, outcome);
        Key app(registry);
        applications.Create(values.appKeyName, app, outcome);
        app.SetString("NoOpenWith", "", outcome);
    }
    registry.NotifyAssociationsChanged();
    return outcome;
}

AssocOutcome RemoveAssociations(IRegistry& registry, const AssocValues& values)
{
    AssocOutcome outcome;
    DeleteTree(registry, values.ext, outcome);
    DeleteTree(registry, values.progId, outcome);

    DeleteApplicationKey(registry, values, outcome);
    registry.NotifyAssociationsChanged();
    return outcome;
}

AssocOutcome ReleaseAssociations(IRegistry& registry, const AssocValues& values, const std::string& programPath)
{
    AssocOutcome outcome;
    const std::string command = ReadDefault(registry, values.progId + "\\shell\\open\\command");
    if (command.empty() || !SameText(command, OpenCommandValue(programPath)))
        return outcome;

    if (SameText(ReadDefault(registry, values.ext), values.progId))
        DeleteTree(registry, values.ext, outcome);
    DeleteTree(registry, values.progId, outcome);
    DeleteApplicationKey(registry, values, outcome);
    registry.NotifyAssociationsChanged();
    return outcome;
}

bool DeleteAllSubkeys(IRegistry& registry, RegKey key)
{
    std::uint32_t count = 0;
    if (registry.QuerySubkeyCount(key, count) != RegStatus::Ok)
        return false;

    bool ok = true;
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (registry.EnumSubkey(key, i, name) == RegStatus::Ok)
            names.push_back(std::move(name));
        else
            ok = false;
    }

    for (const std::string& name : names) {
        RegKey sub;
        const RegStatus opened = registry.OpenKey(key, name, sub);
        if (opened == RegStatus::Ok) {
            if (!DeleteAllSubkeys(registry, sub))
                ok = false;
            registry.CloseKey(sub);
        } else if (opened == RegStatus::Failed) {
            ok = false;
        }
        if (registry.DeleteKey(key, name) == RegStatus::Failed)
            ok = false;
    }
    return ok;
}

} // namespace registrar
