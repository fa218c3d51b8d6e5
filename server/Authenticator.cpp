// SPDX-License-Identifier: MIT
#include "server/Authenticator.h"

#include "platform/mv/ErrorCodes.h"
#include "server/PasswordHash.h"

namespace server {

int Authenticator::Check(const std::string& user, const std::string& password) const {
    if (!users_) {
        return mv::kOk;
    }
    const std::string* hash = users_->HashOf(user);
    if (hash == nullptr) {
        return mv::kBadUserName;
    }
    return VerifyPassword(*hash, password) ? mv::kOk : mv::kBadPassword;
}

}  // namespace server
