// SPDX-License-Identifier: MIT
#include "platform/mv/ServerSelectList.h"

namespace mv {

void ServerSelectList::Fill(std::vector<std::string> ids) {
    ids_ = std::move(ids);
    position_ = 0;
    lastRecordRead_ = false;
    error_ = 0;
}

void ServerSelectList::Clear() {
    Fill({});
}

std::string ServerSelectList::Next() {
    error_ = 0;
    if (position_ >= ids_.size()) {
        lastRecordRead_ = true;
        return {};
    }
    // Each id is handed out once, so it can be moved out rather than copied.
    return std::move(ids_[position_++]);
}

}  // namespace mv
