#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/AtomicFile.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using common::IFileSystem;
using common::IOutputFile;

namespace {

class TempDir {
public:
    TempDir()
    {
        m_path = fs::temp_directory_path() /
            ("qm_atomic_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempDir() { fs::remove_all(m_path); }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

std::vector<std::uint8_t> Bytes(const std::string& s)
{
    return {s.begin(), s.end()};
}

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t EntriesIn(const fs::path& dir)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// Wraps the real file system and fails exactly one chosen step.
class FailingFs : public IFileSystem {
public:
    enum class Step { Create, Write, Sync, Close, Replace };
    explicit FailingFs(Step s) : m_step(s) {}

    std::unique_ptr<IOutputFile> CreateTempBeside(const fs::path& target, fs::path& tempPath) override
    {
        if (m_step == Step::Create)
            return nullptr;
        auto inner = common::RealFileSystem().CreateTempBeside(target, tempPath);
        return std::make_unique<File>(std::move(inner), m_step);
    }
    bool Replace(const fs::path& from, const fs::path& to) override
    {
        return m_step != Step::Replace && common::RealFileSystem().Replace(from, to);
    }
    bool Remove(const fs::path& p) override { return common::RealFileSystem().Remove(p); }

private:
    class File : public IOutputFile {
    public:
        File(std::unique_ptr<IOutputFile> in, Step s) : m_in(std::move(in)), m_step(s) {}
        bool Write(const void* d, std::size_t n) override
        {
            // Part of the data reaches the disk before the failure, as with a full disk.
            if (m_step == Step::Write) {
                m_in->Write(d, n / 2);
                return false;
            }
            return m_in->Write(d, n);
        }
        bool Sync() override { return m_in->Sync() && m_step != Step::Sync; }
        bool Close() override { return m_in->Close() && m_step != Step::Close; }

    private:
        std::unique_ptr<IOutputFile> m_in;
        Step m_step;
    };
    Step m_step;
};

} // namespace

TEST(AtomicFile, WritesNewFileAndReplacesExistingOne)
{
    TempDir dir;
    fs::path target = dir.Path() / "scene.qm4";
    ASSERT_TRUE(common::WriteFileAtomically(target, Bytes("first")));
    EXPECT_EQ(Slurp(target), "first");
    ASSERT_TRUE(common::WriteFileAtomically(target, Bytes("second, longer")));
    EXPECT_EQ(Slurp(target), "second, longer");
    ASSERT_TRUE(common::WriteFileAtomically(target, {}));
    EXPECT_EQ(Slurp(target), "");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(AtomicFile, AnyFailingStepKeepsOldFileAndLeavesNoTemporary)
{
    using Step = FailingFs::Step;
    for (Step step : {Step::Create, Step::Write, Step::Sync, Step::Close, Step::Replace}) {
        TempDir dir;
        fs::path target = dir.Path() / "keep.tex";
        ASSERT_TRUE(common::WriteFileAtomically(target, Bytes("precious")));
        FailingFs failing(step);
        std::string error;
        EXPECT_FALSE(common::WriteFileAtomically(target, Bytes("replacement data"), failing, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(Slurp(target), "precious") << "step " << static_cast<int>(step);
        EXPECT_EQ(EntriesIn(dir.Path()), 1u) << "step " << static_cast<int>(step);
    }
}

TEST(AtomicFile, MissingFolderFailsCleanly)
{
    TempDir dir;
    EXPECT_FALSE(common::WriteFileAtomically(dir.Path() / "gone" / "x.csv", Bytes("data")));
    EXPECT_FALSE(fs::exists(dir.Path() / "gone"));
}

TEST(AtomicFile, ReadWholeFileReportsEachOutcome)
{
    TempDir dir;
    std::vector<std::uint8_t> out;
    EXPECT_EQ(common::ReadWholeFile(dir.Path() / "missing", out), common::ReadStatus::CannotOpen);
    EXPECT_EQ(common::ReadWholeFile(dir.Path(), out), common::ReadStatus::CannotOpen);

    fs::path p = dir.Path() / "data.bin";
    ASSERT_TRUE(common::WriteFileAtomically(p, Bytes("0123456789")));
    EXPECT_EQ(common::ReadWholeFile(p, out, 9), common::ReadStatus::TooLarge);
    ASSERT_EQ(common::ReadWholeFile(p, out), common::ReadStatus::Ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), "0123456789");
}

TEST(AtomicFile, SavingThroughALinkUpdatesTheLinkedFileAndKeepsTheLink)
{
    TempDir dir;
    fs::create_directories(dir.Path() / "real");
    fs::path real = dir.Path() / "real" / "scene.qm4";
    fs::path link = dir.Path() / "link.qm4";
    ASSERT_TRUE(common::WriteFileAtomically(real, Bytes("old")));
    std::error_code ec;
    fs::create_symlink(real, link, ec);
    if (ec)
        GTEST_SKIP() << "cannot create symbolic links here";
    ASSERT_TRUE(common::WriteFileAtomically(link, Bytes("new")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(Slurp(real), "new");
    EXPECT_EQ(EntriesIn(dir.Path() / "real"), 1u);
}

TEST(AtomicFile, Utf8PathsRoundTrip)
{
    TempDir dir;
    std::string name = "sc\xC3\xA8ne \xE2\x82\xAC.qm4";
    fs::path p = dir.Path() / common::PathFromUtf8(name);
    ASSERT_TRUE(common::WriteFileAtomically(p, Bytes("x")));
    EXPECT_EQ(common::PathToUtf8(p.filename()), name);
    EXPECT_TRUE(fs::exists(p));
}

namespace {

bool Only4242HasEnded(std::uint64_t pid)
{
    return pid == 4242;
}

void Touch(const fs::path& p)
{
    std::ofstream(p, std::ios::binary) << "x";
}

} // namespace

TEST(AtomicFile, OnlyTemporariesOfThisTargetWhoseWriterEndedAreRemoved)
{
    TempDir dir;
    const fs::path target = dir.Path() / "t.tex";
    const char* const kept[] = {
        ".t.tex.777.0123456789ab.tmp", // its writer still runs
        ".t.tex.0123456789ab.tmp", // no writer named
        "t.tex.4242.0123456789ab.tmp", // not hidden: not ours
        ".t.tex.4242.0123456789ab.tmp.bak", // a different ending
        ".t.tex.4242.0123456789CD.tmp", // we write lower-case hex (a name of its own where case is ignored)
        ".t.tex.4242.012345.tmp", // too few digits
        ".t.tex.-4242.0123456789ab.tmp", // not a process id
        ".other.tex.4242.0123456789ab.tmp", // another target's
        ".t.tex.5.4242.0123456789ab.tmp", // the temporary of "t.tex.5"
    };
    for (const char* name : kept)
        Touch(dir.Path() / name);
    Touch(dir.Path() / ".t.tex.4242.0123456789ab.tmp");
    Touch(dir.Path() / ".t.tex.4242.fedcba987654.tmp");

    EXPECT_EQ(common::RemoveStaleTemporaries(target, &Only4242HasEnded), 2u);
    for (const char* name : kept)
        EXPECT_TRUE(fs::exists(dir.Path() / name)) << name;
    EXPECT_EQ(EntriesIn(dir.Path()), std::size(kept));
}

TEST(AtomicFile, ASaveRemovesTheTemporaryOfAWriterThatDied)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs the id of a process that has ended, made here with fork(), which Windows lacks";
#else
    TempDir dir;
    const fs::path target = dir.Path() / "t.tex";
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const fs::path dead = dir.Path() / (".t.tex." + std::to_string(child) + ".0123456789ab.tmp");
    const fs::path mine = dir.Path() / (".t.tex." + std::to_string(getpid()) + ".0123456789ab.tmp");
    const fs::path init = dir.Path() / ".t.tex.1.0123456789ab.tmp";
    Touch(dead);
    Touch(mine);
    Touch(init);

    ASSERT_TRUE(common::WriteFileAtomically(target, Bytes("new")));
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(mine));
    EXPECT_TRUE(fs::exists(init));
    EXPECT_EQ(Slurp(target), "new");
#endif
}
