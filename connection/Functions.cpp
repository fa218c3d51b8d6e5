// SPDX-License-Identifier: MIT
#include "connection/Functions.h"

#include <QFile>

#include "connection/Variables.h"
#include "core/DataFiles.h"

QString ErrorTablePath(const Variables& vars) {
    return QFile::decodeName(core::DataFilePath(QFile::encodeName(vars.programFolder).toStdString(),
                                                core::kConstantsFileName)
                                 .c_str());
}

bool Load_ErrorTable(Variables& vars) {
    return vars.errorTable.Load(QFile::encodeName(ErrorTablePath(vars)).toStdString());
}

std::optional<QString> ErrorName(const Variables& vars, int code) {
    const std::optional<std::string> name = vars.errorTable.Name(code);
    if (!name) {
        return std::nullopt;
    }
    return QString::fromLatin1(name->data(), static_cast<qsizetype>(name->size()));
}

QString ErrorClassText(int code) {
    // Tested from the top; the first range that holds the code names its class.
    if (code >= 80000) {
        return QStringLiteral("UNIRPC Error");
    }
    if (code >= 40000) {
        return QStringLiteral("OLE Automation Error");
    }
    if (code >= 39100) {
        return QStringLiteral("Client/Server Interface Error");
    }
    if (code >= 39000) {
        return QStringLiteral("interCALL Server Error");
    }
    if (code >= 31200) {
        return QStringLiteral("Error in client library, ICI");
    }
    if (code == 31100) {
        return QStringLiteral("CLEARFILE Error");
    }
    if (code >= 31000) {
        return QStringLiteral("File OPEN Error");
    }
    if (code >= 30000) {
        return QStringLiteral("Generic and Visible File System Error");
    }
    if (code >= 14560) {
        return QStringLiteral("Error in virtual socket libraries");
    }
    if (code >= 14000) {
        return QStringLiteral("Error in C library on PC");
    }
    if (code >= 11000) {
        return QStringLiteral("Error in library routine call");
    }
    if (code >= 10000) {
        return QStringLiteral("INFORMATION Error");
    }
    return QString();
}

QString WithDetail(QString message, const QString& detail) {
    if (!detail.isEmpty()) {
        message += QLatin1Char('\n') + detail.left(1).toUpper() + detail.mid(1);
    }
    return message;
}

void Show_ServerError(Variables& vars, int code, const QString& fileName, const QString& recordId,
                      const QString& detail) {
    QString message = ErrorName(vars, code).value_or(QStringLiteral("Unidentified Error"));
    if (!fileName.isEmpty()) {
        message += QStringLiteral(" -->File: ") + fileName;
        if (!recordId.isEmpty()) {
            message += QStringLiteral(" -->Record: ") + recordId;
        }
    }
    vars.dialogs.MsgBox(WithDetail(message, detail), ui::Buttons::OK, ui::Icon::Critical,
                        ErrorClassText(code));
}
