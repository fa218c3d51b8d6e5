// SPDX-License-Identifier: MIT
#include "platform/mv/wire/WireMessage.h"

#include <bit>
#include <cstring>
#include <limits>

namespace mv::wire {

namespace {

constexpr std::size_t kDescriptorSize = 8;

std::size_t Padded(std::size_t length) {
    return (length + 3) & ~std::size_t{3};
}

void PutU32(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value >> 24));
    out.push_back(static_cast<char>(value >> 16));
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value));
}

void PutU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value));
}

void PutDouble(std::string& out, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    PutU32(out, static_cast<std::uint32_t>(bits >> 32));
    PutU32(out, static_cast<std::uint32_t>(bits));
}

void PadTo4(std::string& out, std::size_t bodyStart) {
    while ((out.size() - bodyStart) % 4 != 0) {
        out.push_back('\0');
    }
}

std::uint32_t GetU32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

double GetDouble(const std::uint8_t* p) {
    const std::uint64_t bits = (std::uint64_t{GetU32(p)} << 32) | GetU32(p + 4);
    return std::bit_cast<double>(bits);
}

// The declared length of an argument, as its descriptor gives it.
std::uint32_t DescriptorLength(const Arg& arg) {
    switch (arg.type) {
        case ArgType::Integer:
        case ArgType::Double:
            return 1;
        case ArgType::Text:
        case ArgType::Bytes:
        case ArgType::FunctionName:
            return static_cast<std::uint32_t>(arg.bytes.size());
        case ArgType::IntegerArray:
            return static_cast<std::uint32_t>(arg.integers.size());
        case ArgType::DoubleArray:
            return static_cast<std::uint32_t>(arg.reals.size());
    }
    return 0;
}

// How many bytes the value of a descriptor takes before padding; false for a length no
// body could hold.
bool ValueSize(ArgType type, std::uint32_t length, std::size_t& size) {
    switch (type) {
        case ArgType::Integer:
            size = 4;
            return length <= 1;
        case ArgType::Double:
            size = 8;
            return length <= 1;
        case ArgType::Text:
        case ArgType::FunctionName:
            size = std::size_t{length} + 1;  // the terminating NUL
            return true;
        case ArgType::Bytes:
            size = length;
            return true;
        case ArgType::IntegerArray:
            size = std::size_t{length} * 4;
            return true;
        case ArgType::DoubleArray:
            size = std::size_t{length} * 8;
            return true;
    }
    return false;
}

}  // namespace

Arg Arg::Int(std::int32_t value) {
    Arg arg;
    arg.type = ArgType::Integer;
    arg.integer = value;
    return arg;
}

Arg Arg::Real(double value) {
    Arg arg;
    arg.type = ArgType::Double;
    arg.real = value;
    return arg;
}

Arg Arg::Text(std::string value) {
    Arg arg;
    arg.type = ArgType::Text;
    arg.bytes = std::move(value);
    return arg;
}

Arg Arg::Bytes(std::string value) {
    Arg arg;
    arg.type = ArgType::Bytes;
    arg.bytes = std::move(value);
    return arg;
}

Arg Arg::Function(std::string value) {
    Arg arg;
    arg.type = ArgType::FunctionName;
    arg.bytes = std::move(value);
    return arg;
}

Arg Arg::Integers(std::vector<std::int32_t> values) {
    Arg arg;
    arg.type = ArgType::IntegerArray;
    arg.integers = std::move(values);
    return arg;
}

Arg Arg::Reals(std::vector<double> values) {
    Arg arg;
    arg.type = ArgType::DoubleArray;
    arg.reals = std::move(values);
    return arg;
}

bool ParseHeader(const std::uint8_t* bytes, std::size_t maxBody, Header& header, std::string& why) {
    if (bytes[0] != kMagic) {
        why = "not a message of the client protocol (wrong first byte)";
        return false;
    }
    header.version = bytes[1];
    if (header.version != 1 && header.version != 2) {
        why = "unknown protocol version " + std::to_string(header.version);
        return false;
    }
    header.bodyLength = GetU32(bytes + 4);
    if (header.bodyLength == 0 || header.bodyLength > kMaxBodyLength ||
        header.bodyLength > maxBody) {
        why = "body length " + std::to_string(header.bodyLength) + " out of range";
        return false;
    }
    header.highVersion = bytes[12];
    if (bytes[13] != 0) {
        why = "compressed messages are not accepted";
        return false;
    }
    header.encrypted = bytes[14] != 0;
    header.returnCode = static_cast<std::int32_t>(GetU32(bytes + 16));
    header.argumentCount = GetU16(bytes + 20);
    header.freeFormLength = GetU16(bytes + 22);
    if (header.argumentCount > kMaxArguments) {
        why = "too many arguments (" + std::to_string(header.argumentCount) + ")";
        return false;
    }
    return true;
}

bool ParseBody(const Header& header, std::string body, Message& message, std::string& why) {
    if (body.size() != header.bodyLength) {
        why = "body shorter than its header says";
        return false;
    }
    if (header.encrypted) {
        ToggleEncryption(body, header.highVersion);
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(body.data());
    const std::size_t count = header.argumentCount;
    const std::size_t descriptors = count * kDescriptorSize;
    if (descriptors + header.freeFormLength > body.size()) {
        why = "argument descriptors reach past the body";
        return false;
    }
    message.returnCode = header.returnCode;
    message.args.clear();
    message.args.reserve(count);
    std::size_t offset = Padded(descriptors + header.freeFormLength);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t length = GetU32(data + i * kDescriptorSize);
        const std::uint32_t typeCode = GetU32(data + i * kDescriptorSize + 4);
        if (typeCode > static_cast<std::uint32_t>(ArgType::FunctionName)) {
            why = "argument " + std::to_string(i) + " has unknown type " + std::to_string(typeCode);
            return false;
        }
        const auto type = static_cast<ArgType>(typeCode);
        std::size_t size = 0;
        if (!ValueSize(type, length, size) || offset > body.size() || size > body.size() - offset) {
            why = "argument " + std::to_string(i) + " reaches past the body";
            return false;
        }
        const std::uint8_t* value = data + offset;
        Arg arg;
        arg.type = type;
        switch (type) {
            case ArgType::Integer:
                arg.integer = static_cast<std::int32_t>(GetU32(value));
                break;
            case ArgType::Double:
                arg.real = GetDouble(value);
                break;
            case ArgType::Text:
            case ArgType::FunctionName:
            case ArgType::Bytes:
                arg.bytes.assign(body, offset, length);
                break;
            case ArgType::IntegerArray:
                arg.integers.resize(length);
                for (std::uint32_t k = 0; k < length; ++k) {
                    arg.integers[k] = static_cast<std::int32_t>(GetU32(value + 4 * std::size_t{k}));
                }
                break;
            case ArgType::DoubleArray:
                arg.reals.resize(length);
                for (std::uint32_t k = 0; k < length; ++k) {
                    arg.reals[k] = GetDouble(value + 8 * std::size_t{k});
                }
                break;
        }
        message.args.push_back(std::move(arg));
        offset += Padded(size);
    }
    return true;
}

std::string Encode(const Message& message) {
    std::string out(kHeaderSize, '\0');
    const std::size_t bodyStart = out.size();
    for (const Arg& arg : message.args) {
        PutU32(out, DescriptorLength(arg));
        PutU32(out, static_cast<std::uint32_t>(arg.type));
    }
    for (const Arg& arg : message.args) {
        switch (arg.type) {
            case ArgType::Integer:
                PutU32(out, static_cast<std::uint32_t>(arg.integer));
                break;
            case ArgType::Double:
                PutDouble(out, arg.real);
                break;
            case ArgType::Text:
            case ArgType::FunctionName:
                out += arg.bytes;
                out.push_back('\0');
                break;
            case ArgType::Bytes:
                out += arg.bytes;
                break;
            case ArgType::IntegerArray:
                for (const std::int32_t value : arg.integers) {
                    PutU32(out, static_cast<std::uint32_t>(value));
                }
                break;
            case ArgType::DoubleArray:
                for (const double value : arg.reals) {
                    PutDouble(out, value);
                }
                break;
        }
        PadTo4(out, bodyStart);
    }
    std::string header;
    header.push_back(static_cast<char>(kMagic));
    header.push_back(static_cast<char>(kProtocolVersion));
    PutU16(header, 0);  // sequence number
    PutU32(header, static_cast<std::uint32_t>(out.size() - bodyStart));
    PutU32(header, 0);  // packet type
    header.push_back(static_cast<char>(kHighVersion));
    header.push_back('\0');  // compression
    header.push_back('\0');  // encryption
    header.push_back('\0');
    PutU32(header, static_cast<std::uint32_t>(message.returnCode));
    PutU16(header, static_cast<std::uint16_t>(message.args.size()));
    PutU16(header, 0);  // free-form block
    out.replace(0, kHeaderSize, header);
    return out;
}

void ToggleEncryption(std::string& body, std::uint8_t highVersion) {
    const char key = highVersion < 2 ? 1 : 2;
    for (char& c : body) {
        c = static_cast<char>(c ^ key);
    }
}

}  // namespace mv::wire
