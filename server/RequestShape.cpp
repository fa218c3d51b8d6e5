// SPDX-License-Identifier: MIT
#include "server/RequestShape.h"

namespace server {

bool HasShape(const mv::wire::Message& message, std::string_view shape) {
    if (message.args.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const mv::wire::Arg& arg = message.args[i];
        const bool matches = shape[i] == 'i' ? arg.IsInteger()
                                             : arg.type == mv::wire::ArgType::Text ||
                                                   arg.type == mv::wire::ArgType::Bytes;
        if (!matches) {
            return false;
        }
    }
    return true;
}

}  // namespace server
