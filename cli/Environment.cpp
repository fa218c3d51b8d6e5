// SPDX-License-Identifier: MIT
#include "Environment.h"

#include <ostream>

#include "ErrorTable.h"
#include "Session.h"

namespace cli {

std::string ErrorName(const Environment& env, int code) {
    if (env.errorNames != nullptr) {
        if (const std::optional<QString> name = env.errorNames->Name(QString::number(code))) {
            return name->toStdString();
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
    env.err.flush();
    return kExitFailure;
}

int ReportFailure(const Environment& env, std::string_view message) {
    env.err << "kelvora-cmd: " << message << '\n';
    env.err.flush();
    return kExitFailure;
}

bool ConnectAccount(mv::Session& session, const std::string& accountPath, const Environment& env) {
    session.SetHostName(std::string());
    session.SetAccountPath(accountPath);
    session.Connect();
    if (session.Error() != 0) {
        ReportError(env, session.Error(), accountPath);
        return false;
    }
    return true;
}

}  // namespace cli
