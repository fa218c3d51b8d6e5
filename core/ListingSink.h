// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string_view>

namespace exporting {

// Where the lines of a listing go, in order.
class ListingSink {
public:
    virtual ~ListingSink() = default;
    // False when the bytes could not be taken; the listing then stops.
    virtual bool Write(std::string_view bytes) = 0;
};

// A listing into a stream opened in binary mode (standard output, a string stream).
class StreamSink final : public ListingSink {
public:
    explicit StreamSink(std::ostream& out) : out_(out) {}
    bool Write(std::string_view bytes) override;

private:
    std::ostream& out_;
};

}  // namespace exporting
