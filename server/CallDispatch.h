// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/mv/LocalEngine.h"
#include "platform/mv/wire/WireChannel.h"
#include "server/DescriptorBudget.h"
#include "server/ServerConfig.h"
#include "server/ServerJournal.h"

namespace server {

// Answers the calls of one logged-in session with its engine: files, items, commands and
// the session's select list 0.
class CallDispatch {
public:
    CallDispatch(std::shared_ptr<mv::LocalEngine> engine, mv::wire::WireChannel& channel,
                 const ServerConfig& config, OpenFileBudget& openFiles, const std::string& user,
                 const std::string& accountFolder);
    ~CallDispatch();
    CallDispatch(const CallDispatch&) = delete;
    CallDispatch& operator=(const CallDispatch&) = delete;

    // Answers one request. False when the connection must end: the request had the wrong
    // shape, or a reply could not be sent; why says which.
    bool Handle(const mv::wire::Message& request, std::string& why);

private:
    bool Open(const mv::wire::Message& request, std::string& why);
    bool Close(const mv::wire::Message& request, std::string& why);
    bool Read(const mv::wire::Message& request, std::string& why);
    bool Write(const mv::wire::Message& request, std::string& why);
    bool Delete(const mv::wire::Message& request, std::string& why);
    bool RecordLock(const mv::wire::Message& request, std::string& why);
    bool Release(const mv::wire::Message& request, std::string& why);
    bool RecordLocked(const mv::wire::Message& request, std::string& why);
    bool Execute(const mv::wire::Message& request, std::string& why);
    bool ReadList(const mv::wire::Message& request, std::string& why);
    bool ReadNext(const mv::wire::Message& request, std::string& why);
    bool ClearSelect(const mv::wire::Message& request, std::string& why);
    bool Itype(const mv::wire::Message& request, std::string& why);

    // Sends the response of a command that ran, in blocks, waiting for the client to ask
    // for each block after the first.
    bool SendInBlocks(const std::string& response, std::int32_t blockSize, std::size_t selected,
                      std::string& why);
    bool Reply(mv::wire::Message reply, std::string& why);
    // Journals a write (record set) or delete (null) of a dictionary item around change,
    // which makes it and returns its code.
    template <typename Change>
    int Journaled(int handle, const std::string& id, const std::string* record, Change change);

    std::shared_ptr<mv::LocalEngine> engine_;
    mv::wire::WireChannel& channel_;
    const ServerConfig& config_;
    OpenFileBudget::SessionFiles openFiles_;
    std::set<int> openHandles_;                // each holds one file of openFiles_
    std::map<int, std::string> dictionaries_;  // the handles of dictionaries, and their files
    ServerJournal journal_;
    std::vector<std::string> selectList_;
    std::size_t nextSelected_ = 0;  // READNEXT's position in selectList_
};

}  // namespace server
