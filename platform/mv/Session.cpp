// SPDX-License-Identifier: MIT
#include "platform/mv/Session.h"

#include "platform/mv/Backend.h"
#include "platform/mv/CommandWords.h"
#include "platform/mv/ErrorCodes.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/RemoteBackend.h"
#include "platform/mv/wire/WireCalls.h"

namespace mv {

Session::Session() = default;

Session::~Session() {
    EndConnection();
}

void Session::Connect() {
    connectDetail_.clear();
    try {
        EndConnection();
        if (!hostName_.empty()) {
            RemoteLogin login;
            login.host = hostName_;
            login.service = UpperCase(databaseType_) == "UNIDATA" ? wire::kUniDataService
                                                                  : wire::kUniVerseService;
            login.userName = userName_;
            login.password = password_;
            login.account = accountPath_;
            login.connectLimit = connectLimit_;
            login.callLimit = callLimit_;
            login.secure = secure_;
            login.caFile = caFile_;
            login.readAhead = readAhead_;
            std::shared_ptr<RemoteBackend> remote;
            error_ = RemoteBackend::Connect(login, remote, connectDetail_);
            backend_ = std::move(remote);
            return;
        }
        std::shared_ptr<LocalEngine> engine;
        error_ = LocalEngine::Open(accountPath_, engine, sweepTemporaryFiles_);
        backend_ = std::move(engine);
    } catch (...) {
        backend_.reset();
        error_ = kAccountNotFound;
    }
}

bool Session::IsActive() const {
    return backend_ != nullptr && backend_->IsActive();
}

void Session::Disconnect() {
    EndConnection();
    error_ = kOk;
}

void Session::EndConnection() {
    // Files opened in this session keep the backend alive, but it refuses them now.
    if (backend_) {
        backend_->Shutdown();
    }
    backend_.reset();
    selectList_.Clear();
}

std::shared_ptr<DictionaryFile> Session::OpenDictionary(const std::string& fileName) {
    return Open(fileName, /*dictionary=*/true);
}

std::shared_ptr<DictionaryFile> Session::OpenFile(const std::string& fileName) {
    return Open(fileName, /*dictionary=*/false);
}

std::shared_ptr<DictionaryFile> Session::Open(const std::string& fileName, bool dictionary) {
    if (!IsActive()) {
        error_ = kNotConnected;
        return nullptr;
    }
    try {
        int handle = 0;
        error_ = dictionary ? backend_->OpenDictionary(fileName, handle)
                            : backend_->OpenData(fileName, handle);
        if (error_ != kOk) {
            return nullptr;
        }
        return std::make_shared<DictionaryFile>(backend_, handle, fileName);
    } catch (...) {
        error_ = kDictionaryUnreadable;
        return nullptr;
    }
}

int Session::Itype(const std::string& file, const std::string& id, const std::string& item,
                   std::string& result) {
    result.clear();
    error_ = IsActive() ? backend_->Itype(file, id, item, result) : kNotConnected;
    return error_;
}

std::vector<ItypeResult> Session::Itypes(const std::string& file,
                                         const std::vector<std::string>& ids,
                                         const std::string& item) {
    if (!IsActive()) {
        error_ = kNotConnected;
        return std::vector<ItypeResult>(ids.size(), ItypeResult{kNotConnected, {}});
    }
    error_ = kOk;
    return backend_->Itypes(file, ids, item);
}

std::vector<std::shared_ptr<DictionaryFile>> Session::OpenTogether(
    const std::vector<FilePart>& parts, const std::string& select, std::vector<int>& codes) {
    std::vector<std::shared_ptr<DictionaryFile>> files(parts.size());
    codes.assign(parts.size(), kNotConnected);
    if (!IsActive()) {
        error_ = kNotConnected;
        return files;
    }
    error_ = kOk;
    try {
        CommandResult selected;
        const std::vector<OpenResult> opened = backend_->OpenTogether(parts, select, selected);
        for (std::size_t n = 0; n < parts.size(); ++n) {
            codes[n] = opened[n].code;
            if (codes[n] == kOk) {
                files[n] =
                    std::make_shared<DictionaryFile>(backend_, opened[n].handle, parts[n].name);
            } else if (error_ == kOk) {
                error_ = codes[n];
            }
        }
        if (!select.empty()) {
            command_.SetText(select);
            command_.Take(std::move(selected));
        }
    } catch (...) {
        error_ = kDictionaryUnreadable;
    }
    return files;
}

RecordsGiven Session::ReadTogether(const DictionaryFile* data, const std::string& file,
                                   const std::vector<std::string>& reads,
                                   const std::vector<std::string>& ids,
                                   const std::vector<std::string>& items) {
    RecordsWanted wanted{data != nullptr ? data->Handle() : 0, file, reads, ids, items};
    if (!IsActive() || (data == nullptr && !reads.empty())) {
        error_ = IsActive() ? kFileClosed : kNotConnected;
        RecordsGiven given;
        given.records.assign(reads.size(), ReadResult{error_, {}});
        given.values.assign(items.size(),
                            std::vector<ItypeResult>(ids.size(), ItypeResult{error_, {}}));
        return given;
    }
    error_ = kOk;
    return backend_->ReadTogether(wanted);
}

ServerSelectList& Session::SelectList(int number) {
    error_ = number == 0 ? kOk : kNoSuchSelectList;
    return selectList_;
}

std::shared_ptr<Backend> Session::ActiveBackend() const {
    return IsActive() ? backend_ : nullptr;
}

}  // namespace mv
