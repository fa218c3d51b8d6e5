// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "cli/DumpFolder.h"
#include "cli/Environment.h"
#include "cli/Place.h"

namespace mv {
class DictionaryFile;
class Session;
}  // namespace mv

namespace cli {

struct CommandLine;

// Connects session to an account folder or a server place. The user's password for a
// server comes from KELVORA_PASSWORD, or for the second server of a command (second)
// from KELVORA_PASSWORD_TO, else it is asked on the terminal. Reports a failure itself.
bool ConnectPlace(mv::Session& session, const Place& place, const CommandLine& line,
                  const Environment& env, bool second);

// Reads every item of the dictionary of fileName through session: the sorted select,
// then one read each (which a server's read-ahead serves). The open file is left in
// *opened when asked for. Reports a failure itself, naming the item that could not be read.
bool ReadDictionary(mv::Session& session, const std::string& fileName, ItemMap& items,
                    const Environment& env, std::shared_ptr<mv::DictionaryFile>* opened = nullptr);

// Reads the items of the open dictionary file whose ids select list 0 holds, in list
// order (which a server's read-ahead serves). Reports a failure itself.
bool ReadSelectedItems(mv::Session& session, mv::DictionaryFile& file, ItemMap& items,
                       const Environment& env);

// The items of the dictionary of fileName at place, whichever kind it is.
bool ReadPlace(const Place& place, const std::string& fileName, const CommandLine& line,
               const Environment& env, bool second, ItemMap& items);

// The items of the dictionary of fileName at the place placeText names; a malformed
// place is reported like a failed read.
bool ReadPlaceNamed(const std::string& placeText, const std::string& fileName,
                    const CommandLine& line, const Environment& env, ItemMap& items);

}  // namespace cli
