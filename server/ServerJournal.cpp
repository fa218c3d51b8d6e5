// SPDX-License-Identifier: MIT
#include "server/ServerJournal.h"

#include <vector>

#include "core/History.h"
#include "platform/mv/CommandWords.h"
#include "platform/mv/ErrorCodes.h"

namespace server {

namespace {

// The words after the verb: a word in double quotes may hold blanks.
std::vector<std::string> ArgumentsOf(const std::string& text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
            ++at;
        }
    };
    skipBlanks();
    while (at < text.size()) {
        std::string word;
        if (text[at] == '"') {
            const std::size_t end = text.find('"', at + 1);
            word = text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
            at = end == std::string::npos ? text.size() : end + 1;
        } else {
            const std::size_t end = text.find_first_of(" \t", at);
            word = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
            at = end == std::string::npos ? text.size() : end;
        }
        words.push_back(std::move(word));
        skipBlanks();
    }
    return words;
}

}  // namespace

ServerJournal::ServerJournal(const std::string& accountFolder, const std::string& user)
    : accountFolder_(accountFolder), user_(user) {}

core::JournalFile& ServerJournal::File() const {
    if (!file_) {
        // The account's own journal only: the journals the server's user keeps elsewhere
        // hold no client's changes.
        file_.emplace(core::JournalFile::LocalAccountKey(accountFolder_),
                      core::JournalFile::AccountJournalPath(accountFolder_));
        file_->SetUser(user_);
    }
    return *file_;
}

std::uint64_t ServerJournal::Begin(const std::string& file, const std::string& id,
                                   const std::optional<std::string>& before,
                                   const std::string* after) {
    return File().Begin(core::ChangeOrigin::Edit, file, id, before ? &*before : nullptr, after);
}

void ServerJournal::Finish(std::uint64_t number, bool done) {
    File().Finish(number, done ? core::ChangeOutcome::Done : core::ChangeOutcome::Failed);
}

bool ServerJournal::IsHistoryCommand(const std::string& text) {
    const std::vector<std::string_view> words = mv::SplitOnBlanks(text);
    return !words.empty() && mv::UpperCase(words[0]) == core::kHistoryVerb;
}

mv::CommandResult ServerJournal::History(const std::string& text) const {
    mv::CommandResult result;
    const std::size_t verb = text.find_first_not_of(" \t");
    std::vector<std::string> words = ArgumentsOf(text.substr(verb + core::kHistoryVerb.size()));
    if (words.empty() || words.size() > 2) {
        result.error = mv::kUnknownCommand;
        result.response = "Usage: KELVORA.HISTORY FILE [ID] (a name with blanks in double quotes)";
        return result;
    }
    result.response = core::HistoryListing(
        core::ChangesOf(File().ReadAll(), words[0], words.size() > 1 ? words[1] : ""));
    return result;
}

}  // namespace server
