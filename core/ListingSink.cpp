// SPDX-License-Identifier: MIT
#include "core/ListingSink.h"

#include <ostream>

namespace exporting {

bool StreamSink::Write(std::string_view bytes) {
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out_);
}

}  // namespace exporting
