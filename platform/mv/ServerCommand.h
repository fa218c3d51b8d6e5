// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

namespace mv {

class Session;

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
    Session& session_;
    std::string text_;
    std::string response_;
    int error_ = 0;
};

}  // namespace mv
