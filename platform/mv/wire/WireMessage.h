// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The client protocol of the database servers, as bytes: every message is a 24-byte
// header and a body of typed arguments, everything big-endian. Nothing here touches a
// socket; WireChannel moves messages over TCP.
namespace mv::wire {

inline constexpr std::size_t kHeaderSize = 24;
inline constexpr std::uint8_t kMagic = 0x6C;
inline constexpr std::uint8_t kProtocolVersion = 2;
inline constexpr std::uint8_t kHighVersion = 2;
inline constexpr std::size_t kMaxArguments = 2048;
inline constexpr std::uint32_t kMaxBodyLength = 0x7FFFFFFF;

enum class ArgType : std::uint32_t {
    Integer = 0,
    Double = 1,
    Text = 2,
    Bytes = 3,
    IntegerArray = 4,
    DoubleArray = 5,
    FunctionName = 6,
};

// One argument. Text, Bytes and FunctionName keep their value in `bytes`, any byte
// values included.
struct Arg {
    ArgType type = ArgType::Integer;
    std::int32_t integer = 0;
    double real = 0;
    std::string bytes;
    std::vector<std::int32_t> integers;
    std::vector<double> reals;

    static Arg Int(std::int32_t value);
    static Arg Real(double value);
    static Arg Text(std::string value);
    static Arg Bytes(std::string value);
    static Arg Function(std::string value);
    static Arg Integers(std::vector<std::int32_t> values);
    static Arg Reals(std::vector<double> values);

    bool IsInteger() const { return type == ArgType::Integer; }
    // Text, Bytes and FunctionName all carry a string.
    bool IsString() const {
        return type == ArgType::Text || type == ArgType::Bytes || type == ArgType::FunctionName;
    }
    bool operator==(const Arg&) const = default;
};

struct Message {
    std::int32_t returnCode = 0;
    std::vector<Arg> args;

    bool operator==(const Message&) const = default;
};

// The header as received. Lengths are checked by ParseHeader before any body byte is
// read.
struct Header {
    std::uint8_t version = kProtocolVersion;
    std::uint32_t bodyLength = 0;
    std::uint8_t highVersion = kHighVersion;
    bool encrypted = false;
    std::int32_t returnCode = 0;
    std::uint16_t argumentCount = 0;
    std::uint16_t freeFormLength = 0;
};

// Checks a received header. False, with the reason, for a wrong magic byte or version,
// a body length outside 1..maxBody, compression, or too many arguments.
bool ParseHeader(const std::uint8_t* bytes, std::size_t maxBody, Header& header, std::string& why);

// Takes the arguments out of a received body (its encryption undone first). False, with
// the reason, when a descriptor is malformed or a value would reach past the body.
bool ParseBody(const Header& header, std::string body, Message& message, std::string& why);

// The whole message as sent: header (version 2, high version 2, no compression, no
// encryption, return code as given) and body.
std::string Encode(const Message& message);

// Undoes (or applies) the servers' light body encryption: every byte XOR'd with 1 when
// the high version is below 2, else with 2.
void ToggleEncryption(std::string& body, std::uint8_t highVersion);

}  // namespace mv::wire
