// SPDX-License-Identifier: MIT
#include "dictionary/AccountFiles.h"

#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "dictionary/DatabaseType.h"
#include "platform/mv/SelectCommand.h"
#include "platform/mv/Session.h"
#include "platform/ui/Dialogs.h"

namespace dictionary {

QStringList AccountFileNames(Variables& vars) {
    QStringList names;
    // For a database type the program does not know it sends no command at all.
    if (!vars.session || !vars.session->IsActive() ||
        KindOf(vars.DatabaseType) == DatabaseKind::Neither) {
        return names;
    }
    mv::ServerCommand& command = vars.session->Command();
    // Only file pointers: a VOC also holds verbs, keywords and sentences.
    command.SetText(std::string("SSELECT VOC ") + mv::kFilePointersOnly);
    command.Exec();
    if (command.Error() != 0) {
        return names;
    }
    mv::ServerSelectList& list = vars.session->SelectList(0);
    std::string id = list.Next();
    while (!list.LastRecordRead()) {
        names << TextBridge::ToText(id);
        id = list.Next();
    }
    return names;
}

std::optional<QString> SameNameOtherCase(const QStringList& names, const QString& typed) {
    for (const QString& name : names) {
        if (name != typed && name.compare(typed, Qt::CaseInsensitive) == 0) {
            return name;
        }
    }
    return std::nullopt;
}

std::optional<QString> AskForNameInOtherCase(Variables& vars, const QStringList& names,
                                             const QString& typed) {
    const std::optional<QString> name = SameNameOtherCase(names, typed);
    if (!name) {
        return std::nullopt;
    }
    const ui::Answer answer =
        vars.dialogs.MsgBox(QStringLiteral("Did you mean %1?").arg(*name), ui::Buttons::YesNo,
                            ui::Icon::Question, ui::kProgramTitle);
    if (answer != ui::Answer::Yes) {
        return std::nullopt;
    }
    return name;
}

}  // namespace dictionary
