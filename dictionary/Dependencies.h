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
// item) that are items of the dictionary. Worked out from the records as read, and
// brought up to date for the items that changed (ViewSet::CurrentDependencies).
class Dependencies {
public:
    struct User {
        std::string id;
        bool phrase = false;  // a PH item; else an I or V item

        bool operator==(const User&) const = default;
    };

    Dependencies() = default;
    explicit Dependencies(const RecordsAsRead& records);
    // After the items `changed` were remembered or forgotten: works out again what they
    // and the items that looked them up name.
    void Update(const RecordsAsRead& records, const std::vector<std::string>& changed);

    // The I and V items that name id, then the phrases, each in order of their ids. An
    // item that names itself is not its own user.
    const std::vector<User>& UsedBy(const std::string& id) const;
    // The items id names, each once, in the order first named.
    const std::vector<std::string>& Uses(const std::string& id) const;

private:
    // Works out what the descriptors and phrases among ids name; their users unsorted.
    void Add(const RecordsAsRead& records, const std::vector<std::string>& ids);
    void Remove(const std::string& id);
    void Note(const std::string& id, std::vector<std::string> names, bool phrase,
              std::vector<std::string> lookedUp);
    void SortUsers(std::vector<User>& users);

    std::unordered_map<std::string, std::vector<User>> usedBy_;
    std::unordered_map<std::string, std::vector<std::string>> uses_;
    // The names each descriptor or phrase looked up, found or not, and the other way.
    std::unordered_map<std::string, std::vector<std::string>> lookedUp_;
    std::unordered_map<std::string, std::vector<std::string>> lookedUpBy_;
};

// The users in words, as a sentence names them: "LINE.VALUE, V.ITEM and the phrase
// LINES". Empty for none.
QString UsersInWords(const std::vector<Dependencies::User>& users);

// The names in words: "QTY, PRICE and TOTAL". Empty for none.
QString NamesInWords(const std::vector<std::string>& names);

}  // namespace dictionary
