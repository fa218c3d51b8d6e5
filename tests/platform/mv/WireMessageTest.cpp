// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstring>

#include "platform/mv/wire/WireMessage.h"

// The messages of the client protocol against bytes built by hand from its rules:
// big-endian, a 24-byte header, 8-byte descriptors, values on 4-byte boundaries.
namespace {

using mv::wire::Arg;
using mv::wire::ArgType;
using mv::wire::Header;
using mv::wire::Message;

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

std::string HeaderBytes(std::uint32_t bodyLength, std::uint16_t args, int highVersion = 2,
                        int encrypted = 0, int compressed = 0, int version = 2) {
    return Bytes({0x6C,
                  version,
                  0,
                  0,
                  static_cast<int>(bodyLength >> 24),
                  static_cast<int>((bodyLength >> 16) & 0xFF),
                  static_cast<int>((bodyLength >> 8) & 0xFF),
                  static_cast<int>(bodyLength & 0xFF),
                  0,
                  0,
                  0,
                  0,
                  highVersion,
                  compressed,
                  encrypted,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  static_cast<int>(args),
                  0,
                  0});
}

bool Parse(const std::string& wire, Message& message, std::string& why) {
    Header header;
    if (!mv::wire::ParseHeader(reinterpret_cast<const std::uint8_t*>(wire.data()), 1 << 20, header,
                               why)) {
        return false;
    }
    return mv::wire::ParseBody(header, wire.substr(mv::wire::kHeaderSize), message, why);
}

TEST(WireMessage, everyTypeIsLaidOutBigEndianAndPaddedToFourBytes) {
    Message message;
    message.args = {Arg::Int(-2),   Arg::Text("uvcs"),       Arg::Bytes(std::string("a\xFE\0", 3)),
                    Arg::Real(1.5), Arg::Integers({1, 258}), Arg::Function("f")};
    const std::string body =
        // descriptors: length, type
        Bytes({0, 0, 0, 1, 0, 0, 0, 0}) + Bytes({0, 0, 0, 4, 0, 0, 0, 2}) +
        Bytes({0, 0, 0, 3, 0, 0, 0, 3}) + Bytes({0, 0, 0, 1, 0, 0, 0, 1}) +
        Bytes({0, 0, 0, 2, 0, 0, 0, 4}) + Bytes({0, 0, 0, 1, 0, 0, 0, 6}) +
        // values
        Bytes({0xFF, 0xFF, 0xFF, 0xFE}) +            // -2
        std::string("uvcs") + Bytes({0, 0, 0, 0}) +  // text, NUL, padding to 8
        std::string("a\xFE\0", 3) + Bytes({0}) +     // 3 bytes, padding to 4
        Bytes({0x3F, 0xF8, 0, 0, 0, 0, 0, 0}) +      // 1.5
        Bytes({0, 0, 0, 1, 0, 0, 1, 2}) +            // {1, 258}
        std::string("f") + Bytes({0, 0, 0});         // function name, NUL, padding
    const std::string expected = HeaderBytes(static_cast<std::uint32_t>(body.size()), 6) + body;

    EXPECT_EQ(mv::wire::Encode(message), expected);

    Message back;
    std::string why;
    ASSERT_TRUE(Parse(expected, back, why)) << why;
    EXPECT_EQ(back, message);
}

TEST(WireMessage, anEncryptedBodyIsUndoneWithTheKeyOfItsHighVersion) {
    Message message;
    message.args = {Arg::Int(7), Arg::Bytes("secret")};
    const std::string plain = mv::wire::Encode(message).substr(mv::wire::kHeaderSize);
    for (const int highVersion : {1, 2}) {
        std::string body = plain;
        for (char& c : body) {
            c = static_cast<char>(c ^ (highVersion < 2 ? 1 : 2));
        }
        Message back;
        std::string why;
        ASSERT_TRUE(
            Parse(HeaderBytes(static_cast<std::uint32_t>(body.size()), 2, highVersion, 1) + body,
                  back, why))
            << why;
        EXPECT_EQ(back.args, message.args) << "high version " << highVersion;
    }
}

TEST(WireMessage, theServiceReplyComesInBothShapes) {
    Message status;
    std::string why;
    ASSERT_TRUE(
        Parse(HeaderBytes(12, 1) + Bytes({0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}), status, why));
    ASSERT_EQ(status.args.size(), 1u);
    EXPECT_EQ(status.args[0].integer, 0);

    const std::string body = Bytes({0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0}) +
                             std::string("id") + Bytes({0, 0}) + Bytes({0, 0, 0x51, 0x76});
    Message named;
    ASSERT_TRUE(Parse(HeaderBytes(static_cast<std::uint32_t>(body.size()), 2) + body, named, why))
        << why;
    ASSERT_EQ(named.args.size(), 2u);
    EXPECT_EQ(named.args[0].type, ArgType::Text);
    EXPECT_EQ(named.args[0].bytes, "id");
    EXPECT_EQ(named.args[1].integer, 0x5176);
}

TEST(WireMessage, anIntegerDescriptorOfLengthZeroIsAccepted) {
    Message message;
    std::string why;
    ASSERT_TRUE(
        Parse(HeaderBytes(12, 1) + Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}), message, why));
    EXPECT_EQ(message.args[0].integer, 9);
}

// Nothing in a message is trusted before it is checked against the body.
TEST(WireMessage, messagesThatBreakTheRulesAreRefused) {
    const std::string goodBody = Bytes({0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 5});
    struct Case {
        const char* name;
        std::string wire;
    };
    const std::vector<Case> cases = {
        {"wrongMagic", "X" + HeaderBytes(12, 1).substr(1) + goodBody},
        {"version3", HeaderBytes(12, 1, 2, 0, 0, 3) + goodBody},
        {"compressed", HeaderBytes(12, 1, 2, 0, 1) + goodBody},
        {"emptyBody", HeaderBytes(0, 0)},
        {"bodyOverTheLimit", HeaderBytes(2u << 20, 1) + goodBody},
        {"tooManyArguments", HeaderBytes(12, 255) + goodBody},
        {"descriptorsPastTheBody", HeaderBytes(12, 2) + goodBody},
        {"unknownType", HeaderBytes(12, 1) + Bytes({0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0, 5})},
        {"textLongerThanTheBody",
         HeaderBytes(12, 1) + Bytes({0x7F, 0xFF, 0xFF, 0xFF, 0, 0, 0, 3, 0, 0, 0, 5})},
        {"arrayLongerThanTheBody",
         HeaderBytes(12, 1) + Bytes({0x40, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 5})},
        {"integerOfLengthTwo", HeaderBytes(12, 1) + Bytes({0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 5})},
    };
    for (const Case& c : cases) {
        Message message;
        std::string why;
        std::string wire = c.wire;
        if (c.name == std::string("tooManyArguments")) {
            wire[20] = 0x08;  // 2049 arguments
            wire[21] = 0x01;
        }
        EXPECT_FALSE(Parse(wire, message, why)) << c.name;
        EXPECT_FALSE(why.empty()) << c.name;
    }
}

}  // namespace
