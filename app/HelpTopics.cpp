// SPDX-License-Identifier: MIT
#include "app/HelpTopics.h"

#include <QWidget>

namespace app {
namespace {

struct Topic {
    const char* control;  // an object name, or the start of one ("TDBGrid1_")
    const char* anchor;
};

const Topic kTopics[] = {
    {"txtFilename", "opening-a-dictionary"},
    {"cmdOpen", "opening-a-dictionary"},
    {"TDBGrid1_", "changing-an-item"},
    {"TDBDropDown1_", "changing-an-item"},
    {"cmbPhrase", "narrowing-the-grids-to-a-phrase"},
    {"cmdMakeChild", "defining-a-child-table"},
    {"cmdExport", "exporting-the-dictionary"},
    {"txtResult", "compiling-i-descriptors"},
    {"cmdExit", "closing-kelvora"},
    {"txtFind", "finding-and-sorting-rows"},
    {"txtDetail", "the-item-detail"},
    {"fraValues", "values-beside-the-grid"},
};

}  // namespace

QString HelpAnchorFor(const QWidget* focus) {
    for (const QWidget* w = focus; w != nullptr; w = w->parentWidget()) {
        for (const Topic& topic : kTopics) {
            if (w->objectName().startsWith(QLatin1String(topic.control))) {
                return QLatin1String(topic.anchor);
            }
        }
    }
    return QString();
}

}  // namespace app
