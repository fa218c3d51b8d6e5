// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace mv {

// What a command run by Exec hands back to the command object.
struct CommandResult {
    int error = 0;
    std::string response;
    bool setsSelectList = false;   // true for select verbs, failed or not
    std::vector<std::string> ids;  // the new content of select list 0
};

// The engine behind a session: the local engine, or one day a remote server.
// Calls never throw; each returns an error code of ErrorCodes.h (0 on success).
// Files are named by handles that stay valid until CloseFile or Shutdown.
class Backend {
public:
    virtual ~Backend() = default;

    virtual bool IsActive() const = 0;
    // Ends the connection; every handle is closed and later calls fail.
    virtual void Shutdown() = 0;

    virtual int OpenDictionary(const std::string& fileName, int& handle) = 0;
    virtual void CloseFile(int handle) = 0;
    // kFileClosed when the handle is closed or the backend shut down.
    virtual int Read(int handle, const std::string& id, std::string& record) = 0;
    virtual int Write(int handle, const std::string& id, const std::string& record) = 0;
    virtual int Delete(int handle, const std::string& id) = 0;

    virtual CommandResult Execute(const std::string& text) = 0;
};

}  // namespace mv
