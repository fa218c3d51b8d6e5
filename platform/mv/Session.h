// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "DictionaryFile.h"
#include "ServerCommand.h"
#include "ServerSelectList.h"

namespace mv {

class Backend;

// One connection to an account. An empty HostName runs the local engine in this
// process on the directory AccountPath names; any other host is a remote server.
// Failures never throw: each call leaves its code in Error.
// Connect, IsActive and Disconnect are virtual so tests can stand in a session whose
// connection misbehaves in ways the local engine never does.
class Session {
public:
    Session();
    virtual ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void SetUserName(std::string v) { userName_ = std::move(v); }
    void SetPassword(std::string v) { password_ = std::move(v); }
    void SetAccountPath(std::string v) { accountPath_ = std::move(v); }
    void SetHostName(std::string v) { hostName_ = std::move(v); }
    const std::string& UserName() const { return userName_; }
    const std::string& Password() const { return password_; }
    const std::string& AccountPath() const { return accountPath_; }
    const std::string& HostName() const { return hostName_; }

    virtual void Connect();
    virtual bool IsActive() const;
    virtual void Disconnect();

    // Null when the dictionary cannot be opened; Error says why.
    std::shared_ptr<DictionaryFile> OpenDictionary(const std::string& fileName);
    ServerCommand& Command() { return command_; }
    // Only list 0 exists; any other number sets Error and still returns list 0.
    ServerSelectList& SelectList(int number);

    int Error() const { return error_; }

    // For the command object: the backend of a connected session, or null.
    std::shared_ptr<Backend> ActiveBackend() const;

protected:
    void SetError(int code) { error_ = code; }

private:
    // Ends the connection without going through the virtual Disconnect, so neither a
    // new Connect nor the destructor looks like a Disconnect the program sent.
    void EndConnection();

    friend class ServerCommand;  // fills select list 0 after a select

    std::string userName_, password_, accountPath_, hostName_;
    std::shared_ptr<Backend> backend_;
    ServerCommand command_{*this};
    ServerSelectList selectList_;
    int error_ = 0;
};

}  // namespace mv
