// SPDX-License-Identifier: MIT
#include "core/History.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/ItemText.h"
#include "core/JournalFile.h"
#include "platform/mv/Backend.h"
#include "platform/mv/Session.h"

namespace core {

namespace {

constexpr std::string_view kNone = "\\-";
constexpr std::size_t kColumns = 10;
constexpr const char* kOrigins[] = {"edit", "undo", "redo", "restore", "automatic", "copy"};
constexpr const char* kOutcomes[] = {"unknown", "done", "failed"};

// ItemText on one line: its field breaks written as the escape of the field mark.
std::string Escaped(std::string_view bytes) {
    std::string text = ItemText(bytes);
    text.pop_back();
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            line += "\\xFE";
        } else {
            line.push_back(c);
        }
    }
    return line;
}

bool Unescaped(std::string_view text, std::string& bytes) {
    std::string why;
    return RecordOfText(std::string(text) + "\n", bytes, why);
}

std::string WhenText(std::int64_t msecs) {
    const auto seconds = static_cast<std::time_t>(msecs / 1000);
    std::tm utc{};
    if (::gmtime_r(&seconds, &utc) == nullptr) {
        return "1970-01-01T00:00:00.000Z";
    }
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03dZ", static_cast<int>(msecs % 1000));
    return std::string(text) + millis;
}

bool WhenOf(const std::string& text, std::int64_t& msecs) {
    std::tm utc{};
    const char* rest = ::strptime(text.c_str(), "%Y-%m-%dT%H:%M:%S", &utc);
    int millis = 0;
    if (rest == nullptr || std::sscanf(rest, ".%3dZ", &millis) != 1) {
        return false;
    }
    msecs = static_cast<std::int64_t>(::timegm(&utc)) * 1000 + millis;
    return true;
}

template <std::size_t N>
bool IndexOf(const char* const (&names)[N], std::string_view name, std::size_t& index) {
    for (index = 0; index < N; ++index) {
        if (name == names[index]) {
            return true;
        }
    }
    return false;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool VersionOf(std::string_view field, std::optional<std::string>& version) {
    if (field == kNone) {
        version.reset();
        return true;
    }
    std::string bytes;
    if (!Unescaped(field, bytes)) {
        return false;
    }
    version = std::move(bytes);
    return true;
}

bool LineOf(std::string_view line, JournalEntry& entry) {
    const std::vector<std::string_view> columns = Split(line, '\t');
    std::size_t origin = 0;
    std::size_t outcome = 0;
    if (columns.size() != kColumns || !WhenOf(std::string(columns[0]), entry.msecsSinceEpoch) ||
        !Unescaped(columns[1], entry.user) || !IndexOf(kOrigins, columns[2], origin) ||
        !IndexOf(kOutcomes, columns[3], outcome) || !Unescaped(columns[6], entry.file) ||
        !Unescaped(columns[7], entry.id) || !VersionOf(columns[8], entry.before) ||
        !VersionOf(columns[9], entry.after)) {
        return false;
    }
    entry.origin = static_cast<ChangeOrigin>(origin);
    entry.outcome = static_cast<ChangeOutcome>(outcome);
    const std::string run(columns[4]);
    const std::string number(columns[5]);
    entry.session = std::strtoull(run.c_str(), nullptr, 16);
    entry.sequence = std::strtoull(number.c_str(), nullptr, 10);
    return true;
}

}  // namespace

std::string HistoryListing(const std::vector<JournalEntry>& entries) {
    std::string listing(kHistoryHeader);
    listing.push_back('\n');
    for (const JournalEntry& entry : entries) {
        char run[20];
        std::snprintf(run, sizeof run, "%016" PRIx64, entry.session);
        const auto origin = static_cast<std::size_t>(entry.origin);
        const auto outcome = static_cast<std::size_t>(entry.outcome);
        listing += WhenText(entry.msecsSinceEpoch) + '\t' + Escaped(entry.user) + '\t' +
                   (origin < std::size(kOrigins) ? kOrigins[origin] : "edit") + '\t' +
                   (outcome < std::size(kOutcomes) ? kOutcomes[outcome] : "unknown") + '\t' + run +
                   '\t' + std::to_string(entry.sequence) + '\t' + Escaped(entry.file) + '\t' +
                   Escaped(entry.id) + '\t' +
                   (entry.before ? Escaped(*entry.before) : std::string(kNone)) + '\t' +
                   (entry.after ? Escaped(*entry.after) : std::string(kNone)) + '\n';
    }
    return listing;
}

bool ParseHistoryListing(std::string_view text, std::vector<JournalEntry>& entries) {
    entries.clear();
    std::vector<std::string_view> lines = Split(text, '\n');
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    if (lines.empty() || lines.front() != kHistoryHeader) {
        return false;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        JournalEntry entry;
        if (!LineOf(lines[i], entry)) {
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

std::vector<JournalEntry> ChangesOf(std::vector<JournalEntry> entries, const std::string& file,
                                    const std::string& id) {
    std::erase_if(entries, [&](const JournalEntry& entry) {
        return entry.file != file || (!id.empty() && entry.id != id);
    });
    return entries;
}

std::optional<std::vector<JournalEntry>> ServerHistory(const mv::Session& session,
                                                       const std::string& file,
                                                       const std::string& id) {
    const std::shared_ptr<mv::Backend> backend = session.ActiveBackend();
    if (!backend) {
        return std::nullopt;
    }
    // Names are quoted, so an id with blanks is one word.
    std::string command = std::string(kHistoryVerb) + " \"" + file + "\"";
    if (!id.empty()) {
        command += " \"" + id + "\"";
    }
    const mv::CommandResult result = backend->Execute(command);
    std::vector<JournalEntry> entries;
    if (result.error != 0 || !ParseHistoryListing(result.response, entries)) {
        return std::nullopt;
    }
    return entries;
}

std::vector<JournalEntry> AccountHistory(const mv::Session& session, const std::string& file,
                                         const std::string& id, bool& thisComputerOnly) {
    thisComputerOnly = false;
    if (!session.HostName().empty()) {
        if (std::optional<std::vector<JournalEntry>> served = ServerHistory(session, file, id)) {
            return std::move(*served);
        }
        thisComputerOnly = true;
    }
    return ChangesOf(JournalFile(JournalFile::AccountKeyOf(session)).ReadAll(), file, id);
}

}  // namespace core
