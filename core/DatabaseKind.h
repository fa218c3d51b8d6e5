// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace core {

// The two databases whose dictionaries can be listed; the select differs between them.
enum class DatabaseKind { UniVerse, UniData };

// The database type as typed at login, compared without regard to case; nullopt for a
// type that is neither, for which no select is known.
std::optional<DatabaseKind> KindOf(std::string_view databaseType);

// The command that selects every item of the dictionary of fileName (taken as it is) in
// the order the program shows them.
std::string SelectCommandFor(DatabaseKind kind, std::string_view fileName);

}  // namespace core
