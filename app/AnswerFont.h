// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

namespace app {

// A font in which every character takes the same width, for the compiler's answer:
// it marks the place of an error with a caret under the expression. The system's fixed
// font is taken when it is one; otherwise the first installed family that is.
QFont AnswerFont();

// True when narrow and wide characters, blanks and punctuation all take the same width.
bool HasEqualAdvances(const QFont& font);

}  // namespace app
