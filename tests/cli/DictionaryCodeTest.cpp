// SPDX-License-Identifier: MIT
// Dictionaries as code: dump and load round trips, diff and apply between places.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <random>

#include <stdlib.h>

#include "cli/DumpFolder.h"
#include "core/JournalFormat.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/RecordLocks.h"
#include "platform/mv/Session.h"
#include "tests/cli/CliFixture.h"
#include "tests/remote/StandInServer.h"
#include "tests/remote/TestBackend.h"

namespace cli::test {
namespace {

TEST(DumpText, everyByteOfARecordRoundTripsAsLegibleLines) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "\n"},
        {"D\xFE"
         "1\xFE\xFE",
         "D\n1\n\n\n"},
        {"a\\b", "a\\\\b\n"},
        {"x\xFDy\xFCz\xFB", "x\\]y\\}z\\|\n"},
        {"line\nfeed\r\t\x7F", "line\\x0Afeed\\x0D\\x09\\x7F\n"},
        {"caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC\n"},  // UTF-8 stays legible
        {"caf\xE9 \xC3", "caf\\xE9 \\xC3\n"},                        // Latin-1 does not
    };
    std::string record;
    std::string why;
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(ItemText(bytes), text);
        ASSERT_TRUE(RecordOfText(text, record, why)) << why;
        EXPECT_EQ(record, bytes);
    }
    std::mt19937 random(20261208);
    for (int i = 0; i < 2000; ++i) {
        std::string bytes(random() % 40, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() % 256);
        }
        ASSERT_TRUE(RecordOfText(ItemText(bytes), record, why)) << why;
        ASSERT_EQ(record, bytes) << i;
    }
    for (const std::string bad : {"no line end", "\\q\n", "\\x4\n", "\\xg1\n", "end\\\n"}) {
        EXPECT_FALSE(RecordOfText(bad, record, why)) << bad;
    }
}

// Dumped and loaded into an empty dictionary, every item of every real dictionary comes
// back byte for byte; a second dump writes nothing, and only the dump's files are touched.
TEST(DumpAndLoad, roundTripTheCorpus) {
    const fs::path corpus = KELVORA_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    TempFolder folder;
    ::setenv("XDG_DATA_HOME", (folder.Path() / "data").c_str(), 1);  // the load's journal
    std::size_t dictionaries = 0;
    for (const auto& account : fs::directory_iterator(corpus)) {
        if (!account.is_directory()) {
            continue;
        }
        for (const auto& dictionary : fs::directory_iterator(
                 account.path(), fs::directory_options::skip_permission_denied)) {
            const std::string name = dictionary.path().filename().string();
            if (!dictionary.is_directory() || name.rfind("D_", 0) != 0) {
                continue;
            }
            const std::string file = name.substr(2);
            const fs::path dump = folder.Path() / "dump" / file;
            const fs::path copy = folder.Path() / "copy";
            fs::create_directories(copy / name);
            ASSERT_EQ(RunCli({"dump", account.path().string(), file, dump.string()}).status, 0)
                << name;
            const Outcome load = RunCli({"load", dump.string(), copy.string(), file});
            ASSERT_EQ(load.status, 0) << name << load.err;
            EXPECT_EQ(Snapshot(copy / name), Snapshot(dictionary.path())) << name;
            const Outcome again = RunCli({"dump", copy.string(), file, dump.string()});
            EXPECT_NE(again.out.find(": 0 written"), std::string::npos) << again.out;
            fs::remove_all(copy);
            ++dictionaries;
        }
    }
    EXPECT_GT(dictionaries, 20u);
    ::unsetenv("XDG_DATA_HOME");
}

class DictionaryCode : public ::testing::Test {
protected:
    void SetUp() override {
        dev_ = folder_.Path() / "dev";
        test_ = folder_.Path() / "test";
        for (const fs::path& account : {dev_, test_}) {
            fs::create_directories(account / "D_F");
            WriteItem(account / "D_F", "SAME",
                      "D\xFE"
                      "1\xFE\xFE"
                      "Same");
            WriteItem(account / "D_F", "CHANGED",
                      "D\xFE"
                      "2\xFE\xFE"
                      "Old\xFD"
                      "x");
        }
        // A save writes a view's fields 1 to N: empty ones at the end change nothing.
        WriteItem(dev_ / "D_F", "SAME",
                  "D\xFE"
                  "1\xFE\xFE"
                  "Same\xFE\xFE");
        WriteItem(dev_ / "D_F", "CHANGED",
                  "D\xFE"
                  "3\xFE\xFE"
                  "New\xFD"
                  "x");
        WriteItem(dev_ / "D_F", "ADDED",
                  "I\xFE"
                  "SAME:CHANGED\xFE\xFE"
                  "Both");
        WriteItem(test_ / "D_F", "REMOVED",
                  "D\xFE"
                  "4");
        host_ = testbackend::ServeFolder(folder_.Path());
        // The journal of apply goes here, not into the user's own data folder.
        ::setenv("XDG_DATA_HOME", (folder_.Path() / "data").c_str(), 1);
    }
    void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }

    TempFolder folder_;
    fs::path dev_;
    fs::path test_;
    std::string host_;
};

TEST_F(DictionaryCode, diffApplyAndEquatesAnswerWithTheirExitStatus) {
    const std::string server = "ann@" + host_ + "/test";
    const std::string dump = (folder_.Path() / "dump").string();
    ASSERT_EQ(RunCli({"dump", dev_.string(), "F", dump}).status, 0);
    struct Case {
        std::vector<std::string> words;
        int status;
        std::vector<std::string> lines;  // each must be in the output
    };
    const std::vector<Case> cases = {
        {{"diff", dev_.string(), dev_.string(), "F"}, 0, {}},
        {{"diff", dump, server, "F"},
         1,
         {"only in " + dump + ": ADDED\n", "only in " + server + ": REMOVED\n",
          "changed: CHANGED\n  field 2 (Attribute Count or Formula): \"3\" -> \"2\"\n"
          "  field 4 (Column Name): \"New[VM]x\" -> \"Old[VM]x\"\n"}},
        {{"diff", dev_.string(), test_.string(), "F", "--json"},
         1,
         {"\"onlyInA\": [\"ADDED\"]", "\"onlyInB\": [\"REMOVED\"]",
          "{\"field\": 4, \"caption\": \"Column Name\", \"a\": \"New\\u00fdx\", \"b\": "
          "\"Old\\u00fdx\"}"}},
        {{"diff", dev_.string(), "nobody@/x", "F"}, 2, {}},
        {{"diff", "@" + host_ + "/test", dev_.string(), "F"}, 2, {}},
        {{"diff", dev_.string(), "ann@" + host_, "F"}, 2, {}},
        {{"diff", dev_.string(), (folder_.Path() / "missing").string(), "F"}, 2, {}},
        {{"diff", dev_.string(), test_.string(), "F", "--exact"},
         1,
         {"changed: SAME\n  field 5 (Align): \"\" -> (no such field)\n"
          "  field 6 (S / M): \"\" -> (no such field)\n"}},
        {{"apply", dump, server, "F", "--plan"},
         1,
         {"add ADDED\nchange CHANGED\n"
          "  field 2 (Attribute Count or Formula): \"2\" -> \"3\"\n"
          "  field 4 (Column Name): \"Old[VM]x\" -> \"New[VM]x\"\n"
          "keep REMOVED (only in " +
          server + "; --delete deletes it)\n2 items"}},
        {{"apply", dump, server, "F"}, 0, {"change CHANGED\n  field 2", "applied 2"}},
        {{"diff", dev_.string(), server, "F"}, 1, {"only in " + server + ": REMOVED\n"}},
        {{"apply", dev_.string(), server, "F", "--delete"}, 0, {"delete REMOVED\n1 item"}},
        {{"diff", dump, server, "F"}, 0, {}},
        {{"apply", dump, server, "F", "--plan", "--exact"},
         1,
         {"change SAME\n  field 5 (Align): (no such field) -> \"\"\n"}},
        {{"equates", server, "F", "--out", dump + "/.EQU"}, 0, {}},
        {{"equates", dev_.string(), "F", "--check", dump + "/.EQU"}, 0, {}},
        {{"equates", dev_.string(), "F", "--prefix", "F.", "--check", dump + "/.EQU"}, 1, {}},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunCli(c.words, false, std::string("any"));
        const std::string shown = c.words[0] + " " + c.words[1] + " " + c.words[2];
        EXPECT_EQ(outcome.status, c.status) << shown << "\n" << outcome.out << outcome.err;
        for (const std::string& line : c.lines) {
            EXPECT_NE(outcome.out.find(line), std::string::npos) << shown << "\n" << outcome.out;
        }
    }
    // The apply compiled the I item it wrote, and journaled each change as the window
    // journals a save, for its History and undo.
    EXPECT_NE(FileBytes(test_ / "D_F" / "ADDED").find("KCD1"), std::string::npos);
    std::vector<std::string> journaled;
    for (const auto& journal : fs::directory_iterator(folder_.Path() / "data/kelvora/journal")) {
        for (const core::JournalEntry& entry :
             core::DecodeJournal(FileBytes(journal.path())).entries) {
            EXPECT_EQ(entry.outcome, core::ChangeOutcome::Done) << entry.id;
            journaled.push_back(entry.id + (entry.after ? "" : " deleted"));
        }
    }
    EXPECT_EQ(journaled, (std::vector<std::string>{"ADDED", "CHANGED", "REMOVED deleted"}));
}

TEST_F(DictionaryCode, anApplyStopsAtAnItemAnotherSessionHoldsAndWritesNothingAfterIt) {
    std::shared_ptr<mv::LocalEngine> other;
    ASSERT_EQ(mv::LocalEngine::Open(test_.string(), other), 0);
    int handle = 0;
    ASSERT_EQ(other->OpenDictionary("F", handle), 0);
    other->SetIdentity({"ann", 7, ""});
    ASSERT_EQ(other->Lock(handle, "ADDED", mv::kLockExclusive), 0);
    WriteItem(dev_ / "D_F", "ZLAST",
              "D\xFE"
              "9");
    const Outcome outcome =
        RunCli({"apply", dev_.string(), "ann@" + host_ + "/test", "F"}, false, std::string("any"));
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("ADDED is locked by ann (user 7) since "), std::string::npos)
        << outcome.err;
    EXPECT_NE(outcome.err.find("nothing was written to"), std::string::npos) << outcome.err;
    EXPECT_FALSE(fs::exists(test_ / "D_F" / "ADDED"));
    EXPECT_FALSE(fs::exists(test_ / "D_F" / "ZLAST"));
}

// A checkout that turned the dump's line ends into CR LF (git's autocrlf, an editor on
// Windows) reads as dumped: no carriage return reaches a field. A new dump folder asks git
// to keep the line ends; a .gitattributes of the user's own is left alone.
TEST_F(DictionaryCode, aDumpWithCrLfLineEndsReadsAsDumped) {
    const fs::path dump = folder_.Path() / "dump";
    ASSERT_EQ(RunCli({"dump", dev_.string(), "F", dump.string()}).status, 0);
    EXPECT_EQ(FileBytes(dump / ".gitattributes"), "* -text\n");
    WriteBytes(dump / "ADDED", "I\r\nSAME:CHANGED\r\n\r\nBoth\r\n");
    WriteBytes(dump / "SAME", "D\r\n1\r\n\r\nSame\\x0D\r\n");
    std::string record;
    std::string why;
    ASSERT_TRUE(RecordOfText("a\rb\r\n", record, why)) << why;
    EXPECT_EQ(record, "a\rb") << "a carriage return before no line feed is a byte";

    const Outcome diff = RunCli({"diff", dump.string(), dev_.string(), "F"});
    EXPECT_EQ(diff.out, "changed: SAME\n  field 4 (Column Name): \"Same\\x0D\" -> \"Same\"\n");
    ASSERT_EQ(RunCli({"load", dump.string(), test_.string(), "F"}).status, 0);
    EXPECT_EQ(FileBytes(test_ / "D_F" / "ADDED"), "I\nSAME:CHANGED\n\nBoth");
    EXPECT_EQ(FileBytes(test_ / "D_F" / "SAME"), "D\n1\n\nSame\r");

    const fs::path own = folder_.Path() / "own";
    fs::create_directories(own);
    WriteBytes(own / ".gitattributes", "*.EQU text\n");
    ASSERT_EQ(RunCli({"dump", dev_.string(), "F", own.string()}).status, 0);
    EXPECT_EQ(FileBytes(own / ".gitattributes"), "*.EQU text\n");
}

// Names in a dump folder come from the folder, which may be a cloned repository: a link
// or a FIFO under an item's name (or the dump's list) is refused by name, never written
// through and never waited on, by dump and by load.
TEST_F(DictionaryCode, aDumpNeverWritesThroughALinkNorWaitsOnAFifo) {
    const fs::path dump = folder_.Path() / "dump";
    const fs::path outside = folder_.Path() / "outside";
    const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> planted{
        {"SAME", [&](const fs::path& at) { fs::create_symlink(outside, at); }},
        {"CHANGED", [&](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); }},
        {".kelvora-dump", [&](const fs::path& at) { fs::create_symlink(outside, at); }},
    };
    for (const auto& [name, plant] : planted) {
        SCOPED_TRACE(name);
        fs::remove_all(dump);
        ASSERT_EQ(RunCli({"dump", test_.string(), "F", dump.string()}).status, 0);
        WriteBytes(outside, "mine\n");
        fs::remove(dump / name);
        plant(dump / name);
        const Outcome again = RunCli({"dump", dev_.string(), "F", dump.string()});
        EXPECT_EQ(again.status, 1) << again.out;
        EXPECT_NE(again.err.find(name), std::string::npos) << again.err;
        EXPECT_EQ(FileBytes(outside), "mine\n");
        if (name != ".kelvora-dump") {
            const Outcome load = RunCli({"load", dump.string(), test_.string(), "F"});
            EXPECT_EQ(load.status, 2) << load.out;
            EXPECT_NE(load.err.find(name), std::string::npos) << load.err;
        }
    }
}

// A dump flushes its files together at its end: a folder it did not finish (the process
// killed, the machine down) may hold a file cut short, so it is refused until dumped again.
TEST_F(DictionaryCode, aDumpThatDidNotFinishIsRefusedUntilDumpedAgain) {
    const fs::path dump = folder_.Path() / "dump";
    ASSERT_EQ(RunCli({"dump", dev_.string(), "F", dump.string()}).status, 0);
    EXPECT_FALSE(fs::exists(dump / ".kelvora-dump-unfinished"));
    WriteBytes(dump / ".kelvora-dump-unfinished", "a dump is writing this folder\n");
    WriteBytes(dump / "ADDED", "I\nSAME");  // cut short: no line end
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"load", dump.string(), test_.string(), "F"},
          std::vector<std::string>{"diff", dump.string(), test_.string(), "F"}}) {
        const Outcome refused = RunCli(command);
        EXPECT_EQ(refused.status, 2) << command[0] << refused.out;
        EXPECT_NE(refused.err.find("did not finish"), std::string::npos) << refused.err;
    }
    const Outcome again = RunCli({"dump", dev_.string(), "F", dump.string()});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("1 written"), std::string::npos) << again.out;
    EXPECT_FALSE(fs::exists(dump / ".kelvora-dump-unfinished"));
    EXPECT_EQ(RunCli({"diff", dump.string(), dev_.string(), "F"}).status, 0);
}

// The check before each write: an item changed in TO between the plan and its locked read
// stops the apply (naming what it had made) unless --merge can take both changes; empty
// fields added at its end are no change.
TEST_F(DictionaryCode, anItemChangedAfterThePlanStopsTheApplyOrIsMerged) {
    const std::string original = FileBytes(test_ / "D_F" / "CHANGED");
    const std::string mine = FileBytes(dev_ / "D_F" / "CHANGED");
    struct Case {
        const char* what;
        std::string theirs;  // CHANGED as a colleague writes it before the locked read
        bool merge;
        int status;
        std::string message;  // in the output or on standard error, which names what was made
        std::string after;    // CHANGED afterwards
    };
    const std::vector<Case> cases = {
        {"a field the apply changes too", "D\n2\n\nTheirs", false, 2, "before the stop: add ADDED",
         "D\n2\n\nTheirs"},
        {"merged, the same field", "D\n2\n\nTheirs", true, 2, "in a field this apply changes too",
         "D\n2\n\nTheirs"},
        {"merged, another field", original + "\nS", true, 0, "merged CHANGED", mine + "\nS"},
        {"empty fields at the end", original + "\n\n", false, 0, "applied 2", mine},
    };
    const fs::path changed = test_ / "D_F" / "CHANGED";
    for (const Case& c : cases) {
        fs::remove(test_ / "D_F" / "ADDED");
        WriteBytes(changed, original);
        const testbackend::StandInServer server(
            folder_.Path(), testbackend::StandInServer::Handles::Integer,
            testbackend::StandInServer::Locks::Kept, testbackend::StandInServer::Writes::Allowed,
            [&](const std::string& id) {
                if (id == "CHANGED") {
                    WriteBytes(changed, c.theirs);
                }
            });
        const std::string place = "ann@127.0.0.1:" + std::to_string(server.Port()) + "/test";
        std::vector<std::string> words = {"apply", dev_.string(), place, "F"};
        if (c.merge) {
            words.push_back("--merge");
        }
        const Outcome outcome = RunCli(words, false, std::string("any"));
        EXPECT_EQ(outcome.status, c.status) << c.what << "\n" << outcome.out << outcome.err;
        EXPECT_NE((outcome.out + outcome.err).find(c.message), std::string::npos)
            << c.what << "\n"
            << outcome.out << outcome.err;
        EXPECT_EQ(FileBytes(changed), c.after) << c.what;
        EXPECT_TRUE(fs::exists(test_ / "D_F" / "ADDED")) << c.what;
    }
}

// ann's save of an item through kelvora-server is in everyone's history with her name:
// bob's through the server, and that of the account folder itself, newest first.
TEST_F(DictionaryCode, historyNamesWhoChangedAnItemWhereverItIsAsked) {
    mv::Session ann;
    ann.SetHostName(host_);
    ann.SetAccountPath("test");
    ann.SetUserName("ann");
    ann.SetPassword("any");
    ann.Connect();
    ASSERT_EQ(ann.Error(), 0);
    const auto file = ann.OpenDictionary("F");
    ASSERT_TRUE(file);
    for (const char* type : {"9", "8"}) {
        file->SetRecordId("CHANGED");
        file->ReadForUpdate();
        file->SetRecord(mv::DynamicArray(std::string("D\xFE") + type + "\xFE\xFEOld\xFDx"));
        file->Write();
        ASSERT_EQ(file->Error(), 0);
    }
    for (const std::string& place : {"bob@" + host_ + "/test", test_.string()}) {
        const Outcome text = RunCli({"history", place, "F", "CHANGED"}, false, std::string("any"));
        EXPECT_EQ(text.status, 0) << place << "\n" << text.err;
        const std::size_t newest = text.out.find("  ann  edit  CHANGED saved\n  field 2 (");
        const std::size_t older = text.out.find("\"2\" -> \"9\"");
        EXPECT_NE(newest, std::string::npos) << place << "\n" << text.out;
        EXPECT_NE(text.out.find("\"9\" -> \"8\""), std::string::npos) << text.out;
        EXPECT_LT(text.out.find("\"9\" -> \"8\""), older) << "newest first\n" << text.out;
    }
    const Outcome json = RunCli({"history", test_.string(), "F", "--json"}, false);
    EXPECT_NE(json.out.find("\"user\": \"ann\", \"origin\": \"edit\", \"outcome\": \"done\", "
                            "\"id\": \"CHANGED\", \"what\": \"saved\""),
              std::string::npos)
        << json.out;
}

}  // namespace
}  // namespace cli::test
