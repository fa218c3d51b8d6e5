// SPDX-License-Identifier: MIT
#include "server/Authenticator.h"

#include "platform/mv/ErrorCodes.h"
#include "server/PasswordHash.h"

namespace server {

Authenticator::Authenticator(std::optional<UserTable> users) : users_(std::move(users)) {
    if (users_ && !users_->Entries().empty()) {
        decoyHash_ = users_->Entries().front().second;
    }
}

int Authenticator::Check(const std::string& user, const std::string& password) const {
    if (!users_) {
        return mv::kOk;
    }
    const std::string* hash = users_->HashOf(user);
    if (hash == nullptr) {
        if (!decoyHash_.empty()) {
            [[maybe_unused]] const bool ignored = VerifyPassword(decoyHash_, password);
        }
        return mv::kBadUserName;
    }
    return VerifyPassword(*hash, password) ? mv::kOk : mv::kBadPassword;
}

}  // namespace server
