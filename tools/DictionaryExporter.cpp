// SPDX-License-Identifier: MIT
#include "tools/DictionaryExporter.h"

#include <QDir>
#include <QFile>

#include "connection/Functions.h"
#include "connection/Reconnect.h"
#include "connection/TextBridge.h"
#include "connection/Variables.h"
#include "core/DatabaseKind.h"
#include "core/ListingExport.h"
#include "core/ListingFile.h"
#include "dictionary/ConnectionRecovery.h"
#include "dictionary/DatabaseType.h"
#include "dictionary/FileNameCheck.h"
#include "dictionary/OpenDictionary.h"
#include "dictionary/ProgressNote.h"
#include "platform/mv/Session.h"
#include "platform/ui/Hourglass.h"
#include "tools/ToolSupport.h"

namespace tools {

namespace {

std::filesystem::path NativePath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::filesystem::path(
        std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString Items(long long count) {
    return count == 1 ? QStringLiteral("1 item") : QStringLiteral("%1 items").arg(count);
}

}  // namespace

void DictionaryExporter::cmdExport_Click() {
    if (!RequireOpenDictionary(vars_, open_)) {
        return;
    }
    const std::optional<core::DatabaseKind> kind =
        core::KindOf(TextBridge::ToBytes(vars_.DatabaseType));
    if (!kind) {
        vars_.dialogs.MsgBox(dictionary::UnknownTypeMessage(vars_.DatabaseType), ui::Buttons::OK,
                             ui::Icon::Exclamation, ui::kProgramTitle);
        return;
    }
    const QString fileName = open_.name;
    if (!dictionary::RequireByteFileName(vars_, fileName)) {
        return;
    }
    const std::optional<QString> chosen =
        vars_.dialogs.SaveFileName(QString(), QString(), QString());
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    screen_.ShowStatus(QString());  // no earlier export may look like this one's result
    // A connection that drops ends this export with the file untouched; after a new login
    // the export runs once more from the start.
    if (ExportTo(*kind, *chosen) == Outcome::ConnectionLost &&
        dictionary::RecoverConnection(context_)) {
        ExportTo(*kind, *chosen);
    }
}

DictionaryExporter::Outcome DictionaryExporter::ExportTo(core::DatabaseKind kind,
                                                         const QString& path) {
    const QString fileName = open_.name;
    exporting::ListingCounts counts;
    bool written = false;
    std::string failure;
    {
        const ui::Hourglass hourglass(vars_.dialogs);
        mv::Session& session = *vars_.session;
        // The select comes before the file is touched: a select that fails leaves an
        // existing file as it was, rather than replaced by a listing of nothing.
        const int code = exporting::SelectItems(session, kind, TextBridge::ToBytes(fileName));
        if (code != 0) {
            ShowCallError(vars_, code, QString(), TextBridge::ToText(session.Command().Text()));
            return ConnectionDropped(vars_, code) ? Outcome::ConnectionLost : Outcome::Failed;
        }
        exporting::ListingFile output(NativePath(path));
        if (!output.Open()) {
            ReportFileFailure(QStringLiteral("The export file %1 cannot be created: %2."), path,
                              output.Failure());
            return Outcome::Failed;
        }
        dictionary::ProgressNote progress(
            vars_.dialogs, QStringLiteral("Exporting the dictionary: %1 items read"));
        counts = exporting::WriteListing(session.SelectList(0), *open_.file, output,
                                         [&progress](long long listed) { progress.Step(listed); });
        if (SessionDropped(vars_)) {
            // The items after the drop could not be read: the listing is not committed.
            ShowCallError(vars_, open_.file->Error(), fileName,
                          TextBridge::ToText(open_.file->RecordId()));
            return Outcome::ConnectionLost;
        }
        written = !counts.sinkFailed && output.Commit();
        if (!written) {
            failure = output.Failure();
        }
    }
    if (!written) {
        ReportFileFailure(QStringLiteral("The export file %1 could not be written: %2. The export "
                                         "did not finish."),
                          path, failure);
        return Outcome::Failed;
    }
    QString done = QStringLiteral("%1 exported to %2")
                       .arg(Items(counts.written), QDir::toNativeSeparators(path));
    if (counts.listed > counts.written) {
        done += QStringLiteral("; %1 could not be read").arg(Items(counts.listed - counts.written));
    }
    screen_.ShowStatus(done);
    return Outcome::Done;
}

void DictionaryExporter::ReportFileFailure(const QString& message, const QString& path,
                                           const std::string& reason) {
    vars_.dialogs.MsgBox(
        message.arg(QDir::toNativeSeparators(path),
                    QString::fromLocal8Bit(reason.data(), static_cast<qsizetype>(reason.size()))),
        ui::Buttons::OK, ui::Icon::Critical, ui::kProgramTitle);
}

}  // namespace tools
