// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

#include <QString>

#include "dictionary/DictionaryScreen.h"

namespace editing {

// After an I or V item was written: offers to compile it with the server's CD command
// and shows the server's answer in txtResult. The compiled form CD stores in the item is
// read back, so it never looks like someone else's change.
class CompileOffer {
public:
    explicit CompileOffer(const dictionary::DictionaryContext& context)
        : vars_(context.vars), open_(context.open), screen_(context.screen) {}

    // True for a field 1 that is exactly "I" or exactly "V": only such an item is offered.
    static bool Wanted(std::string_view field1) { return field1 == "I" || field1 == "V"; }

    // Asks, then runs "CD <open file> <itemId>".
    void Offer(const QString& itemId);
    // Runs "CD <open file>", which compiles every I and V item of the dictionary, and
    // shows the answer; the compiled items are read back.
    void CompileAll();

private:
    // Runs the command, logging in again when the connection dropped and the user wants
    // to; the answer, or nullopt after a failure the user was shown.
    std::optional<QString> Run(const QString& text);
    void ReadBack(const QString& itemId);

    Variables& vars_;
    dictionary::OpenDictionary& open_;
    dictionary::DictionaryScreen& screen_;
};

}  // namespace editing
