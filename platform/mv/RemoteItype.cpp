// SPDX-License-Identifier: MIT
#include <utility>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/RemoteBackend.h"

namespace mv {

using wire::Message;

int RemoteBackend::Itype(const std::string& file, const std::string& id, const std::string& item,
                         std::string& result) {
    std::vector<ItypeResult> results = Itypes(file, {id}, item);
    result = std::move(results.front().result);
    return results.front().code;
}

std::vector<ItypeResult> RemoteBackend::Itypes(const std::string& file,
                                               const std::vector<std::string>& ids,
                                               const std::string& item) {
    RecordsWanted wanted;
    wanted.file = file;
    wanted.ids = ids;
    wanted.items = {item};
    return std::move(ReadTogether(wanted).values.front());
}

int RemoteBackend::ItypeOf(Message& reply, std::string& result) {
    result.clear();
    if (reply.args.empty() || !reply.args[0].IsInteger()) {
        return Fail(kBadServerMessage);
    }
    const int code = reply.args[0].integer;
    if (code == kUnknownFunction) {
        itypeUnknown_ = true;  // a server does not learn a call during a session
        return code;
    }
    // Only a value and the reason an item could not be evaluated are the result: after
    // any other code, argument 1 may be anything a server adds.
    if (code != kOk && code != kNotEvaluated) {
        return code;
    }
    if (reply.args.size() > 1 && reply.args[1].IsString()) {
        result = std::move(reply.args[1].bytes);
    } else if (code == kOk) {
        return Fail(kBadServerMessage);
    }
    return code;
}

}  // namespace mv
