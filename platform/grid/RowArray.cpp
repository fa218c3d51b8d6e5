// SPDX-License-Identifier: MIT
#include "platform/grid/RowArray.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace grid {

namespace {

// A row's first byte says how its characters are kept; a row never written is empty.
constexpr char kOneByte = 'L';
constexpr char kTwoBytes = 'W';

void AppendLength(std::string& out, std::size_t length) {
    while (length >= 0x80) {
        out.push_back(static_cast<char>((length & 0x7F) | 0x80));
        length >>= 7;
    }
    out.push_back(static_cast<char>(length));
}

std::size_t ReadLength(std::string_view row, std::size_t& at) {
    std::size_t length = 0;
    for (int shift = 0; at < row.size(); shift += 7) {
        const auto byte = static_cast<unsigned char>(row[at++]);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            break;
        }
    }
    return length;
}

// The bytes of cell `column` of an encoded row (empty past its last cell).
std::string_view CellBytes(std::string_view row, int column) {
    std::size_t at = 1;
    for (int c = 0; at < row.size(); ++c) {
        const std::size_t length = std::min(ReadLength(row, at), row.size() - at);
        if (c == column) {
            return row.substr(at, length);
        }
        at += length;
    }
    return {};
}

bool FitsOneByte(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

QString TextOf(char encoding, std::string_view bytes) {
    if (bytes.empty()) {
        return QString();
    }
    if (encoding == kOneByte) {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    QString text(static_cast<qsizetype>(bytes.size() / 2), Qt::Uninitialized);
    std::memcpy(text.data(), bytes.data(), static_cast<std::size_t>(text.size()) * 2);
    return text;
}

QStringList Decoded(std::string_view row, int columns) {
    QStringList cells;
    cells.reserve(columns);
    for (int c = 0; c < columns; ++c) {
        cells.append(row.empty() ? QString() : TextOf(row[0], CellBytes(row, c)));
    }
    return cells;
}

}  // namespace

RowArray::RowArray(int rowCount, int columnCount) {
    Resize(rowCount - 1, columnCount - 1);
}

std::string RowArray::Encoded(const QStringList& cells) const {
    const int count = std::min(static_cast<int>(cells.size()), columns_);
    const bool oneByte = std::all_of(cells.begin(), cells.begin() + count,
                                     [](const QString& t) { return FitsOneByte(t); });
    std::string row(1, oneByte ? kOneByte : kTwoBytes);
    for (int c = 0; c < count; ++c) {
        const QString& text = cells[c];
        if (oneByte) {
            AppendLength(row, static_cast<std::size_t>(text.size()));
            for (const QChar ch : text) {
                row.push_back(static_cast<char>(ch.unicode()));
            }
        } else {
            const std::size_t bytes = static_cast<std::size_t>(text.size()) * 2;
            AppendLength(row, bytes);
            row.append(reinterpret_cast<const char*>(text.constData()), bytes);
        }
    }
    return row;
}

void RowArray::Resize(int lastRow, int lastColumn) {
    const int newRows = std::max(lastRow, -1) + 1;
    const int newColumns = std::max(lastColumn, -1) + 1;
    rows_.resize(static_cast<std::size_t>(newRows));
    if (newColumns != columns_) {
        const int oldColumns = columns_;
        columns_ = newColumns;
        for (std::string& row : rows_) {
            if (!row.empty()) {
                row = Encoded(Decoded(row, std::min(oldColumns, newColumns)));
            }
        }
    }
}

QString RowArray::Cell(int row, int column) const {
    if (!Contains(row, column)) {
        return QString();
    }
    const std::string& bytes = rows_[static_cast<std::size_t>(row)];
    return bytes.empty() ? QString() : TextOf(bytes[0], CellBytes(bytes, column));
}

bool RowArray::CellEquals(int row, int column, const QString& text) const {
    if (!Contains(row, column)) {
        return false;
    }
    const std::string& bytes = rows_[static_cast<std::size_t>(row)];
    if (bytes.empty()) {
        return text.isEmpty();
    }
    const std::string_view cell = CellBytes(bytes, column);
    if (bytes[0] == kTwoBytes) {
        return cell.size() == static_cast<std::size_t>(text.size()) * 2 &&
               std::memcmp(cell.data(), text.constData(), cell.size()) == 0;
    }
    if (cell.size() != static_cast<std::size_t>(text.size())) {
        return false;
    }
    for (std::size_t i = 0; i < cell.size(); ++i) {
        if (text[static_cast<qsizetype>(i)].unicode() != static_cast<unsigned char>(cell[i])) {
            return false;
        }
    }
    return true;
}

bool RowArray::SetCell(int row, int column, const QString& text) {
    if (!Contains(row, column)) {
        return false;
    }
    std::string& bytes = rows_[static_cast<std::size_t>(row)];
    QStringList cells = Decoded(bytes, columns_);
    cells[column] = text;
    bytes = Encoded(cells);
    return true;
}

bool RowArray::SetRow(int row, const QStringList& cells) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    rows_[static_cast<std::size_t>(row)] = Encoded(cells);
    return true;
}

bool RowArray::SetRowFromBytes(int row, std::string_view first, std::string_view rest,
                               char separator) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    std::string bytes(1, kOneByte);
    bytes.reserve(1 + first.size() + rest.size() + static_cast<std::size_t>(columns_) * 2);
    if (columns_ > 0) {
        AppendLength(bytes, first.size());
        bytes.append(first);
    }
    std::size_t start = 0;
    for (int column = 1; column < columns_ && start <= rest.size(); ++column) {
        std::size_t end = rest.find(separator, start);
        if (end == std::string_view::npos) {
            end = rest.size();
        }
        AppendLength(bytes, end - start);
        bytes.append(rest.substr(start, end - start));
        start = end + 1;
    }
    rows_[static_cast<std::size_t>(row)] = std::move(bytes);
    return true;
}

bool RowArray::CopyRow(int row, const RowArray& source, int sourceRow) {
    if (row < 0 || row >= RowCount() || sourceRow < 0 || sourceRow >= source.RowCount()) {
        return false;
    }
    const std::string& from = source.rows_[static_cast<std::size_t>(sourceRow)];
    rows_[static_cast<std::size_t>(row)] =
        source.columns_ == columns_ ? from
                                    : Encoded(Decoded(from, std::min(columns_, source.columns_)));
    return true;
}

bool RowArray::RemoveRow(int row) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    rows_.erase(rows_.begin() + row);
    return true;
}

}  // namespace grid
