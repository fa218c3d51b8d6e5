// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

namespace app {

// The section of the help file about the control that has the focus (or the control it
// lies in): the anchor name of its heading, or empty for the contents.
QString HelpAnchorFor(const QWidget* focus);

}  // namespace app
