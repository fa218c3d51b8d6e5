// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary directory for one test, removed with everything in it when the object
// goes. A directory that cannot be made fails the running test.
class TempDir {
public:
    TempDir();

    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

    // Copies the tree under `source` to path()/name (path() itself when name is empty),
    // for example a fixture account from tests/data or the corpus; see copyTree.
    bool copyFrom(const QString& source, const QString& name = {}) const;

private:
    QTemporaryDir dir_;
};

// Copies every file and folder under `source` into `destination` (made when missing)
// with byte-exact names and contents, and makes the copies writable by their owner so
// a test can change a copy of read-only fixture files. False, with the reason added to
// the running test's failure, when anything could not be copied.
bool copyTree(const QString& source, const QString& destination);
