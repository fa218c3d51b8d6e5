// SPDX-License-Identifier: MIT
// The object the tests' shared precompiled header is made for; it holds no code.
