// The command-line tools over damaged files: truncations, bytes overwritten, maximal
// counts, deep trees. Each run must end with 0, or with 1 and the system's message on stderr;
// never a signal, a sanitizer report, a file left half written or a temporary left behind.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include "FaultFs.h"
#include "SmallScene.h"
#include "common/AtomicFile.h"
#include "common/ByteWriter.h"
#include "scene/QM4EditDoc.h"
#include "scene/SceneBounds.h"

namespace fs = std::filesystem;
using fault::Listing;
using fault::Slurp;

namespace {

struct ToolRun {
    int exitCode = -1; // -1: ended by a signal, or never started
    std::string err;
};

#ifdef _WIN32
// The program is started directly, not through cmd.exe: one process per run instead of two,
// and an exit by an exception (an access violation, say) shows as its NTSTATUS code.
ToolRun RunTool(const std::string& tool, const std::vector<std::string>& args, const fs::path& err)
{
    std::string line = "\"" + tool + "\"";
    for (const std::string& a : args)
        line += " \"" + a + "\""; // the arguments are test paths and words: no quotes, no trailing '\'
    std::wstring cmd = common::PathFromUtf8(line).native();

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE null = ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, 0, nullptr);
    HANDLE errFile = ::CreateFileW(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = null;
    si.hStdOutput = null;
    si.hStdError = errFile;
    PROCESS_INFORMATION pi{};
    ToolRun r;
    if (::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        ::WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        if (::GetExitCodeProcess(pi.hProcess, &code))
            r.exitCode = static_cast<int>(code);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::CloseHandle(errFile);
    ::CloseHandle(null);
    return r;
}
#else
std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

ToolRun RunTool(const std::string& tool, const std::vector<std::string>& args, const fs::path& err)
{
    std::string cmd = Quote(tool);
    for (const std::string& a : args)
        cmd += " " + Quote(a);
    cmd += " </dev/null >/dev/null 2>" + Quote(err.string());
    const int status = std::system(cmd.c_str());
    ToolRun r;
    if (status != -1 && WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    return r;
}
#endif

class Tools : public ::testing::Test {
protected:
    fault::TempDir dir;

    ToolRun Exec(const std::string& tool, const std::vector<std::string>& args)
    {
        const fs::path err = dir.Path() / "stderr.txt";
        ToolRun r = RunTool(tool, args, err);
        r.err = Slurp(err);
        fs::remove(err);
        return r;
    }

    fs::path Put(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        const fs::path p = dir.Path() / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p;
    }

    // The texture as whole.tex, its export as whole.tga; returns the Targa's bytes.
    std::string PutTextureAndTarga(const std::vector<std::uint8_t>& tex)
    {
        const fs::path whole = Put("whole.tex", tex);
        const fs::path tga = dir.Path() / "whole.tga";
        EXPECT_EQ(Exec(TEXTOOL, {"export", whole.string(), tga.string()}).exitCode, 0);
        return Slurp(tga);
    }

    // The first n bytes of a Targa as cut.tga.
    fs::path PutCutTarga(const std::string& tgaBytes, std::size_t n)
    {
        return Put("cut.tga",
                   std::vector<std::uint8_t>(tgaBytes.begin(), tgaBytes.begin() + static_cast<std::ptrdiff_t>(n)));
    }

    // 0, or 1 with a message; and never a sanitizer's report.
    static void ExpectCleanEnd(const ToolRun& r, const std::string& what)
    {
        EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << what << ": exit " << r.exitCode << "\n" << r.err;
        if (r.exitCode == 1) {
            EXPECT_FALSE(r.err.empty()) << what << ": failed without a message";
        }
        EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << what << "\n" << r.err;
        EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << what << "\n" << r.err;
    }

    // A failed write leaves no output and nothing else in the folder.
    void ExpectNoOutputOnFailure(const ToolRun& r, const fs::path& out, const std::vector<std::string>& before)
    {
        if (r.exitCode != 0) {
            EXPECT_FALSE(fs::exists(out));
        }
        std::vector<std::string> now = Listing(dir.Path());
        std::erase(now, out.filename().string());
        EXPECT_EQ(now, before);
    }
};

// Offsets to cut or hit at: every one through the header and the first section, then a
// spread over the rest (each run is a process; the in-process tests and the fuzzers cover
// every offset).
std::vector<std::size_t> Offsets(std::size_t size, std::size_t dense, std::size_t stride)
{
    std::vector<std::size_t> at;
    for (std::size_t n = 0; n < size; n += (n < dense ? 1 : stride))
        at.push_back(n);
    return at;
}

std::vector<std::uint8_t> Truncated(const std::vector<std::uint8_t>& b, std::size_t n)
{
    return {b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)};
}

TEST_F(Tools, Qm4toolSurvivesTruncationsAndOverwrittenBytes)
{
    const std::vector<std::uint8_t> scene = fuzz::SmallSceneBytes();
    for (std::size_t n : Offsets(scene.size(), 48, 7)) {
        const fs::path in = Put("cut.qm4", Truncated(scene, n));
        const ToolRun r = Exec(QM4TOOL, {"info", in.string()});
        ExpectCleanEnd(r, "truncated at " + std::to_string(n));
        EXPECT_EQ(r.exitCode, 1) << "a truncated scene loaded: " << n;
    }
    const std::vector<std::string> before = {"cut.qm4", "hit.qm4"};
    for (std::size_t at : Offsets(scene.size(), 0, 13)) {
        std::vector<std::uint8_t> hit = scene;
        hit[at] = static_cast<std::uint8_t>(hit[at] ^ (at % 2 ? 0xFF : 0x80));
        const fs::path in = Put("hit.qm4", hit);
        const fs::path out = dir.Path() / "out.qm4";
        const ToolRun r = Exec(QM4TOOL, {"recompute", in.string(), out.string()});
        ExpectCleanEnd(r, "byte " + std::to_string(at) + " overwritten");
        ExpectNoOutputOnFailure(r, out, before);
        fs::remove(out);
    }
}

TEST_F(Tools, Qm4toolRefusesMaximalCountsAndDeepTrees)
{
    auto header = [](common::ByteWriter& w) {
        w.Bytes(scene::QM4_MAGIC, sizeof scene::QM4_MAGIC);
        w.U32(scene::QM4_VERSION);
    };
    std::vector<std::vector<std::uint8_t>> files;
    for (std::uint32_t count : {0x7FFFFFFFu, 0xFFFFFFFFu}) {
        common::ByteWriter w;
        header(w);
        w.U32(count);
        w.U32(0x12345678);
        files.push_back(w.Take());
    }
    {
        // Scene bounds nested far past the limit.
        common::ByteWriter w;
        header(w);
        for (int i = 0; i < 5; ++i) {
            w.I32(0);
            w.U32(0x12345678);
        }
        w.U32(0);
        w.U32(0x12345678);
        for (int i = 0; i < 200000; ++i) {
            for (int k = 0; k < 6; ++k)
                w.F32(0.0f);
            w.U16(1);
        }
        files.push_back(w.Take());
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const fs::path in = Put("hostile.qm4", files[i]);
        const fs::path out = dir.Path() / "out.qm4";
        const ToolRun r = Exec(QM4TOOL, {"resave", in.string(), out.string()});
        ExpectCleanEnd(r, "hostile file " + std::to_string(i));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(Tools, Qm4toolImportsAnyTextWithoutHarm)
{
    const fs::path scene = Put("s.qm4", fuzz::SmallSceneBytes());
    const std::string texts[] = {
        std::string("\0\0\0,\xff\xfe", 6),
        "999999999999999999999,1,2,3\r\n-1,1,1,1\n65536,1,1,1\n",
        "0,0,900,1,1,1,1,1,1,1,2,1,1,1\n" + std::string(100000, ','),
        "nan,inf,-inf,1e400\n1,1e-400,-0,0x1p3\n",
    };
    for (const std::string& t : texts) {
        const fs::path csv = dir.Path() / "in.csv";
        std::ofstream(csv, std::ios::binary) << t;
        for (const char* form : {"--vertices", "--object"}) {
            const fs::path out = dir.Path() / "out.qm4";
            std::vector<std::string> args = {"import", scene.string(), csv.string(), out.string(), form};
            if (std::string(form) == "--object")
                args.push_back("1");
            ExpectCleanEnd(Exec(QM4TOOL, args), "csv import " + std::string(form));
            fs::remove(out);
        }
    }
}

// A 7 x 5 texture of the given depth, and its Targa export made by textool itself.
std::vector<std::uint8_t> Tex(int bpp)
{
    std::vector<std::uint8_t> f(32, 0);
    f[20] = 7;
    f[24] = 5;
    f[28] = static_cast<std::uint8_t>(bpp);
    for (int i = 0; i < 35 * (bpp / 8); ++i)
        f.push_back(static_cast<std::uint8_t>(i * 13 + 1));
    return f;
}

TEST_F(Tools, TextoolSurvivesTruncations)
{
    for (int bpp : {16, 24, 32}) {
        const std::vector<std::uint8_t> tex = Tex(bpp);
        const std::string tgaBytes = PutTextureAndTarga(tex);
        if (HasFailure())
            return;
        const std::vector<std::string> before = {"cut.tex", "cut.tga", "whole.tex", "whole.tga"};

        for (std::size_t n : Offsets(tex.size(), 34, 11)) {
            const fs::path in = Put("cut.tex", Truncated(tex, n));
            const fs::path out = dir.Path() / "out.tga";
            const ToolRun exp = Exec(TEXTOOL, {"export", in.string(), out.string()});
            ExpectCleanEnd(exp, "export of tex truncated at " + std::to_string(n));
            EXPECT_EQ(exp.exitCode, 1) << n;
            fs::remove(out);
        }
        for (std::size_t n : Offsets(tgaBytes.size(), 19, 13)) {
            PutCutTarga(tgaBytes, n);
            const fs::path out = dir.Path() / "out.tex";
            const ToolRun r = Exec(TEXTOOL,
                                   {"import", (dir.Path() / "whole.tex").string(), (dir.Path() / "cut.tga").string(),
                                    out.string(), "--yes"});
            ExpectCleanEnd(r, "tga truncated at " + std::to_string(n));
            ExpectNoOutputOnFailure(r, out, before);
            fs::remove(out);
        }
    }
}

TEST_F(Tools, PreviewsAndNewTexturesOfDamagedFilesWriteNothing)
{
    const std::vector<std::uint8_t> scene = fuzz::SmallSceneBytes();
    const std::vector<std::string> before = {"cut.qm4"};
    for (std::size_t n : Offsets(scene.size(), 0, 29)) {
        const fs::path in = Put("cut.qm4", Truncated(scene, n));
        const fs::path out = dir.Path() / "preview.png";
        const ToolRun r = Exec(QM4TOOL, {"thumbnail", in.string(), out.string(), "64"});
        ExpectCleanEnd(r, "scene preview truncated at " + std::to_string(n));
        EXPECT_EQ(r.exitCode, 1) << n;
        ExpectNoOutputOnFailure(r, out, before);
    }
    fs::remove(dir.Path() / "cut.qm4");
    for (int bpp : {16, 24, 32}) {
        const std::vector<std::uint8_t> tex = Tex(bpp);
        const std::string tgaBytes = PutTextureAndTarga(tex);
        if (HasFailure())
            return;
        const std::vector<std::string> texBefore = {"cut.tex", "cut.tga", "whole.tex", "whole.tga"};
        for (std::size_t n : Offsets(tex.size(), 0, 17)) {
            const fs::path in = Put("cut.tex", Truncated(tex, n));
            PutCutTarga(tgaBytes, n);
            const fs::path out = dir.Path() / "preview.png";
            const ToolRun r = Exec(TEXTOOL, {"thumbnail", in.string(), out.string(), "32"});
            ExpectCleanEnd(r, "texture preview truncated at " + std::to_string(n));
            EXPECT_EQ(r.exitCode, 1) << n;
            ExpectNoOutputOnFailure(r, out, texBefore);
            const fs::path made = dir.Path() / "made.tex";
            const ToolRun m = Exec(TEXTOOL, {"new", (dir.Path() / "cut.tga").string(), made.string(), "--bpp", "16"});
            ExpectCleanEnd(m, "new texture from a Targa truncated at " + std::to_string(n));
            ExpectNoOutputOnFailure(m, made, texBefore);
            fs::remove(made);
        }
    }
}

} // namespace
