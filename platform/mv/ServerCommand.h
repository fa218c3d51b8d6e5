// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

namespace mv {

class Session;
struct CommandResult;

// The session's command object: Text is run by Exec, Response holds the answer.
class ServerCommand {
public:
    explicit ServerCommand(Session& session) : session_(session) {}

    void SetText(std::string text) { text_ = std::move(text); }
    const std::string& Text() const { return text_; }
    void Exec();
    const std::string& Response() const { return response_; }
    int Error() const { return error_; }

private:
    friend class Session;  // hands it the outcome of a select sent with other calls
    // Error, Response and select list 0 from what the backend answered.
    void Take(CommandResult result);

    Session& session_;
    std::string text_;
    std::string response_;
    int error_ = 0;
};

}  // namespace mv
