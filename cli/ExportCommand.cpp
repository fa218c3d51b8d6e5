// SPDX-License-Identifier: MIT
#include "cli/ExportCommand.h"

#include <chrono>
#include <memory>
#include <ostream>
#include <vector>

#include "cli/Concat.h"
#include "core/DatabaseKind.h"
#include "core/ListingExport.h"
#include "core/ListingFile.h"
#include "core/ListingSink.h"
#include "platform/mv/Session.h"

namespace cli {

class ExportCommand::ProgressLine {
public:
    ProgressLine(std::ostream& err, const std::string& fileName, std::size_t total)
        : err_(err), fileName_(fileName), total_(total) {}

    void Step(long long listed) {
        // The clock is asked only every 256 items: the walk itself takes microseconds.
        if ((listed & 0xFF) != 0 && static_cast<std::size_t>(listed) != total_) {
            return;
        }
        const auto now = Clock::now();
        if (shown_ && now - last_ < std::chrono::milliseconds(100)) {
            return;
        }
        last_ = now;
        std::string text = Concat({"Exporting ", fileName_, ": ", std::to_string(listed), " of ",
                                   std::to_string(total_), " items"});
        Show(text);
    }

    void Clear() {
        if (shown_) {
            Show(std::string());
        }
        shown_ = false;
    }

private:
    using Clock = std::chrono::steady_clock;

    void Show(const std::string& text) {
        // Blanks cover what a longer earlier line left on the terminal.
        const std::size_t padding = width_ > text.size() ? width_ - text.size() : 0;
        err_ << '\r' << text << std::string(padding, ' ') << '\r';
        err_.flush();
        width_ = text.size();
        shown_ = true;
    }

    std::ostream& err_;
    const std::string& fileName_;
    std::size_t total_;
    std::size_t width_ = 0;
    bool shown_ = false;
    Clock::time_point last_;
};

namespace {

std::string Items(long long count) {
    return count == 1 ? std::string("1 item") : Concat({std::to_string(count), " items"});
}

}  // namespace

int ExportCommand::Run(const CommandLine& line) {
    const std::string& fileName = line.arguments.at(0);
    const bool toStandardOutput = line.arguments.size() < 2 || line.arguments[1] == "-";
    mv::Session session;
    // An export only reads: it leaves the debris of interrupted writes to the sessions
    // that write, and so lists the folder once, in its select.
    session.SetSweepTemporaryFiles(false);
    if (!ConnectAccount(session, line, env_)) {
        return kExitFailure;
    }
    // The open and the select travel together: on a server one round trip for both. The
    // select runs before the output is touched, so a failed one leaves OUT as it was.
    std::vector<int> codes;
    const std::shared_ptr<mv::DictionaryFile> file =
        session.OpenTogether({{fileName, true}}, core::SelectCommandFor(line.kind, fileName), codes)
            .front();
    if (!file) {
        return ReportError(env_, codes.front(), fileName);
    }
    if (const int code = session.Command().Error(); code != 0) {
        ReportError(env_, code, fileName);
        const std::string& response = session.Command().Response();
        return response.empty() ? kExitFailure : ReportFailure(env_, response);
    }
    mv::ServerSelectList& list = session.SelectList(0);

    std::unique_ptr<exporting::ListingFile> outputFile;
    exporting::StreamSink outputStream(env_.out);
    exporting::ListingSink* sink = &outputStream;
    if (!toStandardOutput) {
        outputFile = std::make_unique<exporting::ListingFile>(line.arguments[1]);
        if (!outputFile->Open()) {
            return ReportFailure(env_, Concat({"the export file ", line.arguments[1],
                                               " cannot be created: ", outputFile->Failure()}));
        }
        sink = outputFile.get();
    }

    ProgressLine progress(env_.err, fileName, list.Count());
    exporting::ListingProgress step;
    // A listing going to the same terminal would be torn apart by the progress line.
    if (env_.progress && !(toStandardOutput && env_.outIsTerminal)) {
        step = [&progress](long long listed) { progress.Step(listed); };
    }
    const exporting::ListingCounts counts = exporting::WriteListing(list, *file, *sink, step);
    progress.Clear();

    if (toStandardOutput) {
        env_.out.flush();
        if (counts.sinkFailed || !env_.out) {
            return ReportFailure(env_,
                                 "standard output could not be written; the export did not finish");
        }
    } else if (counts.sinkFailed || !outputFile->Commit()) {
        return ReportFailure(env_, Concat({"the export file ", line.arguments[1],
                                           " could not be written: ", outputFile->Failure(),
                                           "; the export did not finish"}));
    }
    if (counts.listed > counts.written) {
        return ReportFailure(
            env_, Concat({"the export is written without ", Items(counts.listed - counts.written),
                          " of ", fileName, ", which could not be read"}));
    }
    if (env_.progress && !toStandardOutput) {
        env_.err << "kelvora-cmd: " << Items(counts.written) << " exported to " << line.arguments[1]
                 << '\n';
    }
    return kExitOk;
}

}  // namespace cli
