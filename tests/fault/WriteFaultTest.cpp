// Every file the programs write (scene save, texture save, Targa export, CSV export), broken
// at every point a real disk or folder can break: the earlier file must stay byte for byte,
// no temporary may be left, and the user must be told in the document's own words.

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "FaultFs.h"
#include "Writers.h"

namespace fs = std::filesystem;
using namespace fault;

namespace {

std::string Text(const std::vector<std::uint8_t>& b)
{
    return {b.begin(), b.end()};
}

// Where in the new file a write stops.
enum class At { Start, FirstByte, Half, LastByte };

struct FaultCase {
    Fault fault;
    At at = At::Start;
};

std::size_t ByteFor(At at, std::size_t size)
{
    switch (at) {
    case At::Start: return 0;
    case At::FirstByte: return 1;
    case At::Half: return size / 2;
    case At::LastByte: return size - 1;
    }
    return 0;
}

const FaultCase FAULTS[] = {
    {Fault::CannotCreate},
    {Fault::WriteStops, At::Start},
    {Fault::WriteStops, At::FirstByte},
    {Fault::WriteStops, At::Half},
    {Fault::WriteStops, At::LastByte},
    {Fault::SyncFails},
    {Fault::CloseFails},
    {Fault::RenameFails},
    {Fault::FolderGoneBeforeWrite},
    {Fault::FolderGoneBeforeRename},
};

const char* AtName(At at)
{
    switch (at) {
    case At::Start: return "AtStart";
    case At::FirstByte: return "AfterFirstByte";
    case At::Half: return "AtHalf";
    case At::LastByte: return "BeforeLastByte";
    }
    return "";
}

// Writes the earlier file with the real file system and changes the document, so that a
// write that wrongly went through would show.
struct Scene {
    TempDir dir;
    std::unique_ptr<DocWriter> writer;
    fs::path target;
    std::string previous;

    explicit Scene(WriterKind kind) : writer(MakeWriter(kind))
    {
        target = dir.Path() / writer->FileName();
        const WriteOutcome first = writer->Write(target, common::RealFileSystem());
        EXPECT_TRUE(first.ok);
        previous = Slurp(target);
        EXPECT_FALSE(previous.empty());
        writer->Change();
        EXPECT_NE(Text(writer->Expected()), previous);
    }

    void ExpectRefusedAndKept(const WriteOutcome& r)
    {
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.messages, std::vector<std::string>{writer->FailureMessage(target)});
        EXPECT_EQ(r.icon, writer->FailureIcon());
        EXPECT_EQ(Slurp(target), previous);
        EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{writer->FileName()});
        if (writer->KeepsModifiedOnFailure()) {
            EXPECT_TRUE(writer->IsModified());
        }
    }

    // After any failure the same document still writes correctly.
    void ExpectRecovers()
    {
        fs::create_directories(dir.Path());
        const WriteOutcome again = writer->Write(target, common::RealFileSystem());
        EXPECT_TRUE(again.ok);
        EXPECT_TRUE(again.messages.empty());
        EXPECT_EQ(Slurp(target), Text(writer->Expected()));
        EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{writer->FileName()});
        if (writer->KeepsModifiedOnFailure()) {
            EXPECT_FALSE(writer->IsModified());
        }
    }
};

class WriteFault : public ::testing::TestWithParam<std::tuple<WriterKind, FaultCase>> {};

TEST_P(WriteFault, KeepsPreviousFileLeavesNoTemporaryAndTellsTheUser)
{
    const auto [kind, c] = GetParam();
#ifdef _WIN32
    if (c.fault == Fault::FolderGoneBeforeWrite)
        GTEST_SKIP() << "Windows does not let a folder be removed while a file in it is open";
#endif
    Scene s(kind);
    const std::size_t size = s.writer->Expected().size();
    FaultFs faulty(c.fault, ByteFor(c.at, size));
    const WriteOutcome r = s.writer->Write(s.target, faulty);

    const bool folderGone = c.fault == Fault::FolderGoneBeforeWrite || c.fault == Fault::FolderGoneBeforeRename;
    if (folderGone) {
        // The earlier file went with its folder; the write must fail, say so, and not
        // bring the folder back.
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.messages, std::vector<std::string>{s.writer->FailureMessage(s.target)});
        EXPECT_FALSE(fs::exists(s.dir.Path()));
    } else {
        s.ExpectRefusedAndKept(r);
    }
    for (const fs::path& t : faulty.Temporaries())
        EXPECT_FALSE(fs::exists(t)) << t;
    if (c.fault == Fault::WriteStops) {
        EXPECT_EQ(faulty.BytesWritten(), ByteFor(c.at, size));
    }
    s.ExpectRecovers();
}

std::string CaseName(const ::testing::TestParamInfo<WriteFault::ParamType>& info)
{
    const auto [kind, c] = info.param;
    std::string name = std::string(WriterName(kind)) + "_" + FaultName(c.fault);
    if (c.fault == Fault::WriteStops)
        name += AtName(c.at);
    return name;
}

INSTANTIATE_TEST_SUITE_P(AllWriters, WriteFault,
                         ::testing::Combine(::testing::ValuesIn(ALL_WRITERS), ::testing::ValuesIn(FAULTS)), CaseName);

// ---- the same writes on the real disk ----

class RealDiskFault : public ::testing::TestWithParam<WriterKind> {};

std::string WriterCaseName(const ::testing::TestParamInfo<WriterKind>& info)
{
    return WriterName(info.param);
}

TEST_P(RealDiskFault, WriteInterruptedAtAnyByteKeepsPreviousFile)
{
    Scene s(GetParam());
    const std::size_t size = s.writer->Expected().size();
    ASSERT_GT(size, 0u);
    for (std::size_t at = 0; at < size; ++at) {
        FaultFs faulty(Fault::WriteStops, at);
        const WriteOutcome r = s.writer->Write(s.target, faulty);
        ASSERT_FALSE(r.ok) << "stopped at byte " << at;
        ASSERT_EQ(Slurp(s.target), s.previous) << "stopped at byte " << at;
        ASSERT_EQ(Listing(s.dir.Path()).size(), 1u) << "stopped at byte " << at;
    }
    s.ExpectRecovers();
}

TEST_P(RealDiskFault, ReadOnlyTargetIsNotReplaced)
{
    Scene s(GetParam());
    fs::permissions(s.target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const WriteOutcome r = s.writer->Write(s.target, common::RealFileSystem());
    s.ExpectRefusedAndKept(r);
    EXPECT_EQ(fs::status(s.target).permissions() & fs::perms::owner_write, fs::perms::none);
    fs::permissions(s.target, fs::perms::owner_write, fs::perm_options::add);
    s.ExpectRecovers();
}

TEST_P(RealDiskFault, FileSizeLimitStopsTheWriteCleanly)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no per-process file size limit to stop a write part way";
#else
    Scene s(GetParam());
    const std::size_t size = s.writer->Expected().size();
    ASSERT_GT(size, 2u);
    // A process file-size limit makes the kernel refuse the write part way, as a full disk
    // or quota does.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = static_cast<rlim_t>(size / 2);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const WriteOutcome r = s.writer->Write(s.target, common::RealFileSystem());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    s.ExpectRefusedAndKept(r);
    s.ExpectRecovers();
#endif
}

TEST_P(RealDiskFault, MissingFolderIsNotCreated)
{
    Scene s(GetParam());
    const fs::path gone = s.dir.Path() / "gone" / s.writer->FileName();
    const WriteOutcome r = s.writer->Write(gone, common::RealFileSystem());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{s.writer->FailureMessage(gone)});
    EXPECT_FALSE(fs::exists(s.dir.Path() / "gone"));
    EXPECT_EQ(Listing(s.dir.Path()), std::vector<std::string>{s.writer->FileName()});
}

TEST_P(RealDiskFault, TargetThatIsAFolderIsLeftAlone)
{
    Scene s(GetParam());
    fs::remove(s.target);
    fs::create_directory(s.target);
    std::ofstream(s.target / "inside") << "keep";
    const WriteOutcome r = s.writer->Write(s.target, common::RealFileSystem());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{s.writer->FailureMessage(s.target)});
    EXPECT_EQ(Slurp(s.target / "inside"), "keep");
    EXPECT_EQ(Listing(s.dir.Path()), std::vector<std::string>{s.writer->FileName()});
}

TEST_P(RealDiskFault, ReadOnlyFolderRefusesTheWrite)
{
#ifdef _WIN32
    GTEST_SKIP() << "the read-only attribute of a Windows folder does not stop files being made in it";
#else
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind the superuser";
    Scene s(GetParam());
    fs::permissions(s.dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    const WriteOutcome r = s.writer->Write(s.target, common::RealFileSystem());
    fs::permissions(s.dir.Path(), fs::perms::owner_all);
    s.ExpectRefusedAndKept(r);
#endif
}

TEST_P(RealDiskFault, FolderNoOneMayWriteRefusesTheWrite)
{
#ifdef _WIN32
    // Under wine "/proc/self" would reach the Linux one through drive Z:, which proves nothing.
    GTEST_SKIP() << "Windows has no kernel process folder that refuses every new file";
#endif
    // The kernel's process folder takes no new files, whoever asks; the superuser too.
    const fs::path folder = "/proc/self";
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no /proc on this system";
    Scene s(GetParam());
    const fs::path target = folder / s.writer->FileName();
    const WriteOutcome r = s.writer->Write(target, common::RealFileSystem());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{s.writer->FailureMessage(target)});
    EXPECT_FALSE(fs::exists(target));
}

INSTANTIATE_TEST_SUITE_P(AllWriters, RealDiskFault, ::testing::ValuesIn(ALL_WRITERS), WriterCaseName);

} // namespace
