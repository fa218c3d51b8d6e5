// SPDX-License-Identifier: MIT
#include "cli/ExecCommand.h"

#include <ostream>

#include "cli/VisibleText.h"
#include "platform/mv/CommandWords.h"
#include "platform/mv/Session.h"

namespace cli {
namespace {

std::string JoinWords(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty()) {
            text += ' ';
        }
        text += word;
    }
    return text;
}

}  // namespace

int ExecCommand::Run(const CommandLine& line) {
    mv::Session session;
    if (!ConnectAccount(session, line, env_)) {
        return kExitFailure;
    }
    mv::ServerCommand& command = session.Command();
    command.SetText(JoinWords(line.arguments));
    command.Exec();

    const std::string& response = command.Response();
    env_.out << response;
    if (!response.empty() && response.back() != '\n') {
        env_.out << '\n';
    }
    if (command.Error() == 0 && mv::IsSelectVerb(command.Text())) {
        mv::ServerSelectList& list = session.SelectList(0);
        for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
            WriteVisible(env_.out, id);
            env_.out << '\n';
        }
    }
    env_.out.flush();
    if (!env_.out) {
        return ReportFailure(env_, "standard output could not be written");
    }
    if (command.Error() != 0) {
        return ReportError(env_, command.Error());
    }
    return kExitOk;
}

}  // namespace cli
