#pragma once
// The registry below HKEY_CLASSES_ROOT, and the shell's notification. Windows only.

#include "Registry.h"

namespace registrar {

class WindowsRegistry final : public IRegistry {
public:
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
    void NotifyAssociationsChanged() override;
};

} // namespace registrar
