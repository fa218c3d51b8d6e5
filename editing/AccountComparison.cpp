// SPDX-License-Identifier: MIT
#include "editing/AccountComparison.h"

#include <utility>

#include "connection/Functions.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "connection/frmLogin.h"
#include "dictionary/AccountCheck.h"
#include "dictionary/ItemChange.h"
#include "dictionary/OpenDictionary.h"
#include "editing/CompileOffer.h"
#include "editing/ItemPutBack.h"
#include "editing/UnexpectedFailure.h"
#include "platform/grid/ValueMarks.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/DynamicArray.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/ServerCommand.h"
#include "platform/mv/ServerSelectList.h"
#include "platform/mv/Session.h"

namespace editing {

namespace {

const QString kTitle = QStringLiteral("Compare with another account");

struct ReadFailure {
    int code = 0;
    std::string id;  // empty when the select failed
};

// Every item of the dictionary `name`, selected through the session and read through
// `file`. An item deleted between the select and its read is simply not there.
std::optional<ReadFailure> ReadItems(mv::Session& session, mv::DictionaryFile& file,
                                     const std::string& name, core::ItemMap& items) {
    items.clear();
    mv::ServerCommand& select = session.Command();
    select.SetText("SSELECT DICT " + name);
    select.Exec();
    if (select.Error() != 0) {
        return ReadFailure{select.Error(), {}};
    }
    mv::ServerSelectList& list = session.SelectList(0);
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        file.SetRecordId(id);
        file.Read();
        if (file.Error() == mv::kRecordNotFound) {
            continue;
        }
        if (file.Error() != 0) {
            return ReadFailure{file.Error(), id};
        }
        items.emplace(id, file.Record().Text());
    }
    return std::nullopt;
}

// The changed fields as the question before a copy lists them.
QString DetailOf(const std::vector<core::FieldDifference>& fields) {
    const auto shown = [](const std::optional<std::string>& value) {
        return value ? grid::WithMarkLabels(TextBridge::ToText(*value)) : QStringLiteral("(none)");
    };
    QString detail;
    for (const core::FieldDifference& field : fields) {
        detail += QStringLiteral("Field %1 (%2)\n  here:  %3\n  there: %4\n")
                      .arg(field.number)
                      .arg(TextBridge::ToText(field.caption), shown(field.a), shown(field.b));
    }
    return detail;
}

}  // namespace

AccountComparison::AccountComparison(const dictionary::DictionaryContext& context,
                                     dictionary::DictionaryOpener& opener, CompileOffer& compile)
    : context_(context), opener_(opener), compile_(compile) {}

AccountComparison::~AccountComparison() {
    if (session_) {
        session_->Disconnect();
    }
}

QString AccountComparison::FileName() const {
    return context_.open.name;
}

bool AccountComparison::Start(QWidget* parent) {
    Variables& vars = context_.vars;
    if (!context_.open.IsOpen()) {
        vars.dialogs.MsgBox(QStringLiteral("Open a dictionary first: Compare with... compares the "
                                           "open dictionary with the dictionary of the same name "
                                           "in another account."),
                            ui::Buttons::OK, ui::Icon::Information, kTitle);
        return false;
    }
    // A login of its own: the window's session, and what it remembers for a reconnect,
    // stay as they are.
    Variables login(vars.dialogs, vars.programFolder);
    login.errorTable = vars.errorTable;
    login.sessionFactory = vars.sessionFactory;
    login.plainPasswordWarned = vars.plainPasswordWarned;
    {
        frmLogin form(login, parent);
        form.setWindowTitle(QStringLiteral("Compare ") + context_.open.name +
                            QStringLiteral(" with the dictionary of another account"));
        vars.dialogs.ShowModal(form);
    }
    vars.plainPasswordWarned = login.plainPasswordWarned;
    if (!login.LoginSucceeded || !login.session) {
        return false;
    }
    session_ = std::move(login.session);
    const QString account = TextBridge::ToText(session_->AccountPath());
    const QString host = TextBridge::ToText(session_->HostName());
    other_ = host.isEmpty() ? account : host + QLatin1Char(':') + account;

    vars.dialogs.SetHourglass(true);
    const bool read = ReadThere() && ReadHere();
    vars.dialogs.SetHourglass(false);
    if (read) {
        Compare();
    }
    return read;
}

bool AccountComparison::ReadThere() {
    const QString& name = context_.open.name;
    const std::shared_ptr<mv::DictionaryFile> file =
        session_->OpenDictionary(TextBridge::ToBytes(name));
    if (!file) {
        if (const int code = session_->Error();
            code == mv::kNoSuchDictionary || code == mv::kNoSuchFile) {
            context_.vars.dialogs.MsgBox(other_ + QStringLiteral(" has no dictionary ") + name +
                                             QStringLiteral(": there is nothing to compare."),
                                         ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
        } else {
            Show_ServerError(context_.vars, session_->Error(), name, QString(),
                             QStringLiteral("Opening it in ") + other_ + QLatin1Char('.'));
        }
        return false;
    }
    const std::optional<ReadFailure> failure =
        ReadItems(*session_, *file, TextBridge::ToBytes(name), there_);
    file->CloseFile();
    if (failure) {
        Show_ServerError(context_.vars, failure->code, name, TextBridge::ToText(failure->id),
                         QStringLiteral("Reading it in ") + other_ + QLatin1Char('.'));
        return false;
    }
    return true;
}

bool AccountComparison::ReadHere() {
    // The account as it is now, not the rows as read when the dictionary was opened.
    const dictionary::OpenDictionary& open = context_.open;
    const std::optional<ReadFailure> failure =
        ReadItems(*context_.vars.session, *open.file, TextBridge::ToBytes(open.name), here_);
    if (failure) {
        Show_ServerError(context_.vars, failure->code, open.name, TextBridge::ToText(failure->id),
                         QStringLiteral("Reading it in this account."));
        return false;
    }
    return true;
}

void AccountComparison::Compare() {
    differences_ = core::DiffDictionaries(here_, there_, TextBridge::ToBytes(context_.open.name),
                                          /*compiled=*/false);
}

std::vector<core::FieldDifference> AccountComparison::FieldsOf(
    const core::ItemDifference& item) const {
    if (item.kind == core::ItemDifference::Kind::Changed) {
        return item.fields;
    }
    // An item of one side only: its fields as a change from an empty item, which names
    // each by the column of the item's own view.
    const bool here = item.kind == core::ItemDifference::Kind::OnlyInA;
    const core::ItemMap& side = here ? here_ : there_;
    const auto found = side.find(item.id);
    if (found == side.end()) {
        return {};
    }
    std::vector<core::ItemDifference> asChange =
        core::DiffDictionaries({{item.id, std::string()}}, {{item.id, found->second}},
                               TextBridge::ToBytes(context_.open.name), /*compiled=*/false);
    if (asChange.empty()) {
        return {};
    }
    std::vector<core::FieldDifference> fields = std::move(asChange.front().fields);
    for (core::FieldDifference& field : fields) {
        field.a.reset();
        if (here) {
            std::swap(field.a, field.b);
        }
    }
    return fields;
}

bool AccountComparison::CanCopy(const std::string& id) const {
    return context_.open.IsOpen() && !context_.open.readOnly && there_.count(id) != 0;
}

bool AccountComparison::CopyHere(const std::string& id) {
    // Runs from a button of a form: a failure that throws is shown, and goes no further.
    bool done = false;
    RunGuarded(context_.vars.dialogs, [&] { done = Copy(id); });
    return done;
}

bool AccountComparison::Copy(const std::string& id) {
    ui::Dialogs& dialogs = context_.vars.dialogs;
    dictionary::OpenDictionary& open = context_.open;
    const QString itemId = TextBridge::ToText(id);
    const auto there = there_.find(id);
    if (there == there_.end()) {
        dialogs.MsgBox(itemId + QStringLiteral(" is only in this account: ") + other_ +
                           QStringLiteral(" holds nothing to copy here."),
                       ui::Buttons::OK, ui::Icon::Information, kTitle);
        return false;
    }
    if (!open.IsOpen() || open.readOnly) {
        dialogs.MsgBox(open.name + QStringLiteral(" is open read-only: nothing can be copied "
                                                  "into it."),
                       ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
        return false;
    }
    if (SettleRowsBefore(context_, QStringLiteral("choose Copy here")) ==
        RowsSettled::StillPending) {
        return false;
    }
    const auto here = here_.find(id);
    const std::optional<std::string> compared =
        here == here_.end() ? std::nullopt : std::optional<std::string>(here->second);
    std::vector<core::FieldDifference> fields;
    for (const core::ItemDifference& item : differences_) {
        if (item.id == id) {
            fields = FieldsOf(item);
        }
    }
    if (dialogs.MsgBoxWithDetail(QStringLiteral("Save ") + itemId + QStringLiteral(" here as ") +
                                     other_ + QStringLiteral(" holds it?"),
                                 ui::Buttons::YesNo, ui::Icon::Question, ui::kProgramTitle,
                                 DetailOf(fields)) != ui::Answer::Yes) {
        return false;
    }
    const std::string record = there->second;
    // Written over without asking only when the account still holds what was compared.
    const bool done =
        PutBackItem(context_, opener_, id, record, dictionary::ChangeOrigin::Copy, compared);
    if (done && CompileOffer::Wanted(mv::DynamicArray(record).FieldValue(1))) {
        compile_.Offer(itemId);
    }
    // Whatever happened, the list shows what the account holds now.
    if (open.file) {
        const dictionary::AccountItem now = dictionary::ReadFromAccount(*open.file, id);
        if (now.error == 0 && now.record) {
            here_[id] = now.record->Text();
        } else if (now.error == 0) {
            here_.erase(id);
        }
    }
    Compare();
    if (done) {
        context_.screen.ShowStatus(
            QStringLiteral("Copied ") + itemId + QStringLiteral(" from ") + other_,
            dictionary::kNoteShownMs);
    }
    return done;
}

}  // namespace editing
