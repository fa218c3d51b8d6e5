// SPDX-License-Identifier: MIT
#include <chrono>
#include <memory>

#include "platform/mv/ErrorCodes.h"
#include "platform/mv/LocalEngine.h"
#include "platform/mv/values/BackendRecordSource.h"
#include "platform/mv/values/Evaluator.h"
#include "platform/mv/values/eval/OtherFiles.h"

namespace mv {

int LocalEngine::Itype(const std::string& file, const std::string& id, const std::string& item,
                       std::string& result) {
    result.clear();
    if (!IsActive()) {
        return kNotConnected;
    }
    int data = 0;
    if (const int opened = OpenData(file, data); opened != kOk) {
        return opened;
    }
    std::string record;
    const int read = Read(data, id, record, 0);
    CloseFile(data);
    if (read != kOk) {
        return read;
    }
    // The source reads through this engine for the length of the call: it shares no
    // ownership of it, which would make the engine keep itself alive.
    values::BackendRecordSource records(std::shared_ptr<Backend>(std::shared_ptr<Backend>(), this));
    values::OtherDictionary dictionary(records, file);
    values::EvaluationContext context;
    context.fileName = file;
    context.dictionary = &dictionary;
    context.records = &records;
    context.now = std::chrono::system_clock::now();
    values::Evaluated value = values::EvaluateItem(item, id, record, context);
    if (!value.Ok()) {
        result = std::move(value.error);
        return kNotEvaluated;
    }
    result = std::move(value.value);
    return kOk;
}

}  // namespace mv
