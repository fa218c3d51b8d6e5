// SPDX-License-Identifier: MIT
// The Qt and standard headers the screen libraries include most, compiled once for all of
// them (see the top CMakeLists.txt). A file still includes what it uses; this only makes
// it cheaper.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
