// SPDX-License-Identifier: MIT
#include "platform/mv/ServerCommand.h"

#include "platform/mv/Backend.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/Session.h"

namespace mv {

void ServerCommand::Exec() {
    try {
        const std::shared_ptr<Backend> backend = session_.ActiveBackend();
        if (!backend) {
            error_ = kNotConnected;
            response_ = "The session is not connected.";
            return;
        }
        Take(backend->Execute(text_));
    } catch (...) {
        error_ = kUnknownCommand;
        response_ = "The command could not be run.";
        session_.selectList_.Clear();
    }
}

void ServerCommand::Take(CommandResult result) {
    error_ = result.error;
    response_ = std::move(result.response);
    if (result.setsSelectList) {
        session_.selectList_.Fill(std::move(result.ids));
    }
}

}  // namespace mv
