// SPDX-License-Identifier: MIT
// Calls asked for together, one after the other: how an engine in this process answers
// them, where a call costs no wait on a network.
#include "platform/mv/Backend.h"

namespace mv {

std::vector<OpenResult> Backend::OpenTogether(const std::vector<FilePart>& parts,
                                              const std::string& select, CommandResult& selected) {
    std::vector<OpenResult> opened(parts.size());
    for (std::size_t n = 0; n < parts.size(); ++n) {
        opened[n].code = parts[n].dictionary ? OpenDictionary(parts[n].name, opened[n].handle)
                                             : OpenData(parts[n].name, opened[n].handle);
    }
    if (!select.empty()) {
        selected = Execute(select);
    }
    return opened;
}

RecordsGiven Backend::ReadTogether(const RecordsWanted& wanted) {
    RecordsGiven given;
    given.records.resize(wanted.reads.size());
    for (std::size_t n = 0; n < wanted.reads.size(); ++n) {
        given.records[n].code = Read(wanted.handle, wanted.reads[n], given.records[n].record, 0);
    }
    for (const std::string& item : wanted.items) {
        given.values.push_back(Itypes(wanted.file, wanted.ids, item));
    }
    return given;
}

}  // namespace mv
