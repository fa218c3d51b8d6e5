// SPDX-License-Identifier: MIT
// The journal of changes, as read back after a crash or damage on disk:
// - any bytes decode without a fault, the good end lies within them, and the changes
//   found encode and decode back to themselves;
// - changes built from the input (any bytes in their ids and records) come back exactly,
//   and the journal cut at any point gives back the changes before the cut, each whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/JournalFormat.h"
#include "fuzz/FuzzCheck.h"

namespace {

using core::ChangeOrigin;
using core::ChangeOutcome;
using core::JournalEntry;

std::string FramesOf(const JournalEntry& entry) {
    std::string frames = core::EncodeChangeFrame(entry);
    if (entry.outcome != ChangeOutcome::Unknown) {
        frames += core::EncodeOutcomeFrame(entry.session, entry.sequence, entry.outcome);
    }
    return frames;
}

bool Same(const JournalEntry& a, const JournalEntry& b, bool outcomeToo) {
    return a.session == b.session && a.sequence == b.sequence &&
           a.msecsSinceEpoch == b.msecsSinceEpoch && a.origin == b.origin && a.file == b.file &&
           a.id == b.id && a.before == b.before && a.after == b.after &&
           (!outcomeToo || a.outcome == b.outcome);
}

void CheckRoundTrip(const std::vector<JournalEntry>& entries, std::string_view input) {
    std::string encoded;
    for (const JournalEntry& entry : entries) {
        encoded += FramesOf(entry);
    }
    const core::DecodedJournal again = core::DecodeJournal(encoded);
    fuzz::Require(again.goodEnd == encoded.size(), "a whole journal is good to its end", input);
    fuzz::Require(again.entries.size() == entries.size(), "every change comes back", input);
    for (std::size_t n = 0; n < entries.size(); ++n) {
        fuzz::Require(Same(again.entries[n], entries[n], true), "a change comes back exactly",
                      input);
    }
}

// Splits the input at 0x00 0x01 pairs into the pieces of a few changes.
std::vector<JournalEntry> EntriesFrom(std::string_view input) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t at = 0; at + 1 < input.size(); ++at) {
        if (input[at] == '\x00' && input[at + 1] == '\x01') {
            pieces.emplace_back(input.substr(start, at - start));
            start = at + 2;
            ++at;
        }
    }
    pieces.emplace_back(input.substr(start));
    std::vector<JournalEntry> entries;
    for (std::size_t n = 0; n + 1 < pieces.size() || (n == 0 && !pieces.empty()); n += 3) {
        JournalEntry entry;
        entry.session = 7;
        entry.sequence = entries.size() + 1;
        entry.msecsSinceEpoch = static_cast<std::int64_t>(pieces[n].size()) * 1000;
        entry.origin = static_cast<ChangeOrigin>(pieces[n].size() % 6);
        entry.outcome = static_cast<ChangeOutcome>(pieces[n].size() % 3);
        entry.file = "F";
        entry.id = pieces[n];
        if (n + 1 < pieces.size() && !pieces[n + 1].empty()) {
            entry.before = pieces[n + 1];
        }
        if (n + 2 < pieces.size() && pieces[n].size() % 2 == 0) {
            entry.after = pieces[n + 2];
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const core::DecodedJournal decoded = core::DecodeJournal(input);
    fuzz::Require(decoded.goodEnd <= input.size(), "the good end lies within the bytes", input);
    CheckRoundTrip(decoded.entries, input);

    const std::vector<JournalEntry> built = EntriesFrom(input);
    CheckRoundTrip(built, input);
    std::string encoded;
    for (const JournalEntry& entry : built) {
        encoded += FramesOf(entry);
    }
    const std::size_t cut = encoded.empty() ? 0 : (size * 7919) % (encoded.size() + 1);
    const core::DecodedJournal torn = core::DecodeJournal(std::string_view(encoded).substr(0, cut));
    fuzz::Require(torn.entries.size() <= built.size(), "a cut adds no change", input);
    for (std::size_t n = 0; n < torn.entries.size(); ++n) {
        fuzz::Require(Same(torn.entries[n], built[n], false),
                      "a cut journal gives back the changes before the cut", input);
    }
    return 0;
}
