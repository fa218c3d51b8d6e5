// SPDX-License-Identifier: MIT
#include <fstream>
#include <iterator>
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Concat.h"
#include "cli/DictionaryCommands.h"
#include "cli/Equates.h"
#include "cli/PlaceItems.h"
#include "core/ListingFile.h"

namespace cli {

int RunEquates(const CommandLine& line, const Environment& env) {
    const std::string& fileName = line.arguments[1];
    const auto option = [&line](const char* name) {
        const auto found = line.values.find(name);
        return found == line.values.end() ? std::optional<std::string>() : found->second;
    };
    const std::optional<std::string> out = option("--out");
    const std::optional<std::string> check = option("--check");
    if (out && check) {
        env.err << "kelvora-cmd: --out and --check exclude each other\n";
        return kExitUsage;
    }
    ItemMap items;
    if (!ReadPlaceNamed(line.arguments[0], fileName, line, env, items)) {
        return kExitFailure;
    }
    const std::string include = EquatesInclude(fileName, items, option("--prefix").value_or(""));
    if (check) {
        std::ifstream in(*check, std::ios::binary);
        const std::string onDisk((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
        if (!in.is_open() || onDisk != include) {
            return ReportFailure(
                env,
                Concat({*check,
                        in.is_open() ? " no longer matches" : " cannot be read; it should match",
                        " the dictionary of ", fileName, " (write it again with equates --out)"}));
        }
        return kExitOk;
    }
    if (!out || *out == "-") {
        env.out << include;
        env.out.flush();
        return env.out ? kExitOk : ReportFailure(env, "standard output could not be written");
    }
    exporting::ListingFile file(*out);
    if (!file.Open() || !file.Write(include) || !file.Commit()) {
        return ReportFailure(
            env, Concat({"the include ", *out, " cannot be written: ", file.Failure()}));
    }
    return kExitOk;
}

}  // namespace cli
