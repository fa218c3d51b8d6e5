// SPDX-License-Identifier: MIT
#include "platform/mv/SelectCommand.h"

#include "platform/mv/CommandWords.h"
#include "platform/mv/ErrorCodes.h"

namespace mv {
namespace {

std::string Quoted(std::string_view word) {
    std::string quoted(1, '"');
    quoted += word;
    quoted += '"';
    return quoted;
}

}  // namespace

int ParseSelectCommand(std::string_view text, SelectCommand& command, std::string& message) {
    command = SelectCommand{};
    message.clear();
    const std::vector<std::string_view> words = SplitOnBlanks(text);
    if (words.empty()) {
        message = "No command was given.";
        return kUnknownCommand;
    }
    const std::string verb = UpperCase(words[0]);
    if (verb != "SSELECT" && verb != "SELECT") {
        message =
            "Unknown command " + Quoted(words[0]) + ": the engine runs SSELECT, SELECT and CD.";
        return kUnknownCommand;
    }
    if (words.size() >= 2 && UpperCase(words[1]) == "VOC") {
        // The engine's VOC holds file pointers only, so the selection of the file
        // pointers (F and Q items) is the whole of it.
        std::string clauses;
        for (std::size_t i = 2; i < words.size(); ++i) {
            clauses += (i > 2 ? " " : "") + UpperCase(words[i]);
        }
        if (!clauses.empty() && clauses != kFilePointersOnly) {
            message = verb + " VOC takes no clause but " + kFilePointersOnly + ".";
            return kCommandSyntax;
        }
        command.listsFiles = true;
        command.sortById = true;
        command.fileName = "VOC";
        return kOk;
    }
    if (words.size() < 2 || UpperCase(words[1]) != "DICT") {
        message = verb + " needs DICT before the file name: only dictionaries can be selected.";
        return kCommandSyntax;
    }
    if (words.size() < 3) {
        message = verb + " DICT needs a file name.";
        return kCommandSyntax;
    }
    command.sortById = verb == "SSELECT";
    command.fileName = std::string(words[2]);
    for (std::size_t i = 3; i < words.size(); i += 2) {
        const std::string keyword = UpperCase(words[i]);
        if (keyword != "BY" && keyword != "BY.DSND") {
            message = "Unexpected word " + Quoted(words[i]) +
                      ": only BY and BY.DSND clauses may follow the file name.";
            return kCommandSyntax;
        }
        if (i + 1 >= words.size()) {
            message = keyword + " needs a name after it.";
            return kCommandSyntax;
        }
        SortKey key;
        if (!ResolveSortName(words[i + 1], key)) {
            message = Quoted(words[i + 1]) +
                      " is not a name to sort by: use @ID, F1 to F99, TYPE, LOC or RLOCATION.";
            return kUnknownSortName;
        }
        key.descending = keyword == "BY.DSND";
        command.keys.push_back(key);
    }
    return kOk;
}

}  // namespace mv
