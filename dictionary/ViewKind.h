// SPDX-License-Identifier: MIT
#pragma once

#include "core/ViewKind.h"

namespace dictionary {

using core::IsViewIndex;
using core::kViewCount;
using core::ViewAt;
using core::ViewIndex;
using core::ViewKind;

}  // namespace dictionary
