// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

#include <QString>

struct MainControls;
struct Variables;

namespace editing {

// After an I or V item was written: offers to compile it with the server's CD command
// and shows the server's answer in txtResult.
class CompileOffer {
public:
    CompileOffer(Variables& vars, MainControls& controls) : vars_(vars), controls_(controls) {}

    // True for a field 1 that is exactly "I" or exactly "V": only such an item is offered.
    static bool Wanted(std::string_view field1) { return field1 == "I" || field1 == "V"; }

    // Asks, then runs "CD <file name as typed in txtFilename> <itemId>".
    void Offer(const QString& itemId);

private:
    void ShowResponse(const QString& response);

    Variables& vars_;
    MainControls& controls_;
};

}  // namespace editing
