// SPDX-License-Identifier: MIT
#include "core/JournalFormat.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <utility>

namespace core {

namespace {

constexpr std::array<char, 4> kMagic{'K', 'J', '\x01', '\xA5'};
constexpr std::size_t kHeaderSize = 12;  // magic, payload length, CRC-32 of the payload
// No real frame comes near this; a larger length is damage, not data.
constexpr std::uint32_t kMaxPayload = 1u << 30;
constexpr char kChange = 'C';
constexpr char kOutcome = 'O';
constexpr char kGroup = 'G';
constexpr char kUser = 'U';

std::uint32_t Crc32(std::string_view bytes) {
    return static_cast<std::uint32_t>(
        ::crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// The CRC-32 of any stretch of the journal between positions named up front, after one
// pass over its bytes: the checksum of everything before each position is kept, and the
// checksum of a stretch follows from those at its two ends (CRC-32 is linear). However
// many candidate frames overlap, no byte is checksummed twice, so reading damaged or
// crafted bytes takes time in step with their size.
class StretchChecksums {
public:
    StretchChecksums(std::string_view bytes, std::vector<std::size_t> positions) {
        std::sort(positions.begin(), positions.end());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        uLong crc = ::crc32(0, Z_NULL, 0);
        std::size_t done = 0;
        before_.reserve(positions.size());
        for (const std::size_t at : positions) {
            crc = ::crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data() + done), at - done);
            checksummed_ += at - done;
            done = at;
            before_.emplace_back(at, static_cast<std::uint32_t>(crc));
        }
    }
    // The checksum of bytes [from, to); both must be among the positions named.
    std::uint32_t Of(std::size_t from, std::size_t to) const {
        const uLong shifted = ::crc32_combine(Before(from), 0, static_cast<z_off_t>(to - from));
        return static_cast<std::uint32_t>(Before(to) ^ shifted);
    }
    std::size_t Checksummed() const { return checksummed_; }

private:
    uLong Before(std::size_t at) const {
        const auto found =
            std::lower_bound(before_.begin(), before_.end(), std::make_pair(at, std::uint32_t{0}));
        return found->second;
    }

    std::vector<std::pair<std::size_t, std::uint32_t>> before_;
    std::size_t checksummed_ = 0;
};

void PutUint(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
    }
}

void PutBytes(std::string& out, const std::string& bytes) {
    PutUint(out, bytes.size(), 4);
    out += bytes;
}

std::string Frame(const std::string& payload) {
    std::string frame(kMagic.begin(), kMagic.end());
    PutUint(frame, payload.size(), 4);
    PutUint(frame, Crc32(payload), 4);
    return frame + payload;
}

// Reads the fields of a payload in order; any read past its end fails the whole payload.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool Uint(std::uint64_t& value, int bytes) {
        if (bytes_.size() - at_ < static_cast<std::size_t>(bytes)) {
            return false;
        }
        value = 0;
        for (int i = 0; i < bytes; ++i) {
            value |= static_cast<std::uint64_t>(
                         static_cast<unsigned char>(bytes_[at_ + static_cast<std::size_t>(i)]))
                     << (8 * i);
        }
        at_ += static_cast<std::size_t>(bytes);
        return true;
    }
    bool Bytes(std::string& out) {
        std::uint64_t size = 0;
        if (!Uint(size, 4) || bytes_.size() - at_ < size) {
            return false;
        }
        out.assign(bytes_.substr(at_, size));
        at_ += size;
        return true;
    }
    bool Optional(std::optional<std::string>& out) {
        std::uint64_t present = 0;
        if (!Uint(present, 1) || present > 1) {
            return false;
        }
        if (present == 0) {
            out.reset();
            return true;
        }
        out.emplace();
        return Bytes(*out);
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

struct Outcome {
    std::uint64_t session = 0;
    std::uint64_t sequence = 0;
    ChangeOutcome outcome = ChangeOutcome::Unknown;
};

bool DecodeChange(std::string_view payload, JournalEntry& entry) {
    Reader in(payload.substr(1));
    std::uint64_t time = 0;
    std::uint64_t origin = 0;
    if (!in.Uint(entry.session, 8) || !in.Uint(entry.sequence, 8) || !in.Uint(time, 8) ||
        !in.Uint(origin, 1) || origin > static_cast<std::uint64_t>(ChangeOrigin::Copy) ||
        !in.Bytes(entry.file) || !in.Bytes(entry.id) || !in.Optional(entry.before) ||
        !in.Optional(entry.after) || !in.AtEnd()) {
        return false;
    }
    entry.msecsSinceEpoch = static_cast<std::int64_t>(time);
    entry.origin = static_cast<ChangeOrigin>(origin);
    return true;
}

bool DecodeOutcome(std::string_view payload, Outcome& outcome) {
    Reader in(payload.substr(1));
    std::uint64_t value = 0;
    if (!in.Uint(outcome.session, 8) || !in.Uint(outcome.sequence, 8) || !in.Uint(value, 1) ||
        value > static_cast<std::uint64_t>(ChangeOutcome::Failed) || !in.AtEnd()) {
        return false;
    }
    outcome.outcome = static_cast<ChangeOutcome>(value);
    return true;
}

struct ChangeUser {
    std::uint64_t session = 0;
    std::uint64_t sequence = 0;
    std::string user;
};

bool DecodeUser(std::string_view payload, ChangeUser& user) {
    Reader in(payload.substr(1));
    return in.Uint(user.session, 8) && in.Uint(user.sequence, 8) && in.Bytes(user.user) &&
           in.AtEnd();
}

std::string EncodeUserFrame(std::uint64_t session, std::uint64_t sequence,
                            const std::string& user) {
    std::string payload(1, kUser);
    PutUint(payload, session, 8);
    PutUint(payload, sequence, 8);
    PutBytes(payload, user);
    return Frame(payload);
}

bool DecodeGroup(std::string_view payload, JournalGroup& group) {
    Reader in(payload.substr(1));
    std::uint64_t kind = 0;
    if (!in.Uint(group.session, 8) || !in.Uint(group.first, 8) || !in.Uint(group.last, 8) ||
        !in.Uint(kind, 1) || kind != static_cast<std::uint64_t>(ChangeGroupKind::Rename) ||
        !in.Bytes(group.from) || !in.Bytes(group.to) || !in.AtEnd() || group.first == 0 ||
        group.first > group.last) {
        return false;
    }
    group.kind = static_cast<ChangeGroupKind>(kind);
    return true;
}

}  // namespace

std::string EncodeChangeFrame(const JournalEntry& entry) {
    return EncodeChangeFrame(entry, entry.before ? &*entry.before : nullptr,
                             entry.after ? &*entry.after : nullptr);
}

std::string EncodeChangeFrame(const JournalEntry& entry, const std::string* before,
                              const std::string* after) {
    // Built in place in one buffer, header first: a record of hundreds of megabytes is
    // copied once, not once for the payload and again for the frame.
    const auto sizeOf = [](const std::string* bytes) {
        return 1 + (bytes != nullptr ? 4 + bytes->size() : 0);
    };
    // The user comes first, in a frame of its own that readers of the first layout skip.
    std::string frame = entry.user.empty()
                            ? std::string()
                            : EncodeUserFrame(entry.session, entry.sequence, entry.user);
    const std::size_t start = frame.size();
    frame.append(kMagic.begin(), kMagic.end());
    frame.reserve(start + kHeaderSize + 26 + 8 + entry.file.size() + entry.id.size() +
                  sizeOf(before) + sizeOf(after));
    frame.append(8, '\0');  // the payload's length and CRC, once it is written
    frame.push_back(kChange);
    PutUint(frame, entry.session, 8);
    PutUint(frame, entry.sequence, 8);
    PutUint(frame, static_cast<std::uint64_t>(entry.msecsSinceEpoch), 8);
    PutUint(frame, static_cast<std::uint64_t>(entry.origin), 1);
    PutBytes(frame, entry.file);
    PutBytes(frame, entry.id);
    for (const std::string* version : {before, after}) {
        frame.push_back(version != nullptr ? '\x01' : '\x00');
        if (version != nullptr) {
            PutBytes(frame, *version);
        }
    }
    const std::string_view payload = std::string_view(frame).substr(start + kHeaderSize);
    std::string header;
    PutUint(header, payload.size(), 4);
    PutUint(header, Crc32(payload), 4);
    frame.replace(start + kMagic.size(), header.size(), header);
    return frame;
}

std::string EncodeOutcomeFrame(std::uint64_t session, std::uint64_t sequence,
                               ChangeOutcome outcome) {
    std::string payload(1, kOutcome);
    PutUint(payload, session, 8);
    PutUint(payload, sequence, 8);
    PutUint(payload, static_cast<std::uint64_t>(outcome), 1);
    return Frame(payload);
}

std::string EncodeGroupFrame(const JournalGroup& group) {
    std::string payload(1, kGroup);
    PutUint(payload, group.session, 8);
    PutUint(payload, group.first, 8);
    PutUint(payload, group.last, 8);
    PutUint(payload, static_cast<std::uint64_t>(group.kind), 1);
    PutBytes(payload, group.from);
    PutBytes(payload, group.to);
    return Frame(payload);
}

namespace {

struct FrameHeader {
    std::uint64_t size = 0;
    std::uint64_t crc = 0;
};

// The header of a candidate frame at `at`, when it could start a frame of this layout: a
// whole header, a length that fits the bytes after it, and a payload of a known kind.
// Only such candidates are checksummed.
std::optional<FrameHeader> PlausibleHeader(std::string_view bytes, std::size_t at) {
    if (bytes.size() - at < kHeaderSize) {
        return std::nullopt;
    }
    Reader header(bytes.substr(at + kMagic.size(), 8));
    FrameHeader frame;
    header.Uint(frame.size, 4);
    header.Uint(frame.crc, 4);
    if (frame.size == 0 || frame.size > kMaxPayload ||
        bytes.size() - at - kHeaderSize < frame.size) {
        return std::nullopt;
    }
    const char kind = bytes[at + kHeaderSize];
    if (kind != kChange && kind != kOutcome && kind != kGroup && kind != kUser) {
        return std::nullopt;
    }
    return frame;
}

}  // namespace

DecodedJournal DecodeJournal(std::string_view bytes) {
    DecodedJournal decoded;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> bySequence;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::string> users;
    const std::string_view magic(kMagic.data(), kMagic.size());
    std::vector<std::size_t> ends;
    for (std::size_t at = bytes.find(magic); at != std::string_view::npos;
         at = bytes.find(magic, at + 1)) {
        if (const auto frame = PlausibleHeader(bytes, at)) {
            ends.push_back(at + kHeaderSize);
            ends.push_back(at + kHeaderSize + frame->size);
        }
    }
    const StretchChecksums checksums(bytes, std::move(ends));
    decoded.checksummedBytes = checksums.Checksummed();
    // Every place that starts with the mark is tried as a frame. One that does not check
    // out (a damaged length or payload, a length running past the end, a frame cut short)
    // is skipped one byte at a time, so a good frame after it, even one inside its bytes,
    // is still found; a good frame is skipped whole.
    std::size_t at = bytes.find(magic);
    while (at != std::string_view::npos && bytes.size() - at >= kHeaderSize) {
        const std::optional<FrameHeader> frame = PlausibleHeader(bytes, at);
        const bool good =
            frame && checksums.Of(at + kHeaderSize, at + kHeaderSize + frame->size) == frame->crc;
        const std::string_view payload =
            good ? bytes.substr(at + kHeaderSize, frame->size) : std::string_view();
        JournalEntry entry;
        Outcome outcome;
        JournalGroup group;
        ChangeUser user;
        if (good && payload[0] == kChange && DecodeChange(payload, entry)) {
            const auto named = users.find({entry.session, entry.sequence});
            if (named != users.end()) {
                entry.user = std::move(named->second);
                users.erase(named);
            }
            bySequence[{entry.session, entry.sequence}] = decoded.entries.size();
            decoded.entries.push_back(std::move(entry));
        } else if (good && payload[0] == kOutcome && DecodeOutcome(payload, outcome)) {
            // The last outcome recorded counts: a change first thought lost may turn out
            // to have arrived.
            const auto found = bySequence.find({outcome.session, outcome.sequence});
            if (found != bySequence.end()) {
                decoded.entries[found->second].outcome = outcome.outcome;
            }
        } else if (good && payload[0] == kGroup && DecodeGroup(payload, group)) {
            decoded.groups.push_back(std::move(group));
        } else if (good && payload[0] == kUser && DecodeUser(payload, user)) {
            users[{user.session, user.sequence}] = std::move(user.user);
        } else {
            at = bytes.find(magic, at + 1);
            continue;
        }
        at += kHeaderSize + frame->size;
        decoded.goodEnd = at;
        at = bytes.find(magic, at);
    }
    return decoded;
}

bool IsTornTail(std::string_view bytes, std::size_t goodEnd) {
    if (goodEnd >= bytes.size()) {
        return false;
    }
    const std::string_view tail = bytes.substr(goodEnd);
    if (tail.size() < kMagic.size() ||
        std::memcmp(tail.data(), kMagic.data(), kMagic.size()) != 0) {
        return false;
    }
    // Cut short: the header is not whole, or the length reaches past the end. A whole
    // frame that does not check out is damage, kept like damage anywhere else.
    if (tail.size() >= kHeaderSize) {
        Reader header(tail.substr(kMagic.size(), 4));
        std::uint64_t size = 0;
        header.Uint(size, 4);
        if (size > kMaxPayload || size <= tail.size() - kHeaderSize) {
            return false;
        }
    }
    // Past the torn frame's own start, no frame may read as good.
    return DecodeJournal(tail.substr(1)).goodEnd == 0;
}

}  // namespace core
