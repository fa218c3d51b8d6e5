// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "platform/mv/TemporaryFiles.h"
#include "tests/cli/CliFixture.h"
#include "tests/platform/mv/Unprivileged.h"

namespace cli::test {
namespace {

const std::string FM = "\xFE";
const std::string VM = "\xFD";

// A dictionary T whose two export orders differ: by type code and right-justified
// location for UniVerse, by right-justified location and id for UniData.
class SmallAccount : public ::testing::Test {
protected:
    void SetUp() override {
        WriteItem(Dictionary(), "B", "D" + FM + "2" + FM + FM + "Name" + FM + "10L" + FM + "S");
        WriteItem(Dictionary(), "C",
                  "D" + FM + "10" + FM + FM + "Vals" + VM + "two" + FM + "5L" + FM + "M" + FM +
                      "ASSOC" + FM + "8" + FM + "9" + FM + "10" + FM + "11" + FM + "12");
        WriteItem(Dictionary(), "A",
                  "I" + FM + "C*2" + FM + "MD2" + FM + "Total" + FM + "8R" + FM + "S");
        WriteItem(Dictionary(), "X%FDY", "PH" + FM + "B C");
    }
    fs::path Account() const { return folder_.Path(); }
    fs::path Dictionary() const { return folder_.Path() / "D_T"; }
    Outcome Run(std::vector<std::string> words) const {
        words.insert(words.begin(), {"-a", Account().string()});
        return RunCli(words);
    }

    // The lines of the export, written out by hand: the id, a tab before each of fields
    // 1 to 10 as stored (marks kept, later fields left out), CR LF.
    const std::string lineA = "A\tI\tC*2\tMD2\tTotal\t8R\tS\t\t\t\t\r\n";
    const std::string lineB = "B\tD\t2\t\tName\t10L\tS\t\t\t\t\r\n";
    const std::string lineC = "C\tD\t10\t\tVals\xFDtwo\t5L\tM\tASSOC\t8\t9\t10\r\n";
    const std::string lineX = "X\xFDY\tPH\tB C\t\t\t\t\t\t\t\t\r\n";

private:
    TempFolder folder_;
};

struct UsageCase {
    const char* name;
    std::vector<std::string> words;
    const char* phrase;
};

class UsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrors, giveOneLineAndStatusTwo) {
    const Outcome outcome = RunCli(GetParam().words);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("kelvora-cmd: ", 0), 0u) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    EXPECT_NE(outcome.err.find(GetParam().phrase), std::string::npos) << outcome.err;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, UsageErrors,
    ::testing::Values(
        UsageCase{"nothing", {}, "no command given"},
        UsageCase{"unknownCommand", {"frob"}, "unknown command 'frob'"},
        UsageCase{"unknownOption", {"-x", "check"}, "unknown option '-x'"},
        UsageCase{"optionAfterCommand", {"check", "-a", "x"}, "unknown option '-a'"},
        UsageCase{"accountWithoutPath", {"-a"}, "-a needs an account folder"},
        UsageCase{"unknownType", {"-t", "Pick", "export", "T"}, "'Pick'"},
        UsageCase{"execWithoutCommand", {"EXEC"}, "EXEC needs the command"},
        UsageCase{"exportWithoutFile", {"export"}, "export needs the name"},
        UsageCase{"exportWithTwoOutputs", {"export", "T", "a", "b"}, "not 'b'"},
        UsageCase{"tlsWithoutHost", {"--tls", "check"}, "need a server (-H HOST)"},
        UsageCase{"caWithoutFile", {"-H", "h", "--ca"}, "--ca needs a file"},
        UsageCase{"readAheadOfNothing", {"--read-ahead", "0", "check"}, "1 to 4096"},
        UsageCase{"readAheadTooLarge", {"--read-ahead", "4097", "check"}, "1 to 4096"},
        UsageCase{"readAheadNotANumber", {"--read-ahead", "+5", "check"}, "1 to 4096"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(Help, isShownForTheProgramAndEachCommandInAnyLetterCase) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--help"},
         "Usage: kelvora-cmd [-H HOST[:PORT] [-u USER] [--tls [--ca FILE]]] [-a ACCOUNT]"},
        {{"-a", "/nowhere", "-h"},
         "Usage: kelvora-cmd [-H HOST[:PORT] [-u USER] [--tls [--ca FILE]]] [-a ACCOUNT]"},
        {{"exec", "--help"}, "EXEC \"COMMAND\""},
        {{"EXPORT", "-h"}, "export FILE [OUT]"},
        {{"Check", "T", "--help"}, "check [FILE ...]"},
    };
    for (const auto& [words, usage] : cases) {
        const Outcome outcome = RunCli(words);
        EXPECT_EQ(outcome.status, 0) << words[0];
        EXPECT_EQ(outcome.err, "");
        EXPECT_NE(outcome.out.find(usage), std::string::npos) << outcome.out;
        EXPECT_NE(outcome.out.find("Examples:\n  kelvora-cmd"), std::string::npos);
    }
}

TEST(BadAccount, isAConnectErrorForEveryCommand) {
    const std::string expected =
        "kelvora-cmd: /no/such/account: error 39101 (The account path is not an existing, "
        "readable folder)\n";
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"EXEC", "SSELECT DICT T"}, {"export", "T"}, {"check"}}) {
        std::vector<std::string> all{"-a", "/no/such/account"};
        all.insert(all.end(), words.begin(), words.end());
        const Outcome outcome = RunCli(all);
        EXPECT_EQ(outcome.status, 1) << words[0];
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, expected);
    }
}

TEST_F(SmallAccount, execPrintsTheResponseAndTheSelectedIdsByteForByte) {
    const Outcome outcome = Run({"exec", "SSELECT", "DICT", "T", "BY", "@ID"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "4 records selected to SELECT list #0.\nA\nB\nC\nX\xFDY\n");
    EXPECT_EQ(outcome.err, "");
}

// An id holding a line feed would take two lines and read as two ids.
TEST_F(SmallAccount, execShowsControlBytesOfAnIdSoEachIdTakesOneLine) {
    WriteItem(Dictionary(), "N%0AL", "X" + FM + "1");
    const Outcome outcome = Run({"EXEC", "SSELECT DICT T BY @ID"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "5 records selected to SELECT list #0.\nA\nB\nC\nN\\x0AL\nX\xFDY\n");
}

TEST_F(SmallAccount, execNamesTheErrorOfAFailedCommand) {
    const Outcome unknown = Run({"EXEC", "LIST DICT T"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "kelvora-cmd: error 10001 (The engine does not know this command)\n");

    const Outcome missing = Run({"EXEC", "SSELECT DICT NOPE"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "\"NOPE\" is not a file of this account.\n");
    EXPECT_EQ(missing.err,
              "kelvora-cmd: error 10003 (The command names a file that does not exist in this "
              "account)\n");
}

TEST_F(SmallAccount, execOfCdCompilesThroughTheEngine) {
    const Outcome outcome = Run({"EXEC", "CD T A"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("A"), std::string::npos);
    // CD stores the compiled form: the item grew fields after its sixth.
    const std::string stored = FileBytes(Dictionary() / "A");
    EXPECT_GT(std::count(stored.begin(), stored.end(), '\n'), 5) << stored;
}

TEST_F(SmallAccount, exportWritesTheProgramsListingInTheOrderOfEachDatabaseType) {
    const Outcome universe = Run({"export", "T"});
    EXPECT_EQ(universe.status, 0) << universe.err;
    EXPECT_EQ(universe.out, lineB + lineC + lineA + lineX);
    EXPECT_EQ(universe.err, "");

    const Outcome unidata = RunCli({"-t", "unidata", "-a", Account().string(), "export", "T", "-"});
    EXPECT_EQ(unidata.status, 0) << unidata.err;
    EXPECT_EQ(unidata.out, lineB + lineC + lineX + lineA);
}

TEST_F(SmallAccount, exportToAFileReplacesItWholeAndShowsProgressOnlyOnATerminal) {
    const fs::path out = Account() / "listing.txt";
    WriteBytes(out, std::string(1000, 'x'));
    const Outcome quiet = Run({"export", "T", out.string()});
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(FileBytes(out), lineB + lineC + lineA + lineX);

    std::vector<std::string> words{"-a", Account().string(), "export", "T", out.string()};
    const Outcome shown = RunCli(words, true);
    EXPECT_EQ(shown.status, 0);
    // The line is written over in place, then rubbed out with blanks before the result.
    const std::string progress = "Exporting T: 4 of 4 items";
    EXPECT_EQ(shown.err, "\r" + progress + "\r\r" + std::string(progress.size(), ' ') +
                             "\rkelvora-cmd: 4 items exported to " + out.string() + "\n");
}

TEST_F(SmallAccount, exportFailuresLeaveTheOutputAlone) {
    const fs::path out = Account() / "listing.txt";
    WriteBytes(out, "kept");
    const Outcome missing = Run({"export", "NOPE", out.string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "kelvora-cmd: NOPE: error 31001 (The dictionary does not exist in this account)\n");
    EXPECT_EQ(FileBytes(out), "kept");

    const Outcome unwritable = Run({"export", "T", (Account() / "no/such/folder.txt").string()});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot be created"), std::string::npos) << unwritable.err;
}

// A link that leads nowhere is refused and stays as it was; a link to the user's own file
// writes that file and stays a link; a link to another user's file is no way to write it.
TEST_F(SmallAccount, exportThroughALinkWritesOnlyTheUsersOwnExistingFile) {
    const fs::path dangling = Account() / "dangling.txt";
    fs::create_symlink(Account() / "missing.txt", dangling);
    const Outcome refused = Run({"export", "T", dangling.string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "kelvora-cmd: the export file " + dangling.string() +
                               " cannot be created: it is a symbolic link to " +
                               (Account() / "missing.txt").string() +
                               ", which does not exist; the link is left as it is\n");
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_FALSE(fs::exists(Account() / "missing.txt"));

    const fs::path own = Account() / "own.txt";
    WriteBytes(own, "old");
    fs::create_symlink("own.txt", Account() / "link.txt");
    const Outcome written = Run({"export", "T", (Account() / "link.txt").string()});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_TRUE(fs::is_symlink(Account() / "link.txt"));
    EXPECT_EQ(FileBytes(own), lineB + lineC + lineA + lineX);

    // Only root can give a file away to another user here.
    if (::geteuid() != 0) {
        GTEST_SKIP() << "the export through a link to another user's file needs root to make "
                        "that file; the rest of this test ran";
    }
    const fs::path others = Account() / "others.txt";
    WriteBytes(others, "not yours");
    ASSERT_EQ(::chown(others.c_str(), 65534, 65534), 0);
    fs::create_symlink(others, Account() / "to-others.txt");
    const Outcome notOwn = Run({"export", "T", (Account() / "to-others.txt").string()});
    EXPECT_EQ(notOwn.status, 1);
    EXPECT_NE(notOwn.err.find("which is not a file of your own"), std::string::npos) << notOwn.err;
    EXPECT_EQ(FileBytes(others), "not yours");
    EXPECT_TRUE(fs::is_symlink(Account() / "to-others.txt"));
}

// A pipe named as the output gets the listing and stays a pipe for whoever reads it.
TEST_F(SmallAccount, exportIntoAPipeWritesIntoItRatherThanReplacingIt) {
    const fs::path pipe = Account() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&pipe, &received] {
        const int fd = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        char buffer[4096];
        // Until the writer has come and gone: no writer yet shows no event at all.
        for (int waited = 0; fd >= 0 && waited < 100;) {
            struct pollfd ready = {fd, POLLIN, 0};
            if (::poll(&ready, 1, 100) == 0) {
                ++waited;
                continue;
            }
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n == 0) {
                break;
            }
            if (n > 0) {
                received.append(buffer, static_cast<std::size_t>(n));
            }
        }
        ::close(fd);
    });
    const Outcome outcome = Run({"export", "T", pipe.string()});
    reader.join();
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(received, lineB + lineC + lineA + lineX);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(pipe)));
}

// Run by a user the permissions apply to (as root: the user nobody).
TEST_F(SmallAccount, exportOfAnUnreadableItemIsAFailure) {
    for (const fs::path& folder : {Account(), Dictionary()}) {
        fs::permissions(folder, fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
    }
    fs::permissions(Dictionary() / "C", fs::perms::none);
    const std::string result = mv::test::AsUnprivilegedUser(Account(), [](const std::string& path) {
        const Outcome outcome = RunCli({"-a", path, "export", "T"});
        return std::to_string(outcome.status) + '\x01' + outcome.out + '\x01' + outcome.err;
    });
    const std::size_t first = result.find('\x01');
    const std::size_t second = result.find('\x01', first + 1);
    ASSERT_NE(second, std::string::npos) << result;
    EXPECT_EQ(result.substr(0, first), "1");
    EXPECT_EQ(result.substr(first + 1, second - first - 1), lineB + lineA + lineX);
    EXPECT_NE(result.find("without 1 item of T", second), std::string::npos) << result;
}

TEST_F(SmallAccount, checkOfACleanDictionaryPassesAndWritesNothing) {
    const auto before = Snapshot(Account());
    const Outcome outcome = Run({"check"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "1 dictionary, 4 items: 1 descriptor checked, 0 failed; 0 refused, 0 notes\n");
    EXPECT_EQ(Snapshot(Account()), before);
}

TEST(Check, reportsFailuresAndNotesOfTheDemoSortedAndWritesNothing) {
    const TempFolder folder;
    const fs::path demo = CopyDemo(folder);
    const auto before = Snapshot(folder.Path());
    const Outcome outcome = RunCli({"-a", demo.string(), "CHECK"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out,
              "CUSTOMERS MAILING.LABEL: note: type code \"ph\" is in lower case, so the program "
              "shows the item under Other Types, not under PH Type (Child Tables)\n"
              "ORDERS LINE.NET: column 7: expected an operand after '*' but found '*'\n"
              "PRODUCTS DISCONTINUED: note: type code \"d\" is in lower case, so the program "
              "shows the item under Other Types, not under D and I or V Type\n"
              "4 dictionaries, 83 items: 22 descriptors checked, 1 failed; 0 refused, 2 notes\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(Snapshot(folder.Path()), before);
}

TEST_F(SmallAccount, checkRefusesWhatTheProgramCannotReadOrStoreBack) {
    WriteBytes(Dictionary() / "%41", "D\n1");          // "A" spelt another way
    WriteBytes(Dictionary() / "CON", "D\n1");          // a device name on Windows
    WriteBytes(Dictionary() / "caf\xC3\xA9", "D\n1");  // bytes escaping writes as %XX
    WriteBytes(Dictionary() / ".gitkeep", "");
    WriteBytes(Dictionary() / "RAW",
               "D\n1\xFE"
               "2");
    fs::create_directory(Dictionary() / "SUB");
    fs::create_symlink("/etc/hostname", Dictionary() / "LEAK");
    WriteItem(Dictionary(), "BAD%0ALINE", "I" + FM + "B +");
    WriteItem(Dictionary(), "LOW", "i" + FM + "B");
    const Outcome outcome = Run({"check", "T"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(
        outcome.out,
        "T %41: refused: the file name is not one the program gives an item id, so the program "
        "does not see it; for the item id \"%41\" the file is named \"%2541\"\n"
        "T .gitkeep: note: a hidden file, not an item\n"
        "T BAD\\x0ALINE: column 4: expected an operand after '+' but found the end of the "
        "expression\n"
        "T CON: refused: the file name is not one the program gives an item id, so the program "
        "does not see it; for the item id \"CON\" the file is named \"%43ON\"\n"
        "T LEAK: refused: the entry is a link, which the program never follows\n"
        "T LOW: note: type code \"i\" is in lower case, so the program shows the item under "
        "Other Types, not under D and I or V Type\n"
        "T RAW: refused: the item file holds the byte 0xFE (first at offset 3), which the "
        "program reads as a field mark and would save as a line feed\n"
        "T SUB: refused: the entry is not a regular file, so the program does not see it\n"
        "T caf\xC3\xA9: refused: the file name is not one the program gives an item id, so the "
        "program does not see it; for the item id \"caf\xC3\xA9\" the file is named "
        "\"caf%C3%A9\"\n"
        "1 dictionary, 7 items: 2 descriptors checked, 1 failed; 6 refused, 2 notes\n");
}

// Temporary files of saves that never finished are listed with their age and size and
// when they go, and left where they are: the check writes nothing.
TEST_F(SmallAccount, checkListsLeftoverTemporaryFilesAndRemovesNone) {
    const auto aged = [this](const std::string& name, const std::string& bytes,
                             long long secondsAgo) {
        WriteBytes(Dictionary() / name, bytes);
        struct timespec now {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        const struct timespec then = {now.tv_sec - static_cast<time_t>(secondsAgo), 0};
        const struct timespec times[2] = {then, then};
        ASSERT_EQ(::utimensat(AT_FDCWD, (Dictionary() / name).c_str(), times, 0), 0);
    };
    aged(".kelvora-tmp-12-3", "x", 3 * 3600 + 30);
    aged(".kelvora-tmp-12-4", "D\nhalf", 10 * 60 + 1);
    const auto before = Snapshot(Account());
    const Outcome outcome = Run({"check", "T"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "T .kelvora-tmp-12-3: note: a temporary file left by a save that did not finish "
              "(3 hours old, 1 byte); the next session to open this dictionary removes it\n"
              "T .kelvora-tmp-12-4: note: a temporary file left by a save that did not finish "
              "(10 minutes old, 6 bytes); kept while a save may still be writing it, removed "
              "once older than 1 hour\n"
              "1 dictionary, 4 items: 1 descriptor checked, 0 failed; 0 refused, 2 notes\n");
    EXPECT_EQ(Snapshot(Account()), before);

    // Young files of this computer: one whose process has ended goes at the next open.
    const std::string ended = mv::TemporaryFileNameFor(mv::test::EndedProcess(), 1);
    const std::string running = mv::TemporaryFileNameFor(::getpid(), 1);
    aged(ended, "x", 5 * 60 + 20);
    aged(running, "x", 5 * 60 + 20);
    const std::string out = Run({"check", "T"}).out;
    const std::string note =
        ": note: a temporary file left by a save that did not finish "
        "(5 minutes old, 1 byte); ";
    for (const std::string& line :
         {ended + note +
              "its process has ended, so the next session on this computer to open "
              "this dictionary removes it\n",
          running + note +
              "kept while its process still runs and may be writing it, removed "
              "once that process ends or the file is older than 1 hour\n"}) {
        EXPECT_NE(out.find(line), std::string::npos) << line << "in\n" << out;
    }
}

TEST_F(SmallAccount, checkOfNamedFilesReportsAMissingOneAndGoesOn) {
    const Outcome outcome = Run({"check", "NOPE", "T"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err,
              "kelvora-cmd: NOPE: error 31001 (The dictionary does not exist in this account)\n");
    EXPECT_EQ(outcome.out,
              "1 dictionary, 4 items: 1 descriptor checked, 0 failed; 0 refused, 0 notes; 1 "
              "could not be opened\n");
}

}  // namespace
}  // namespace cli::test
