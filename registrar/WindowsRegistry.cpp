#include "WindowsRegistry.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace registrar {

namespace {

HKEY ToHkey(RegKey key)
{
    return reinterpret_cast<HKEY>(key.handle);
}

RegKey FromHkey(HKEY key)
{
    return RegKey{reinterpret_cast<std::uintptr_t>(key)};
}

// Names and strings travel as UTF-8 and are stored as the registry's UTF-16, so paths
// outside the ANSI code page survive.
bool ToWide(std::string_view text, std::wstring& wide)
{
    wide.clear();
    if (text.empty())
        return true;
    if (text.size() > 0x7FFFFFFF)
        return false;
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (n <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(n));
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), n) == n;
}

bool ToUtf8(const wchar_t* wide, DWORD length, std::string& text)
{
    text.clear();
    if (length == 0)
        return true;
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return false;
    text.resize(static_cast<std::size_t>(n));
    return ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), text.data(), n, nullptr, nullptr) == n;
}

RegStatus FromError(LSTATUS error)
{
    if (error == ERROR_SUCCESS)
        return RegStatus::Ok;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_ITEMS)
        return RegStatus::NotFound;
    return RegStatus::Failed;
}

} // namespace

RegKey WindowsRegistry::ClassesRoot() const
{
    return FromHkey(HKEY_CLASSES_ROOT);
}

RegStatus WindowsRegistry::CreateKey(RegKey parent, std::string_view name, RegKey& key)
{
    std::wstring wname;
    if (!ToWide(name, wname))
        return RegStatus::Failed;
    HKEY created = nullptr;
    const LSTATUS error = ::RegCreateKeyExW(ToHkey(parent), wname.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            KEY_WRITE, nullptr, &created, nullptr);
    if (error != ERROR_SUCCESS)
        return RegStatus::Failed;
    key = FromHkey(created);
    return RegStatus::Ok;
}

RegStatus WindowsRegistry::OpenKey(RegKey parent, std::string_view name, RegKey& key)
{
    std::wstring wname;
    if (!ToWide(name, wname))
        return RegStatus::Failed;
    HKEY opened = nullptr;
    const RegStatus status = FromError(::RegOpenKeyExW(ToHkey(parent), wname.c_str(), 0, KEY_ALL_ACCESS, &opened));
    if (status == RegStatus::Ok)
        key = FromHkey(opened);
    return status;
}

RegStatus WindowsRegistry::SetValue(RegKey key, std::string_view name, RegValueType type,
                                    std::span<const std::uint8_t> data)
{
    std::wstring wname;
    if (!ToWide(name, wname))
        return RegStatus::Failed;
    const BYTE* bytes = data.data();
    std::size_t size = data.size();
    std::wstring wide;
    if (type == RegValueType::String) {
        // The data carry their terminating zero; the UTF-16 form carries its own.
        std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
        if (!text.empty() && text.back() == '\0')
            text.remove_suffix(1);
        if (!ToWide(text, wide))
            return RegStatus::Failed;
        bytes = reinterpret_cast<const BYTE*>(wide.c_str());
        size = (wide.size() + 1) * sizeof(wchar_t);
    }
    if (size > 0xFFFFFFFFu)
        return RegStatus::Failed;
    const DWORD regType = type == RegValueType::String ? REG_SZ : REG_BINARY;
    return FromError(::RegSetValueExW(ToHkey(key), name.empty() ? nullptr : wname.c_str(), 0, regType, bytes,
                                      static_cast<DWORD>(size)));
}

RegStatus WindowsRegistry::QueryString(RegKey key, std::string_view name, std::string& text)
{
    std::wstring wname;
    if (!ToWide(name, wname))
        return RegStatus::Failed;
    const wchar_t* valueName = name.empty() ? nullptr : wname.c_str();
    DWORD type = 0;
    DWORD size = 0;
    RegStatus status = FromError(::RegQueryValueExW(ToHkey(key), valueName, nullptr, &type, nullptr, &size));
    if (status != RegStatus::Ok)
        return status;
    if (type != REG_SZ || size % sizeof(wchar_t) != 0)
        return RegStatus::Failed;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    status = FromError(
        ::RegQueryValueExW(ToHkey(key), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size));
    if (status != RegStatus::Ok)
        return status;
    // The stored data need not end in a zero; the buffer always does.
    DWORD length = size / sizeof(wchar_t);
    while (length > 0 && buffer[length - 1] == L'\0')
        --length;
    return ToUtf8(buffer.data(), length, text) ? RegStatus::Ok : RegStatus::Failed;
}

RegStatus WindowsRegistry::QuerySubkeyCount(RegKey key, std::uint32_t& count)
{
    DWORD subkeys = 0;
    const LSTATUS error = ::RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr, nullptr);
    if (error != ERROR_SUCCESS)
        return RegStatus::Failed;
    count = subkeys;
    return RegStatus::Ok;
}

RegStatus WindowsRegistry::EnumSubkey(RegKey key, std::uint32_t index, std::string& name)
{
    wchar_t buffer[256]; // key names are at most 255 characters
    DWORD length = 256;
    const RegStatus status =
        FromError(::RegEnumKeyExW(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr));
    if (status != RegStatus::Ok)
        return status;
    return ToUtf8(buffer, length, name) ? RegStatus::Ok : RegStatus::Failed;
}

RegStatus WindowsRegistry::DeleteKey(RegKey parent, std::string_view name)
{
    std::wstring wname;
    if (!ToWide(name, wname))
        return RegStatus::Failed;
    return FromError(::RegDeleteKeyW(ToHkey(parent), wname.c_str()));
}

void WindowsRegistry::CloseKey(RegKey key)
{
    ::RegCloseKey(ToHkey(key));
}

void WindowsRegistry::NotifyAssociationsChanged()
{
    ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

} // namespace registrar
