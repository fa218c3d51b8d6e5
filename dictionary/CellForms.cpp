// SPDX-License-Identifier: MIT
#include "dictionary/CellForms.h"

#include <QRegularExpression>

#include "core/Classification.h"
#include "dictionary/Classification.h"
#include "dictionary/ViewLayout.h"
#include "platform/grid/ValueMarks.h"

namespace dictionary {

namespace {

bool Matches(const QRegularExpression& pattern, const QString& text) {
    return pattern.match(text).hasMatch();
}

QRegularExpression Whole(const char* pattern) {
    return QRegularExpression(QStringLiteral("\\A(?:") + QString::fromLatin1(pattern) +
                              QStringLiteral(")\\z"));
}

// Width, an optional fill character, the justification, then decimals and edit codes,
// then an optional mask of #, * or % places with literal text (in brackets or not). The
// width may be left out when a mask gives it.
bool IsFormatCode(const QString& text) {
    static const QRegularExpression withWidth =
        Whole("[0-9]+[^A-Za-z0-9]?[LRTCU][0-9]{0,2}[$,ZCDMEN]*(.*[#*%].*)?");
    static const QRegularExpression maskOnly = Whole("[LRTCU][0-9]{0,2}[$,ZCDMEN]*.*[#*%].*");
    return Matches(withWidth, text) || Matches(maskOnly, text);
}

// One conversion code, in the forms the servers document for field 3 and the common
// ones beside them.
bool IsConversionCode(const QString& code) {
    static const QRegularExpression forms[] = {
        // Dates: D, digits of the year, a separator, the order of the parts, options,
        // and the lengths of the parts in brackets (D4/, D-YMD, D2DMYL[,A3], DI).
        Whole("D[0-4]?[^A-Za-z0-9\\[\\]]?[YMDWQJAELIZ]*[^A-Za-z0-9\\[\\]]?(\\[[^\\]]*\\])?"),
        // Masked decimals: MD, MR or ML, decimals and scaling, then edit options, fill
        // and a mask (MD2, MR22, MD2$, MD0,, MD00P, MR2#10).
        Whole("M[DRL][0-9]{0,2}[$,.ZCDMENPFT<>%#*0-9\\-]*"),
        // Times (MT, MTH, MTS, MTHS, with a separator).
        Whole("MT[HS]{0,2}[^A-Za-z0-9]?"),
        // Text cases and filters (MCU, MCL, MCT, MCA, MC/N, MCDX, MCC;x;y ...).
        Whole("MC(U|L|T|A|/A|N|/N|B|/B|P|DX?|XD?|C;.*)"),
        // Hexadecimal, octal, binary, packed decimal, ASCII and EBCDIC.
        Whole("M(X|O|B|P|Y|U0C)(0C|C)?"),
        // A group of fields: fields to skip, the delimiter, how many (G0*1, G1.2).
        Whole("G[0-9]*[^0-9][0-9]+"),
        // Translation from a file (Tfile;code;in;out, TDICT file...), or text
        // extraction (T3, T1,5).
        Whole("T(DICT )?[^;]+;[CIVX][0-9]*;[0-9]*;[0-9]*"),
        Whole("T[0-9]+(,[0-9]+)?"),
        // Pattern match, length, range.
        Whole("P\\(.*\\)(;\\(.*\\))*"),
        Whole("L[0-9]+(,[0-9]+)?"),
        Whole("R-?[0-9]+(\\.[0-9]+)?,-?[0-9]+(\\.[0-9]+)?(;-?[0-9]+(\\.[0-9]+)?,-?[0-9]+(\\.[0-9]+)"
              "?)*"),
        // Correlatives: function, arithmetic, substitution, concatenation, user exit.
        Whole("F;.+"),
        Whole("A[0-9]*[; ].+"),
        Whole("S;.*"),
        Whole("C;.+"),
        Whole("U[0-9A-Fa-f]{4}"),
        // A conversion of the account's own, named in brackets ([DATE,4], [NUMBER,3]).
        Whole("\\[[^\\]]+\\]"),
    };
    for (const QRegularExpression& form : forms) {
        if (Matches(form, code)) {
            return true;
        }
    }
    return false;
}

// Several conversions stand in one field as its values; each must be a conversion code.
bool IsConversionField(const QString& text) {
    for (const QString& value : text.split(grid::kValueMark)) {
        const QString code = value.trimmed();
        if (!code.isEmpty() && !IsConversionCode(code)) {
            return false;
        }
    }
    return true;
}

QString KnownTypes(ViewKind view) {
    switch (view) {
        case ViewKind::AS:
            return QStringLiteral("A or S");
        case ViewKind::PH:
            return QStringLiteral("PH");
        case ViewKind::DIV:
            return QStringLiteral("D, I or V");
        case ViewKind::Other:
            break;
    }
    return QStringLiteral("X, or another type code");
}

std::optional<QString> CheckTypeCode(ViewKind view, const QString& field1) {
    const QString code = TypeCode(field1);
    if (code.isEmpty()) {
        return QStringLiteral("A type code is expected first in this cell: ") + KnownTypes(view) +
               QStringLiteral(" in this tab.");
    }
    // An id that differs from the file name, so the item is never the file's own descriptor.
    const std::optional<ViewKind> placed =
        core::Classify(code.toLatin1().toStdString(), "item", "").view;
    if (view != ViewKind::Other && placed != view) {
        return QStringLiteral("This tab holds items of type ") + KnownTypes(view) +
               QStringLiteral(": an item of type \"") + code +
               QStringLiteral("\" is shown in another tab once it is saved.");
    }
    return std::nullopt;
}

}  // namespace

CellForm FormOfCell(ViewKind view, int column, const QString& typeCode) {
    if (column == kTypeColumn) {
        return CellForm::TypeCode;
    }
    switch (view) {
        case ViewKind::DIV:
            if (column == kLocationColumn) {
                return typeCode == QLatin1String("D") ? CellForm::Location : CellForm::Any;
            }
            if (column == kDivConversionColumn) {
                return CellForm::Conversion;
            }
            if (column == kDivFormatColumn) {
                return CellForm::Format;
            }
            if (column == kDivSingleMultipleColumn) {
                return CellForm::SingleMultiple;
            }
            return CellForm::Any;
        case ViewKind::AS:
            // The A/S view's "S / M" column holds other things in real dictionaries
            // (a format, a 0): it is offered S and M, but not checked.
            if (column == kAsConversionColumn) {
                return CellForm::Conversion;
            }
            if (column == kAsJustificationColumn) {
                return CellForm::Justification;
            }
            if (column == kAsWidthColumn) {
                return CellForm::Width;
            }
            return CellForm::Any;
        case ViewKind::PH:
        case ViewKind::Other:
            break;
    }
    return CellForm::Any;
}

std::optional<QString> CheckForm(CellForm form, ViewKind view, const QString& text) {
    static const QRegularExpression wholeNumber = Whole("[0-9]+");
    static const QRegularExpression singleMultiple = Whole("S|M|MV|MS");
    static const QRegularExpression justification = Whole("[LRTUC]");
    switch (form) {
        case CellForm::Any:
            return std::nullopt;
        case CellForm::TypeCode:
            return CheckTypeCode(view, text);
        case CellForm::Location:
            if (Matches(wholeNumber, text)) {
                return std::nullopt;
            }
            return QStringLiteral(
                "A D item's location is the number of its field: a whole number, 0 for the "
                "item id.");
        case CellForm::Format:
            if (text.trimmed().isEmpty() || IsFormatCode(text)) {
                return std::nullopt;
            }
            return QStringLiteral(
                "A format is expected: the width, then the justification L, R, T or C, "
                "then an optional mask (10L, 8R, 20T, 5R#####, 12L(###)###-####).");
        case CellForm::Conversion:
            if (IsConversionField(text)) {
                return std::nullopt;
            }
            return QStringLiteral(
                "A conversion code is expected in each value: a date (D, D2/, D4-, D-YMD), "
                "a masked decimal (MD2, MR2, ML0,$), a group (G0*1), a translation "
                "(TFILE;X;;1), a text case (MCU, MCL, MCT), a time (MT, MTS), or another "
                "code of the server (P, L, R, F, A, S, C, MX, MO, MB, MP).");
        case CellForm::SingleMultiple:
            if (text.isEmpty() || Matches(singleMultiple, text)) {
                return std::nullopt;
            }
            return QStringLiteral("S (one value) or M (multivalued) is expected.");
        case CellForm::Justification:
            if (text.isEmpty() || Matches(justification, text)) {
                return std::nullopt;
            }
            return QStringLiteral("One letter is expected: L, R, T, U or C.");
        case CellForm::Width:
            if (text.isEmpty() || Matches(wholeNumber, text)) {
                return std::nullopt;
            }
            return QStringLiteral("A width is expected: a whole number of characters.");
    }
    return std::nullopt;
}

std::optional<QString> CheckCell(ViewKind view, int column, const QString& text,
                                 const QString& typeField) {
    return CheckForm(FormOfCell(view, column, TypeCode(typeField)), view, text);
}

}  // namespace dictionary
