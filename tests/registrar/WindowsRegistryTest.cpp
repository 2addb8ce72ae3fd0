// The registrar against the system's real registry: what it writes there must be, key for
// key and byte for byte, what it writes into the in-memory registry the other tests check.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "MemoryRegistry.h"
#include "editor/app/QM4EditAssoc.h"
#include "pixloom/PixloomAssoc.h"
#include "registrar/Registrar.h"

#ifdef _WIN32
#include <windows.h>

#include "registrar/WindowsRegistry.h"

namespace {

std::wstring Wide(const std::string& s)
{
    std::wstring w(s.size(), L'\0');
    w.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), static_cast<int>(w.size()))));
    return w;
}

std::string Utf8(const std::wstring& w)
{
    std::string s(w.size() * 3, '\0');
    s.resize(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(),
                                                            static_cast<int>(s.size()), nullptr, nullptr)));
    return s;
}

bool KeyExists(const std::string& path)
{
    HKEY key;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, Wide(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// Compares the real key at path, its values and (unless it is shared) its subkeys, with the model.
void ExpectSameKey(const registrar::MemoryRegistry& model, const std::string& path, bool shared = false)
{
    SCOPED_TRACE(path);
    HKEY key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CLASSES_ROOT, Wide(path).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD subkeys = 0, values = 0;
    ASSERT_EQ(::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                                 nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, model.ValueNames(path).size());
    if (!shared) {
        EXPECT_EQ(subkeys, model.SubkeyNames(path).size());
    }
    for (const std::string& name : model.ValueNames(path)) {
        const auto expected = model.GetValue(path, name);
        DWORD type = 0, size = 0;
        const std::wstring wname = Wide(name);
        ASSERT_EQ(::RegQueryValueExW(key, wname.c_str(), nullptr, &type, nullptr, &size), ERROR_SUCCESS) << name;
        std::vector<std::uint8_t> data(size);
        ASSERT_EQ(::RegQueryValueExW(key, wname.c_str(), nullptr, &type, data.data(), &size), ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(expected->type)) << name;
        if (type == REG_SZ) {
            // Stored as UTF-16 with its terminating zero; the model holds UTF-8 with its zero.
            ASSERT_EQ(size % 2, 0u);
            std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / 2);
            ASSERT_FALSE(text.empty());
            EXPECT_EQ(text.back(), L'\0') << name;
            std::string bytes = Utf8(text);
            EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), expected->data) << name;
        } else {
            EXPECT_EQ(data, expected->data) << name;
        }
    }
    ::RegCloseKey(key);
    for (const std::string& sub : model.SubkeyNames(path)) {
        if (!shared)
            ExpectSameKey(model, path + "\\" + sub);
    }
}

bool UnderWine()
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

} // namespace
#endif

TEST(RealRegistry, SetResetWritesWhatTheModelHoldsAndRemoveLeavesOtherPrograms)
{
#ifndef _WIN32
    GTEST_SKIP() << "there is no system registry here; the in-memory registry tests cover the registrar";
#else
    if (!UnderWine() && !std::getenv("QM_TEST_REAL_REGISTRY"))
        GTEST_SKIP() << "changes the user's file associations; set QM_TEST_REAL_REGISTRY=1 to run it outside wine";
    // Another program's association, which nothing of ours may touch.
    HKEY other;
    ASSERT_EQ(
        ::RegCreateKeyExW(HKEY_CLASSES_ROOT, L".qmothertype", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &other, nullptr),
        ERROR_SUCCESS);
    const wchar_t otherProgId[] = L"OtherProgram.File";
    ASSERT_EQ(::RegSetValueExW(other, L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(otherProgId), sizeof otherProgId),
              ERROR_SUCCESS);
    ::RegCloseKey(other);

    const std::string exe = "C:\\Program Files\\Fennwick \xC3\x9C\\Tool.exe";
    for (const registrar::AssocValues* values : {&qm4edit::QM4EditAssocValues(), &pixloom::PixloomAssocValues()}) {
        registrar::MemoryRegistry model;
        ASSERT_TRUE(registrar::SetAssociations(model, *values, exe).Ok());
        registrar::WindowsRegistry real;
        ASSERT_TRUE(registrar::SetAssociations(real, *values, exe).Ok());
        for (const std::string& top : model.SubkeyNames("")) {
            if (top == "Applications") {
                for (const std::string& app : model.SubkeyNames(top))
                    ExpectSameKey(model, top + "\\" + app);
                ExpectSameKey(model, top, true);
            } else {
                ExpectSameKey(model, top);
            }
        }
        ASSERT_TRUE(registrar::RemoveAssociations(real, *values).Ok());
        for (const std::string& top : model.SubkeyNames("")) {
            if (top != "Applications") {
                EXPECT_FALSE(KeyExists(top)) << top;
            }
        }
    }
    wchar_t buf[64];
    DWORD size = sizeof buf;
    ASSERT_EQ(::RegGetValueW(HKEY_CLASSES_ROOT, L".qmothertype", L"", RRF_RT_REG_SZ, nullptr, buf, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(buf), otherProgId);
    ::RegDeleteKeyW(HKEY_CLASSES_ROOT, L".qmothertype");
#endif
}

#ifdef _WIN32
// The Linux builds test their freedesktop.org side (MIME types, desktop entries, mimeapps.list)
// in DesktopIntegrationTest.cpp; that side is not part of a Windows build, so say so here.
TEST(DesktopIntegration, FreedesktopSideIsTestedOnLinux)
{
    GTEST_SKIP() << "MIME types, desktop entries and mimeapps.list are Linux only; Windows associations go "
                    "through the registry (RealRegistry)";
}
#endif
