// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/mv/Backend.h"
#include "platform/mv/DictionaryFile.h"
#include "platform/mv/RemoteBackend.h"
#include "platform/mv/ServerCommand.h"
#include "platform/mv/ServerSelectList.h"

namespace mv {

class Backend;

// One connection to an account. An empty HostName runs the local engine in this
// process on the directory AccountPath names; any other host ("host" or "host:port") is
// a database server reached over TCP, on which AccountPath names the account.
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
    // "UniVerse" or "UniData" (any case): which service a server is asked for.
    void SetDatabaseType(std::string v) { databaseType_ = std::move(v); }
    // Time limits of a remote session: connecting, and each call.
    void SetRemoteLimits(std::chrono::milliseconds connect, std::chrono::milliseconds call) {
        connectLimit_ = connect;
        callLimit_ = call;
    }
    // How many reads of select list 0 a remote session sends before the program asks for
    // them; 1 turns reading ahead off. Takes effect at the next Connect.
    void SetReadAhead(int window) { readAhead_ = window; }
    // TLS to a server, and the CA file (PEM) its certificate is checked against instead of
    // the system's store when not empty. Take effect at the next Connect.
    void SetSecure(bool v) { secure_ = v; }
    void SetCaFile(std::string v) { caFile_ = std::move(v); }
    // Whether the local engine removes the stale temporary files of interrupted writes
    // from each dictionary folder it opens (the default); off for a caller that only
    // looks, such as a check that lists them. Takes effect at the next Connect.
    void SetSweepTemporaryFiles(bool v) { sweepTemporaryFiles_ = v; }
    const std::string& UserName() const { return userName_; }
    const std::string& Password() const { return password_; }
    const std::string& AccountPath() const { return accountPath_; }
    const std::string& HostName() const { return hostName_; }
    const std::string& DatabaseType() const { return databaseType_; }
    bool Secure() const { return secure_; }
    const std::string& CaFile() const { return caFile_; }

    virtual void Connect();
    virtual bool IsActive() const;
    virtual void Disconnect();

    // Null when the dictionary cannot be opened; Error says why.
    std::shared_ptr<DictionaryFile> OpenDictionary(const std::string& fileName);
    // The data part of the file: its records, read, written and locked as a dictionary's
    // items are (its locks apart from those of the dictionary). A file with a dictionary
    // and no records opens; null when the account has no such file, Error says why.
    std::shared_ptr<DictionaryFile> OpenFile(const std::string& fileName);
    // Dictionary item `item` of file `file` evaluated on record `id` of its data by the
    // engine serving the account: this process's for a local account, the server's for a
    // remote one (Backend::Itype). Returns the code, also left in Error; kNotConnected
    // when not connected.
    int Itype(const std::string& file, const std::string& id, const std::string& item,
              std::string& result);
    // The same on many records, a result for each id in order; Error is kNotConnected or
    // kOk. A server is sent the requests together: a few hundred records cost one wait.
    std::vector<ItypeResult> Itypes(const std::string& file, const std::vector<std::string>& ids,
                                    const std::string& item);
    // Calls asked for together: on a server every request is sent before the first reply
    // is taken, so their answers cost one round trip between them.
    //
    // Opens the parts, then runs the select when it is not empty, as Command() would: its
    // outcome in Command(), its ids in select list 0. One file per part, null where it
    // could not be opened and its code in codes; Error is the first failure's code.
    std::vector<std::shared_ptr<DictionaryFile>> OpenTogether(const std::vector<FilePart>& parts,
                                                              const std::string& select,
                                                              std::vector<int>& codes);
    // The records of reads in the open data file (plain reads; data may be null when
    // reads is empty), and each item evaluated on each record of ids by the engine serving
    // the account. Error is kNotConnected or kOk; each record and value has its own code.
    RecordsGiven ReadTogether(const DictionaryFile* data, const std::string& file,
                              const std::vector<std::string>& reads,
                              const std::vector<std::string>& ids,
                              const std::vector<std::string>& items);
    ServerCommand& Command() { return command_; }
    // Only list 0 exists; any other number sets Error and still returns list 0.
    ServerSelectList& SelectList(int number);

    int Error() const { return error_; }
    // What the last Connect's failure has to say beyond its code, else empty: for a
    // certificate outside its validity period, which one and the date.
    const std::string& ConnectDetail() const { return connectDetail_; }

    // For the command object: the backend of a connected session, or null.
    std::shared_ptr<Backend> ActiveBackend() const;

protected:
    void SetError(int code) { error_ = code; }

private:
    // Ends the connection without going through the virtual Disconnect, so neither a
    // new Connect nor the destructor looks like a Disconnect the program sent.
    void EndConnection();
    std::shared_ptr<DictionaryFile> Open(const std::string& fileName, bool dictionary);

    friend class ServerCommand;  // fills select list 0 after a select

    std::string userName_, password_, accountPath_, hostName_, databaseType_;
    std::chrono::milliseconds connectLimit_{10000};
    std::chrono::milliseconds callLimit_{60000};
    bool secure_ = false;
    std::string caFile_;
    int readAhead_ = RemoteLogin::kDefaultReadAhead;
    bool sweepTemporaryFiles_ = true;
    std::shared_ptr<Backend> backend_;
    ServerCommand command_{*this};
    ServerSelectList selectList_;
    int error_ = 0;
    std::string connectDetail_;
};

}  // namespace mv
