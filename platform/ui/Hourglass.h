// SPDX-License-Identifier: MIT
#pragma once

#include "platform/ui/Dialogs.h"

namespace ui {

// The hourglass pointer for the life of the object, however the work ends.
class Hourglass {
public:
    explicit Hourglass(Dialogs& dialogs) : dialogs_(dialogs) { dialogs_.SetHourglass(true); }
    ~Hourglass() { dialogs_.SetHourglass(false); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    Dialogs& dialogs_;
};

}  // namespace ui
