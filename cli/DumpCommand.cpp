// SPDX-License-Identifier: MIT
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Concat.h"
#include "cli/DictionaryCommands.h"
#include "cli/PlaceItems.h"

namespace cli {

int RunDump(const CommandLine& line, const Environment& env) {
    const std::string& fileName = line.arguments[1];
    const std::string& folder = line.arguments[2];
    ItemMap items;
    if (!ReadPlaceNamed(line.arguments[0], fileName, line, env, items)) {
        return kExitFailure;
    }
    DumpCounts counts;
    std::string why;
    if (!WriteDumpFolder(folder, fileName, items, counts, why)) {
        return ReportFailure(env, why);
    }
    env.out << "dumped " << items.size() << (items.size() == 1 ? " item" : " items") << " of "
            << fileName << " into " << folder << ": " << counts.written << " written, "
            << counts.unchanged << " unchanged, " << counts.removed << " removed\n";
    env.out.flush();
    for (const std::string& name : counts.foreign) {
        ReportFailure(env, Concat({folder, "/", name,
                                   " was not written by a dump and is left alone; load, diff "
                                   "and apply will take it for an item (give files of your own "
                                   "a name that starts with a dot)"}));
    }
    return kExitOk;
}

}  // namespace cli
