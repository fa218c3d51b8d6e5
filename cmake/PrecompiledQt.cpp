// SPDX-License-Identifier: MIT
// The object the screen libraries' shared precompiled header is made for; it holds no code.
