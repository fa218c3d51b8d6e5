// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mv/Backend.h"
#include "platform/mv/RecordLocks.h"

namespace mv {

// CD file [item ...]: compiles the named I- and V-descriptors of the file's dictionary,
// or all of them when no item is named.
struct CompileCommand {
    std::string fileName;            // exactly as written
    std::vector<std::string> items;  // split on blanks, each once, in the order written
    std::string itemText;            // everything after the file name and one blank
};

// True when the verb of text is CD, in any letter case.
bool IsCompileCommand(std::string_view text);

// kOk, or kCommandSyntax with one line in message when no file is named.
int ParseCompileCommand(std::string_view text, CompileCommand& command, std::string& message);

// Runs the command on the dictionary directory dirFd. Each compiled item is replaced
// atomically and `replaced` is told its file name; an item that fails to compile is left
// as it was. Each write-back happens under the item's record lock in locks (taken
// unless the session holds it already; none when locks is null), and is of the bytes
// the item holds then: an item changed since the dictionary was read is compiled again
// from its new bytes, one deleted meanwhile is not written, and one another session
// holds is reported and left alone. Error is 0 once the command ran, whatever the expressions held;
// a named item that does not exist gives kRecordNotFound and compiles nothing (an item id holding
// blanks is found when the whole text after the file name names it). Running out of memory
// gives kOutOfMemory, with the lines of the items handled before it.
CommandResult RunCompileCommand(int dirFd, const CompileCommand& command,
                                const std::function<DictionaryLocks*()>& locks,
                                const std::function<void(const std::string&)>& replaced);

}  // namespace mv
