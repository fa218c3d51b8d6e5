// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include <QString>

namespace dictionary {

class RecordsAsRead;

// Which items of a dictionary name which: the items each I or V expression names
// directly (resolved as the compiler resolves them), and the words of each phrase (PH
// item) that are items of the dictionary. Worked out once from the records as read; a
// changed record needs a new one (ViewSet::CurrentDependencies).
class Dependencies {
public:
    struct User {
        std::string id;
        bool phrase = false;  // a PH item; else an I or V item

        bool operator==(const User&) const = default;
    };

    Dependencies() = default;
    explicit Dependencies(const RecordsAsRead& records);

    // The I and V items that name id, then the phrases, each in order of their ids. An
    // item that names itself is not its own user.
    const std::vector<User>& UsedBy(const std::string& id) const;
    // The items id names, each once, in the order first named.
    const std::vector<std::string>& Uses(const std::string& id) const;

private:
    std::unordered_map<std::string, std::vector<User>> usedBy_;
    std::unordered_map<std::string, std::vector<std::string>> uses_;
};

// The users in words, as a sentence names them: "LINE.VALUE, V.ITEM and the phrase
// LINES". Empty for none.
QString UsersInWords(const std::vector<Dependencies::User>& users);

// The names in words: "QTY, PRICE and TOTAL". Empty for none.
QString NamesInWords(const std::vector<std::string>& names);

}  // namespace dictionary
