// SPDX-License-Identifier: MIT
#include "cli/Environment.h"

#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Concat.h"
#include "core/ErrorTable.h"
#include "platform/mv/ErrorCodes.h"
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

namespace {

// The names of the TLS refusals speak of the program's settings file: here the command
// line's options are what to change.
std::string ConnectErrorName(const Environment& env, int code) {
    switch (code) {
        case mv::kTlsRequired:
            return "The server accepts encrypted connections only: add --tls";
        case mv::kTlsUntrusted:
            return "The encrypted connection failed: the server's certificate is not trusted "
                   "here (name the certificates of its CA with --ca FILE)";
        default:
            return ErrorName(env, code);
    }
}

int ReportNamedError(const Environment& env, int code, std::string_view subject,
                     const std::string& name) {
    env.err << "kelvora-cmd: ";
    if (!subject.empty()) {
        env.err << subject << ": ";
    }
    env.err << "error " << code << " (" << name << ")\n";
    if (env.errorNames == nullptr && !env.missingConstantsFile.empty() &&
        !env.missingConstantsNamed) {
        env.missingConstantsNamed = true;
        env.err << "kelvora-cmd: error codes have no names: the constants file "
                << env.missingConstantsFile << " could not be read\n";
    }
    env.err.flush();
    return kExitFailure;
}

}  // namespace

int ReportError(const Environment& env, int code, std::string_view subject) {
    return ReportNamedError(env, code, subject, ErrorName(env, code));
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
        const std::string subject =
            line.host.empty() ? line.account : Concat({line.account, " on ", line.host});
        ReportNamedError(env, session.Error(), subject, ConnectErrorName(env, session.Error()));
        if (!session.ConnectDetail().empty()) {
            ReportFailure(env, Concat({subject, ": ", session.ConnectDetail()}));
        }
        return false;
    }
    return true;
}

}  // namespace cli
