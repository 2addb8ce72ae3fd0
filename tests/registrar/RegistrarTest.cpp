#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryRegistry.h"
#include "editor/app/QM4EditAssoc.h"
#include "pixloom/PixloomAssoc.h"
#include "registrar/Registrar.h"

using registrar::MemoryRegistry;
using registrar::RegValueType;

namespace {

std::vector<std::uint8_t> Sz(const std::string& text)
{
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

MemoryRegistry::Value String(const std::string& text)
{
    return {RegValueType::String, Sz(text)};
}

MemoryRegistry::Value Binary(std::vector<std::uint8_t> bytes)
{
    return {RegValueType::Binary, std::move(bytes)};
}

using Names = std::vector<std::string>;

// One program's row of the association table, written out literally rather than taken
// from the values the code uses.
struct Expected {
    const registrar::AssocValues& values;
    std::string ext, progId, description, exe;
    std::size_t progIdBytes, descriptionBytes;
};

void ExpectCleanHandles(const MemoryRegistry& reg)
{
    EXPECT_EQ(reg.OpenKeys(), 0u) << "every key opened is closed";
    EXPECT_TRUE(reg.Misuses().empty()) << (reg.Misuses().empty() ? "" : reg.Misuses().front());
}

class SetResetTable : public ::testing::TestWithParam<int> {
protected:
    Expected Row() const
    {
        if (GetParam() == 0)
            return {
                qm4edit::QM4EditAssocValues(), ".qm4", "QM4EditFile", "Morvel 3D Object File", "qm4edit.exe", 12, 22};
        return {pixloom::PixloomAssocValues(), ".tex", "PixloomFile", "Morvel Texture File", "pixloom.exe", 12, 20};
    }
};

TEST_P(SetResetTable, WritesEveryKeyAndValueOfTheTableAndNothingElse)
{
    const Expected row = Row();
    const std::string path = "C:\\Program Files\\Fennwick\\Tool.exe";
    MemoryRegistry reg;

    EXPECT_TRUE(registrar::SetAssociations(reg, row.values, path).Ok());

    EXPECT_EQ(reg.SubkeyNames(""), (Names{row.ext, "Applications", row.progId}));

    EXPECT_EQ(reg.ValueNames(row.ext), Names{""});
    EXPECT_EQ(reg.GetValue(row.ext, ""), String(row.progId));
    EXPECT_EQ(reg.GetValue(row.ext, "")->data.size(), row.progIdBytes);
    EXPECT_TRUE(reg.SubkeyNames(row.ext).empty());

    EXPECT_EQ(reg.ValueNames(row.progId), (Names{"", "EditFlags"}));
    EXPECT_EQ(reg.GetValue(row.progId, ""), String(row.description));
    EXPECT_EQ(reg.GetValue(row.progId, "")->data.size(), row.descriptionBytes);
    EXPECT_EQ(reg.GetValue(row.progId, "EditFlags"), Binary({0, 0, 0, 0}));
    EXPECT_EQ(reg.SubkeyNames(row.progId), (Names{"DefaultIcon", "shell"}));

    EXPECT_EQ(reg.ValueNames(row.progId + "\\DefaultIcon"), Names{""});
    EXPECT_EQ(reg.GetValue(row.progId + "\\DefaultIcon", ""), String(path + ",0"));

    EXPECT_TRUE(reg.ValueNames(row.progId + "\\shell").empty());
    EXPECT_EQ(reg.SubkeyNames(row.progId + "\\shell"), Names{"open"});
    EXPECT_EQ(reg.ValueNames(row.progId + "\\shell\\open"), Names{"EditFlags"});
    EXPECT_EQ(reg.GetValue(row.progId + "\\shell\\open", "EditFlags"), Binary({1, 0, 0, 0}));
    EXPECT_EQ(reg.SubkeyNames(row.progId + "\\shell\\open"), Names{"command"});
    EXPECT_EQ(reg.ValueNames(row.progId + "\\shell\\open\\command"), Names{""});
    EXPECT_EQ(reg.GetValue(row.progId + "\\shell\\open\\command", ""),
              String("\"C:\\Program Files\\Fennwick\\Tool.exe\" \"%1\""));
    EXPECT_TRUE(reg.SubkeyNames(row.progId + "\\shell\\open\\command").empty());

    EXPECT_EQ(reg.SubkeyNames("Applications"), Names{row.exe});
    EXPECT_EQ(reg.ValueNames("Applications\\" + row.exe), Names{"NoOpenWith"});
    EXPECT_EQ(reg.GetValue("Applications\\" + row.exe, "NoOpenWith"), String(""));
    EXPECT_EQ(reg.GetValue("Applications\\" + row.exe, "NoOpenWith")->data.size(), 1u);

    EXPECT_EQ(reg.Notifications(), 1);
    ExpectCleanHandles(reg);
}

TEST_P(SetResetTable, RunTwiceLeavesWhatOnceLeaves)
{
    MemoryRegistry once, twice;
    registrar::SetAssociations(once, Row().values, "C:\\Tools\\Tool.exe");
    registrar::SetAssociations(twice, Row().values, "C:\\Tools\\Tool.exe");
    registrar::SetAssociations(twice, Row().values, "C:\\Tools\\Tool.exe");
    EXPECT_EQ(once.Dump(), twice.Dump());
    ExpectCleanHandles(twice);
}

TEST_P(SetResetTable, RemoveTakesEverythingBackAndLeavesApplications)
{
    const Expected row = Row();
    MemoryRegistry reg;
    reg.PutValue("Applications\\other.exe", "NoOpenWith", RegValueType::String, Sz(""));
    const std::string before = reg.Dump();

    registrar::SetAssociations(reg, row.values, "C:\\Tools\\Tool.exe");
    EXPECT_TRUE(registrar::RemoveAssociations(reg, row.values).Ok());

    EXPECT_EQ(reg.Dump(), before);
    EXPECT_EQ(reg.Notifications(), 2);
    ExpectCleanHandles(reg);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, SetResetTable, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "QM4Edit" : "Pixloom"; });

TEST(SetReset, AfterAMoveRewritesThePathsButNotTheApplicationKey)
{
    MemoryRegistry reg;
    const auto& values = qm4edit::QM4EditAssocValues();
    registrar::SetAssociations(reg, values, "C:\\Old\\QM4Edit.exe");
    registrar::SetAssociations(reg, values, "D:\\New Place\\Renamed.exe");

    EXPECT_EQ(reg.GetValue("QM4EditFile\\DefaultIcon", ""), String("D:\\New Place\\Renamed.exe,0"));
    EXPECT_EQ(reg.GetValue("QM4EditFile\\shell\\open\\command", ""), String("\"D:\\New Place\\Renamed.exe\" \"%1\""));
    EXPECT_EQ(reg.SubkeyNames("Applications"), Names{"qm4edit.exe"});
}

TEST(SetReset, KeepsOtherValuesAndKeysAndOverwritesTheListedOnes)
{
    MemoryRegistry reg;
    reg.PutValue(".qm4", "", RegValueType::String, Sz("SomeoneElse.File"));
    reg.PutValue(".qm4", "Content Type", RegValueType::String, Sz("application/x-qm4"));
    reg.PutValue("QM4EditFile", "", RegValueType::String, Sz("old description"));
    reg.PutValue("QM4EditFile", "EditFlags", RegValueType::Binary, {9, 9, 9, 9});
    reg.PutValue("QM4EditFile", "FriendlyTypeName", RegValueType::String, Sz("Scene"));
    reg.PutValue("QM4EditFile\\shell\\open", "EditFlags", RegValueType::Binary, {7, 0, 0, 0});
    reg.PutValue("QM4EditFile\\shell\\print\\command", "", RegValueType::String, Sz("print.exe %1"));
    reg.PutValue("Applications\\qm4edit.exe", "FriendlyAppName", RegValueType::String, Sz("QM4"));

    EXPECT_TRUE(registrar::SetAssociations(reg, qm4edit::QM4EditAssocValues(), "C:\\Q.exe").Ok());

    EXPECT_EQ(reg.GetValue(".qm4", ""), String("QM4EditFile"));
    EXPECT_EQ(reg.GetValue(".qm4", "Content Type"), String("application/x-qm4"));
    EXPECT_EQ(reg.GetValue("QM4EditFile", ""), String("Morvel 3D Object File"));
    EXPECT_EQ(reg.GetValue("QM4EditFile", "EditFlags"), Binary({0, 0, 0, 0}));
    EXPECT_EQ(reg.GetValue("QM4EditFile", "FriendlyTypeName"), String("Scene"));
    EXPECT_EQ(reg.GetValue("QM4EditFile\\shell\\open", "EditFlags"), Binary({1, 0, 0, 0}));
    EXPECT_EQ(reg.GetValue("QM4EditFile\\shell\\print\\command", ""), String("print.exe %1"));
    EXPECT_EQ(reg.GetValue("Applications\\qm4edit.exe", "FriendlyAppName"), String("QM4"));
    EXPECT_EQ(reg.GetValue("Applications\\qm4edit.exe", "NoOpenWith"), String(""));
}

TEST(Remove, DeletesKeysOthersAddedAtAnyDepth)
{
    MemoryRegistry reg;
    const auto& values = pixloom::PixloomAssocValues();
    registrar::SetAssociations(reg, values, "C:\\P.exe");
    // Several siblings at each level: deleting while enumerating by index would skip some.
    for (const char* verb : {"edit", "print", "printto", "preview"}) {
        reg.PutValue(std::string("PixloomFile\\shell\\") + verb + "\\command", "", RegValueType::String, Sz("x"));
        reg.PutKey(std::string("PixloomFile\\shell\\") + verb + "\\ddeexec\\application");
        reg.PutKey(std::string("PixloomFile\\shell\\") + verb + "\\ddeexec\\topic");
    }
    reg.PutKey(".tex\\ShellNew");
    reg.PutKey(".tex\\OpenWithProgids\\Other.File");
    reg.PutKey("Applications\\other.exe\\shell");

    EXPECT_TRUE(registrar::RemoveAssociations(reg, values).Ok());

    EXPECT_FALSE(reg.HasKey(".tex"));
    EXPECT_FALSE(reg.HasKey("PixloomFile"));
    EXPECT_EQ(reg.SubkeyNames("Applications"), Names{"other.exe"});
    EXPECT_TRUE(reg.HasKey("Applications\\other.exe\\shell"));
    ExpectCleanHandles(reg);
}

TEST(Remove, DeletesTheExtensionKeyWhateverItNamesNow)
{
    MemoryRegistry reg;
    const auto& values = qm4edit::QM4EditAssocValues();
    registrar::SetAssociations(reg, values, "C:\\Q.exe");
    reg.PutValue(".qm4", "", RegValueType::String, Sz("Other.Scene"));
    reg.PutValue("Other.Scene\\shell\\open\\command", "", RegValueType::String, Sz("other.exe %1"));

    EXPECT_TRUE(registrar::RemoveAssociations(reg, values).Ok());

    EXPECT_FALSE(reg.HasKey(".qm4"));
    EXPECT_TRUE(reg.HasKey("Other.Scene\\shell\\open\\command"));
}

TEST(Remove, WithNothingRegisteredChangesNothingAndIsNoFailure)
{
    for (bool withApplications : {false, true}) {
        MemoryRegistry reg;
        reg.PutValue(".txt", "", RegValueType::String, Sz("txtfile"));
        if (withApplications)
            reg.PutKey("Applications\\notepad.exe");
        const std::string before = reg.Dump();

        const registrar::AssocOutcome outcome = registrar::RemoveAssociations(reg, qm4edit::QM4EditAssocValues());

        EXPECT_TRUE(outcome.Ok());
        EXPECT_EQ(reg.Dump(), before);
        EXPECT_EQ(reg.Notifications(), 1) << "the shell is told even so";
        ExpectCleanHandles(reg);
    }
}

// What the uninstaller runs: only what still starts the uninstalled copy goes.
TEST(Release, TakesBackOnlyWhatStillStartsThisProgram)
{
    const auto& values = qm4edit::QM4EditAssocValues();
    {
        SCOPED_TRACE("still ours, the path spelt in another case");
        MemoryRegistry reg;
        reg.PutValue(".txt", "", RegValueType::String, Sz("txtfile"));
        const std::string before = reg.Dump();
        registrar::SetAssociations(reg, values, "C:\\Program Files\\Q\\QM4Edit.exe");
        EXPECT_TRUE(registrar::ReleaseAssociations(reg, values, "c:\\program files\\q\\qm4edit.exe").Ok());
        EXPECT_EQ(reg.Dump(), before + "Applications\n") << "everything Set/Reset wrote is gone";
        ExpectCleanHandles(reg);
    }
    {
        SCOPED_TRACE("set by a copy elsewhere");
        MemoryRegistry reg;
        registrar::SetAssociations(reg, values, "D:\\Other\\QM4Edit.exe");
        const std::string before = reg.Dump();
        EXPECT_TRUE(registrar::ReleaseAssociations(reg, values, "C:\\Program Files\\Q\\QM4Edit.exe").Ok());
        EXPECT_EQ(reg.Dump(), before);
        ExpectCleanHandles(reg);
    }
    {
        SCOPED_TRACE("the extension taken over by another program");
        MemoryRegistry reg;
        registrar::SetAssociations(reg, values, "C:\\Q.exe");
        reg.PutValue(".qm4", "", RegValueType::String, Sz("Other.Scene"));
        EXPECT_TRUE(registrar::ReleaseAssociations(reg, values, "C:\\Q.exe").Ok());
        EXPECT_EQ(reg.GetValue(".qm4", ""), String("Other.Scene"));
        EXPECT_FALSE(reg.HasKey("QM4EditFile"));
        EXPECT_FALSE(reg.HasKey("Applications\\qm4edit.exe"));
        ExpectCleanHandles(reg);
    }
    {
        SCOPED_TRACE("nothing registered");
        MemoryRegistry reg;
        EXPECT_TRUE(registrar::ReleaseAssociations(reg, values, "C:\\Q.exe").Ok());
        EXPECT_EQ(reg.Dump(), "");
        ExpectCleanHandles(reg);
    }
}

TEST(Failures, AKeyThatCannotBeCreatedSkipsItsStepsAndIsNeverClosed)
{
    struct Case {
        const char* denied;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        {".qm4", {"QM4EditFile\\shell\\open\\command", "Applications\\qm4edit.exe"}, {".qm4"}},
        {"QM4EditFile", {".qm4", "Applications\\qm4edit.exe"}, {"QM4EditFile"}},
        {"QM4EditFile\\shell", {"QM4EditFile\\DefaultIcon", "Applications\\qm4edit.exe"}, {"QM4EditFile\\shell"}},
        {"QM4EditFile\\shell\\open\\command", {"QM4EditFile\\shell\\open"}, {"QM4EditFile\\shell\\open\\command"}},
        {"Applications", {"QM4EditFile\\shell\\open\\command"}, {"Applications"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.denied);
        MemoryRegistry reg;
        reg.DenyAccess(c.denied);

        const registrar::AssocOutcome outcome =
            registrar::SetAssociations(reg, qm4edit::QM4EditAssocValues(), "C:\\Q.exe");

        EXPECT_FALSE(outcome.Ok());
        const std::string message = registrar::AssocFailureMessage(outcome);
        EXPECT_EQ(message.rfind("The file associations could not be changed.", 0), 0u);
        EXPECT_NE(message.find(std::string("HKEY_CLASSES_ROOT\\") + c.denied), std::string::npos) << message;
        for (const std::string& key : c.present)
            EXPECT_TRUE(reg.HasKey(key)) << key;
        for (const std::string& key : c.absent)
            EXPECT_FALSE(reg.HasKey(key)) << key;
        EXPECT_EQ(reg.Notifications(), 1);
        ExpectCleanHandles(reg);
    }
}

TEST(Failures, RemoveReportsWhatItCouldNotDeleteAndStillDoesTheRest)
{
    MemoryRegistry reg;
    const auto& values = qm4edit::QM4EditAssocValues();
    registrar::SetAssociations(reg, values, "C:\\Q.exe");
    reg.DenyDelete("QM4EditFile\\shell\\open\\command");

    const registrar::AssocOutcome outcome = registrar::RemoveAssociations(reg, values);

    EXPECT_FALSE(outcome.Ok());
    EXPECT_TRUE(reg.HasKey("QM4EditFile\\shell\\open\\command"));
    EXPECT_FALSE(reg.HasKey("QM4EditFile\\DefaultIcon"));
    EXPECT_FALSE(reg.HasKey(".qm4"));
    EXPECT_FALSE(reg.HasKey("Applications\\qm4edit.exe"));
    EXPECT_EQ(reg.Notifications(), 2);
    ExpectCleanHandles(reg);
}

TEST(Failures, RemoveCountsAKeyItMayNotOpenAsAFailure)
{
    MemoryRegistry reg;
    const auto& values = qm4edit::QM4EditAssocValues();
    registrar::SetAssociations(reg, values, "C:\\Q.exe");
    reg.DenyAccess("Applications");

    EXPECT_FALSE(registrar::RemoveAssociations(reg, values).Ok());
    EXPECT_FALSE(reg.HasKey("QM4EditFile"));
    EXPECT_TRUE(reg.HasKey("Applications\\qm4edit.exe"));
    ExpectCleanHandles(reg);
}

} // namespace
