// SPDX-License-Identifier: MIT
#pragma once

#include "cli/Environment.h"

namespace cli {

struct CommandLine;

// diff and a plan answer as diff(1) does: kExitOk when there is nothing to do, these
// otherwise. A real apply or load answers kExitOk when every item was written, and
// kExitError when it stopped.
inline constexpr int kExitDiffer = 1;  // the dictionaries differ: a plan has work to do
inline constexpr int kExitError = 2;

// The commands that keep a dictionary as code. Each reads its places from the command
// line's arguments and reports failures itself.

// dump PLACE FILE DIR: the dictionary into DIR as one text file per item.
int RunDump(const CommandLine& line, const Environment& env);
// diff PLACE_A PLACE_B FILE [--json] [--compiled] [--exact]: 0 when equal, 1 when they
// differ, 2 on error.
int RunDiff(const CommandLine& line, const Environment& env);
// apply FROM TO FILE [--plan] [--delete] [--compiled] [--merge] [--exact], and load DIR
// PLACE FILE [--plan] [--exact] (an apply from a dump that deletes nothing): with --plan,
// exit statuses as diff; a real run 0 when all was written (or nothing was to be), 2 when
// it stopped.
int RunApply(const CommandLine& line, const Environment& env);
// equates PLACE FILE [--prefix P] [--out FILE | --check FILE].
int RunEquates(const CommandLine& line, const Environment& env);
// list PLACE FILE [FIELD ...] [--id ID]... [--sample N] [--tsv]: the records as the
// descriptors show them; 1 when a value could not be worked out, 2 for an unknown name.
int RunList(const CommandLine& line, const Environment& env);
// history PLACE FILE [ID] [--json]: everyone's changes of the dictionary's items (or of
// one), newest first, each with its user, time, origin and changed fields; 2 on error.
int RunHistory(const CommandLine& line, const Environment& env);

}  // namespace cli
