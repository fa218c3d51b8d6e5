// SPDX-License-Identifier: MIT
// The journal of changes, as read back after a crash or damage on disk:
// - any bytes decode without a fault, the good end lies within them, the changes found
//   encode and decode back to themselves, and cutting off a torn tail loses none of them;
// - changes built from the input (any bytes in their ids and records) come back exactly;
// - the journal cut at any point gives back the changes before the cut, each whole, and
//   after them at most frames the torn change's own records held;
// - the input put between the frames of a journal, as damage, hides none of them.
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

// FNV-1a, as eight bytes.
std::string Fingerprint(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char byte : bytes) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
    }
    return std::string(reinterpret_cast<const char*>(&hash), sizeof hash);
}

// Puts the damage between the frames of `entries`, before the one at `place`, and checks
// that every change comes back, in order, with other changes (the damage's own) between
// them at most; those after the damage with their outcomes too.
// The damage ends in its own fingerprint. A good frame the damage holds whose length
// reaches past its end would cover the start of the next frame, which no reader can tell
// from two good frames side by side; through the fingerprint, its checksum would have to
// match bytes that change with it, which a fuzzer cannot build.
void CheckDamageHidesNothing(const std::vector<JournalEntry>& entries, std::string_view damage,
                             std::size_t place, std::string_view input) {
    std::string journal;
    for (std::size_t n = 0; n <= entries.size(); ++n) {
        if (n == place) {
            journal += damage;
            journal += Fingerprint(damage);
        }
        if (n < entries.size()) {
            journal += FramesOf(entries[n]);
        }
    }
    std::size_t found = 0;
    for (const JournalEntry& entry : core::DecodeJournal(journal).entries) {
        if (found < entries.size() && Same(entry, entries[found], found >= place)) {
            ++found;
        }
    }
    fuzz::Require(found == entries.size(), "damage hides no whole frame after it", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const core::DecodedJournal decoded = core::DecodeJournal(input);
    fuzz::Require(decoded.goodEnd <= input.size(), "the good end lies within the bytes", input);
    CheckRoundTrip(decoded.entries, input);
    if (core::IsTornTail(input, decoded.goodEnd)) {
        const core::DecodedJournal cut = core::DecodeJournal(input.substr(0, decoded.goodEnd));
        fuzz::Require(cut.entries.size() == decoded.entries.size(),
                      "cutting off a torn tail loses no change", input);
    }

    const std::vector<JournalEntry> built = EntriesFrom(input);
    CheckRoundTrip(built, input);
    std::string encoded;
    std::vector<std::size_t> changeEnds;
    for (const JournalEntry& entry : built) {
        changeEnds.push_back(encoded.size() + core::EncodeChangeFrame(entry).size());
        encoded += FramesOf(entry);
    }
    const std::size_t cut = encoded.empty() ? 0 : (size * 7919) % (encoded.size() + 1);
    const std::string_view kept = std::string_view(encoded).substr(0, cut);
    const core::DecodedJournal torn = core::DecodeJournal(kept);
    std::size_t whole = 0;
    while (whole < changeEnds.size() && changeEnds[whole] <= cut) {
        ++whole;
    }
    fuzz::Require(torn.entries.size() >= whole, "a cut keeps every change before it", input);
    for (std::size_t n = 0; n < torn.entries.size(); ++n) {
        if (n < whole) {
            fuzz::Require(Same(torn.entries[n], built[n], false),
                          "a cut journal gives back the changes before the cut", input);
        } else {
            const std::string_view tornPart = kept.substr(whole == 0 ? 0 : changeEnds[whole - 1]);
            fuzz::Require(
                tornPart.find(core::EncodeChangeFrame(torn.entries[n])) != std::string_view::npos,
                "a cut adds only frames the torn change's records held", input);
        }
    }

    CheckDamageHidesNothing(built, input, size % (built.size() + 1), input);
    return 0;
}
