// Every writer against the real disk of the system it runs on (on Windows, through the
// Windows file layer): replacing a file, a read-only target, a target another program holds
// open, a missing folder, and a name outside ASCII.

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "FaultFs.h"
#include "Writers.h"

namespace fs = std::filesystem;
using namespace fault;

namespace {

std::string Bytes(const std::vector<std::uint8_t>& b) { return {b.begin(), b.end()}; }

class RealDisk : public ::testing::TestWithParam<WriterKind> {
protected:
    TempDir dir;
    std::unique_ptr<DocWriter> writer = MakeWriter(GetParam());
    fs::path target = dir.Path() / writer->FileName();
    std::string previous;

    void WriteEarlierFile()
    {
        ASSERT_TRUE(writer->Write(target, common::RealFileSystem()).ok);
        previous = Slurp(target);
        writer->Change();
    }
    // Refused in the document's own words, the earlier file intact, no temporary beside it.
    void ExpectRefusedAndKept(const WriteOutcome& r)
    {
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.messages, std::vector<std::string>{writer->FailureMessage(target)});
        EXPECT_EQ(Slurp(target), previous);
        EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{writer->FileName()});
    }
};

TEST_P(RealDisk, ReplacesTheEarlierFile)
{
    WriteEarlierFile();
    const WriteOutcome r = writer->Write(target, common::RealFileSystem());
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(Slurp(target), Bytes(writer->Expected()));
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{writer->FileName()});
}

TEST_P(RealDisk, ReadOnlyTargetIsRefused)
{
    WriteEarlierFile();
    fs::permissions(target, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ExpectRefusedAndKept(writer->Write(target, common::RealFileSystem()));
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
}

TEST_P(RealDisk, TargetHeldOpenByAnotherProgramIsRefused)
{
#ifdef _WIN32
    WriteEarlierFile();
    // Opened the way many programs open a file they read: others may read and write it, but
    // not delete or rename over it.
    HANDLE held = ::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const WriteOutcome r = writer->Write(target, common::RealFileSystem());
    ::CloseHandle(held);
    ExpectRefusedAndKept(r);
#else
    GTEST_SKIP() << "an open file never stops a rename over it on POSIX systems";
#endif
}

TEST_P(RealDisk, MissingFolderIsRefused)
{
    target = dir.Path() / "no-such-folder" / writer->FileName();
    const WriteOutcome r = writer->Write(target, common::RealFileSystem());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{writer->FailureMessage(target)});
    EXPECT_TRUE(Listing(dir.Path()).empty());
}

TEST_P(RealDisk, NonAsciiNamesSaveAndReadBack)
{
    const std::string name = "\xC3\x9Cn\xC3\xAF" "c\xC3\xB8" "d\xC3\xA9-\xE5\x9C\xBA\xE6\x99\xAF-" + writer->FileName();
    target = common::PathFromUtf8(common::PathToUtf8(dir.Path()) + "/" + name);
    ASSERT_TRUE(writer->Write(target, common::RealFileSystem()).ok);
    std::vector<std::uint8_t> back;
    ASSERT_EQ(common::ReadWholeFile(common::PathFromUtf8(common::PathToUtf8(target)), back), common::ReadStatus::Ok);
    EXPECT_EQ(back, writer->Expected());
    ASSERT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
    EXPECT_EQ(common::PathToUtf8(fs::directory_iterator(dir.Path())->path().filename()), name);
}

INSTANTIATE_TEST_SUITE_P(Writers, RealDisk, ::testing::ValuesIn(ALL_WRITERS),
                         [](const auto& info) { return std::string(WriterName(info.param)); });

} // namespace
