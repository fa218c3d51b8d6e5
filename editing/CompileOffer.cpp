// SPDX-License-Identifier: MIT
#include "editing/CompileOffer.h"

#include <string>
#include <vector>

#include "dictionary/AccountCheck.h"
#include "dictionary/ConnectionRecovery.h"
#include "dictionary/FileNameCheck.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ShownItems.h"

#include "connection/Reconnect.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "platform/mv/DescriptorCheck.h"
#include "platform/mv/Session.h"
#include "platform/ui/Hourglass.h"

namespace editing {

void CompileOffer::Offer(const QString& itemId) {
    if (vars_.dialogs.MsgBoxWithDetail(
            QStringLiteral("Do you want to compile the I-descriptor now?"), ui::Buttons::YesNo,
            ui::Icon::None, QStringLiteral("Compile necessary!"),
            QStringLiteral("Compile ") + itemId + QStringLiteral("?")) != ui::Answer::Yes) {
        return;
    }
    const QString text = QStringLiteral("CD ") + open_.name + QLatin1Char(' ') + itemId;
    if (!dictionary::RequireByteFileName(vars_, text, QStringLiteral("Nothing was compiled."))) {
        return;
    }
    const std::optional<QString> answer = Run(text);
    ReadBack(itemId);
    if (answer) {
        screen_.ShowCompileAnswer(*answer);
    }
}

void CompileOffer::CompileAll() {
    if (!open_.IsOpen()) {
        vars_.dialogs.MsgBox(QStringLiteral("No dictionary is open. Type the name of a file and "
                                            "press Open first."),
                             ui::Buttons::OK, ui::Icon::Exclamation, ui::kProgramTitle);
        return;
    }
    const QString text = QStringLiteral("CD ") + open_.name;
    if (!dictionary::RequireByteFileName(vars_, text, QStringLiteral("Nothing was compiled."))) {
        return;
    }
    const ui::Hourglass hourglass(vars_.dialogs);
    const std::optional<QString> answer = Run(text);
    // CD stores the compiled form in each item it compiled: every descriptor is read
    // back, so none of them looks like someone else's change at its next save.
    std::vector<std::string> descriptors;
    open_.views->Records().ForEach(
        [&descriptors](const std::string& id, const std::string& record) {
            const std::string code = mv::TypeCodeOfRecord(record);
            if (code == "I" || code == "V") {
                descriptors.push_back(id);
            }
        });
    for (const std::string& id : descriptors) {
        ReadBack(TextBridge::ToText(id));
    }
    if (answer) {
        screen_.ShowCompileAnswer(*answer);
    }
}

std::optional<QString> CompileOffer::Run(const QString& text) {
    // A compile stores the same compiled form however often it runs: after a new login
    // it simply runs again.
    for (;;) {
        mv::ServerCommand& command = vars_.session->Command();
        command.SetText(TextBridge::ToBytes(text));
        command.Exec();
        if (const int code = command.Error(); code != 0) {
            ShowCallError(vars_, code, QStringLiteral("Command"),
                          TextBridge::ToText(command.Text()));
            if (ConnectionDropped(vars_, code) &&
                dictionary::RecoverConnection({vars_, open_, screen_})) {
                continue;
            }
            return std::nullopt;
        }
        return TextBridge::ToText(command.Response());
    }
}

void CompileOffer::ReadBack(const QString& itemId) {
    if (!open_.IsOpen()) {
        return;
    }
    const std::string id = TextBridge::ToBytes(itemId);
    const dictionary::AccountItem now = dictionary::ReadFromAccount(*open_.file, id);
    // Runs inside the grid's notification: rows may change their cells, never leave the
    // array. An item gone by now is found at the next write.
    if (now.error == 0 && now.Exists()) {
        dictionary::ShownItems(open_, screen_.Grids()).Show(id, *now.record);
    }
}

}  // namespace editing
