// SPDX-License-Identifier: MIT
#include "cli/Environment.h"

#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Concat.h"
#include "core/ErrorTable.h"
#include "platform/mv/Session.h"

namespace cli {

std::string ErrorName(const Environment& env, int code) {
    if (env.errorNames != nullptr) {
        if (std::optional<std::string> name = env.errorNames->Name(code)) {
            return std::move(*name);
        }
    }
    return "Unidentified Error";
}

int ReportError(const Environment& env, int code, std::string_view subject) {
    env.err << "kelvora-cmd: ";
    if (!subject.empty()) {
        env.err << subject << ": ";
    }
    env.err << "error " << code << " (" << ErrorName(env, code) << ")\n";
    if (env.errorNames == nullptr && !env.missingConstantsFile.empty() &&
        !env.missingConstantsNamed) {
        env.missingConstantsNamed = true;
        env.err << "kelvora-cmd: error codes have no names: the constants file "
                << env.missingConstantsFile << " could not be read\n";
    }
    env.err.flush();
    return kExitFailure;
}

int ReportFailure(const Environment& env, std::string_view message) {
    env.err << "kelvora-cmd: " << message << '\n';
    env.err.flush();
    return kExitFailure;
}

bool ConnectAccount(mv::Session& session, const CommandLine& line, const Environment& env) {
    session.SetHostName(line.host);
    session.SetAccountPath(line.account);
    session.SetDatabaseType(line.kind == core::DatabaseKind::UniData ? "UniData" : "UniVerse");
    if (!line.host.empty()) {
        session.SetSecure(line.tls);
        session.SetCaFile(line.caFile);
        if (line.readAhead != 0) {
            session.SetReadAhead(line.readAhead);
        }
        session.SetUserName(line.user);
        std::optional<std::string> password = env.passwordVariable;
        if (!password && env.askPassword) {
            password = env.askPassword(
                Concat({"Password for ", line.user.empty() ? "(no user)" : line.user, " on ",
                        line.host, ": "}));
        }
        if (!password) {
            ReportFailure(env, "no password: set KELVORA_PASSWORD or run from a terminal");
            return false;
        }
        session.SetPassword(*password);
    }
    session.Connect();
    if (session.Error() != 0) {
        ReportError(env, session.Error(),
                    line.host.empty() ? line.account : Concat({line.account, " on ", line.host}));
        return false;
    }
    return true;
}

}  // namespace cli
