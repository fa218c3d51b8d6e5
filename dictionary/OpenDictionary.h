// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "ViewSet.h"

namespace mv {
class DictionaryFile;
}

namespace dictionary {

// The dictionary the grids show: its file object, through which every read, write and
// delete of items goes, and its view set. Both are replaced together by a successful
// open, so what the user sees and what a save writes to always belong to one file.
struct OpenDictionary {
    std::shared_ptr<mv::DictionaryFile> file;
    std::shared_ptr<ViewSet> views = std::make_shared<ViewSet>();

    bool IsOpen() const { return file != nullptr; }
};

}  // namespace dictionary
