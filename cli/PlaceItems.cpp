// SPDX-License-Identifier: MIT
#include "cli/PlaceItems.h"

#include "cli/CommandLine.h"
#include "cli/Concat.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/Session.h"

namespace cli {

bool ConnectPlace(mv::Session& session, const Place& place, const CommandLine& line,
                  const Environment& env, bool second) {
    CommandLine at = line;
    if (place.kind == Place::Kind::Server) {
        at.host = place.host;
        at.user = place.user;
        at.account = place.account;
    } else {
        at.host.clear();
        at.account = place.folder;
    }
    if (!second) {
        return ConnectAccount(session, at, env);
    }
    Environment secondEnv = env;
    secondEnv.passwordVariable = env.passwordVariableTo;
    return ConnectAccount(session, at, secondEnv);
}

bool ReadDictionary(mv::Session& session, const std::string& fileName, ItemMap& items,
                    const Environment& env, std::shared_ptr<mv::DictionaryFile>* opened) {
    items.clear();
    // The open and the select travel together: on a server one round trip for both.
    std::vector<int> codes;
    const std::shared_ptr<mv::DictionaryFile> file =
        session.OpenTogether({{fileName, true}}, Concat({"SSELECT DICT ", fileName}), codes)
            .front();
    if (!file) {
        ReportError(env, codes.front(), fileName);
        return false;
    }
    const mv::ServerCommand& select = session.Command();
    if (select.Error() != 0) {
        ReportError(env, select.Error(), fileName);
        return false;
    }
    if (!ReadSelectedItems(session, *file, items, env)) {
        return false;
    }
    if (opened != nullptr) {
        *opened = file;
    }
    return true;
}

bool ReadSelectedItems(mv::Session& session, mv::DictionaryFile& file, ItemMap& items,
                       const Environment& env) {
    const std::string& fileName = file.FileName();
    mv::ServerSelectList& list = session.SelectList(0);
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        file.SetRecordId(id);
        file.Read();
        if (file.Error() != 0) {
            ReportError(env, file.Error(),
                        Concat({fileName, " item ", ItemText(id).substr(0, 80)}));
            return false;
        }
        items.emplace(std::move(id), file.Record().Text());
    }
    return true;
}

bool ReadPlace(const Place& place, const std::string& fileName, const CommandLine& line,
               const Environment& env, bool second, ItemMap& items) {
    if (place.kind == Place::Kind::DumpFolder) {
        std::string why;
        if (!ReadDumpFolder(place.folder, items, why)) {
            ReportFailure(env, why);
            return false;
        }
        return true;
    }
    mv::Session session;
    session.SetSweepTemporaryFiles(false);
    return ConnectPlace(session, place, line, env, second) &&
           ReadDictionary(session, fileName, items, env);
}

bool ReadPlaceNamed(const std::string& placeText, const std::string& fileName,
                    const CommandLine& line, const Environment& env, ItemMap& items) {
    std::string why;
    const std::optional<Place> place = ParsePlace(placeText, why);
    if (!place) {
        ReportFailure(env, why);
        return false;
    }
    return ReadPlace(*place, fileName, line, env, false, items);
}

}  // namespace cli
