// SPDX-License-Identifier: MIT
// Compiling every descriptor of a dictionary with CD, through the client objects, against
// reading the same item files raw and writing them back, in the same run; and a compile
// that writes nothing against the raw read alone.
// Usage: bench_compile [descriptors] (default 10000, with one D item for every five).
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/mv/AtomicFile.h"
#include "platform/mv/Session.h"
#include "platform/mv/UniqueFd.h"
#include "platform/mv/compiler/DictionaryCompiler.h"
#include "platform/mv/compiler/DirectoryItemSource.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRepeats = 3;

std::string DataName(std::mt19937& random, int dataItems) {
    return "FIELD." + std::to_string(random() % static_cast<unsigned>(dataItems));
}

// A descriptor that reads data fields and, often, a descriptor defined before it, so
// references form long chains but never a circle.
std::string MakeDescriptor(int i, std::mt19937& random, int dataItems) {
    const std::string a = DataName(random, dataItems);
    const std::string b = DataName(random, dataItems);
    const std::string earlier = i > 0 ? "CALC." + std::to_string(random() % i) : a;
    std::string expression;
    switch (random() % 6) {
        case 0:
            expression = a + " * " + b + " + " + earlier;
            break;
        case 1:
            expression = "IF " + a + " > 0 THEN OCONV(" + b + ",'MD2') ELSE TRANS(OTHER,@ID,3,'X')";
            break;
        case 2:
            expression = a + ":' ':" + b + ":' ':" + earlier;
            break;
        case 3:
            expression =
                "EXTRACT(@RECORD,3,0,0);SUM(@1) + " + earlier + ";IF @2 < 0 THEN 0 ELSE @2";
            break;
        case 4:
            expression = "FIELD(" + a + ",'*',2)[1,5] : UPCASE(" + b + ")";
            break;
        default:
            expression = a + "<1,2> + " + earlier + "<1> - INT(" + b + " / 100)";
            break;
    }
    return "I\n" + expression + "\nMD2\nCalculated " + std::to_string(i) + "\n12R\nS";
}

bool WriteRaw(const fs::path& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::string MakeAccount(int descriptors) {
    std::string pattern = (fs::temp_directory_path() / "kelvora-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return {};
    }
    const fs::path dictionary = fs::path(pattern) / "D_BIG";
    fs::create_directory(dictionary);
    std::mt19937 random(7);
    const int dataItems = std::max(1, descriptors / 5);
    for (int i = 0; i < dataItems; ++i) {
        const std::string bytes =
            "D\n" + std::to_string(i % 60 + 1) + "\n\nField " + std::to_string(i) + "\n10L\nS";
        if (!WriteRaw(dictionary / ("FIELD." + std::to_string(i)), bytes)) {
            return {};
        }
    }
    for (int i = 0; i < descriptors; ++i) {
        if (!WriteRaw(dictionary / ("CALC." + std::to_string(i)),
                      MakeDescriptor(i, random, dataItems))) {
            return {};
        }
    }
    return pattern;
}

// The floor: list the directory, read every item file and, when asked, write each back
// in place or by the engine's atomic replace. Returns the bytes read.
enum class WriteBack { kNone, kInPlace, kAtomic };
std::size_t ReadRaw(const std::string& account, WriteBack writeBack) {
    const std::string directory = account + "/D_BIG";
    DIR* dir = ::opendir(directory.c_str());
    const int dirFd = ::dirfd(dir);
    std::vector<char> buffer(1 << 16);
    std::size_t bytes = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        std::string item;
        {
            const mv::UniqueFd fd(::openat(dirFd, entry->d_name, O_RDONLY));
            ssize_t n = 0;
            while ((n = ::read(fd.Get(), buffer.data(), buffer.size())) > 0) {
                item.append(buffer.data(), static_cast<std::size_t>(n));
            }
        }
        bytes += item.size();
        if (writeBack == WriteBack::kInPlace) {
            const mv::UniqueFd fd(::openat(dirFd, entry->d_name, O_WRONLY | O_TRUNC));
            if (::write(fd.Get(), item.data(), item.size()) != static_cast<ssize_t>(item.size())) {
                std::abort();
            }
        } else if (writeBack == WriteBack::kAtomic) {
            if (!mv::ReplaceFileAtomically(dirFd, entry->d_name, item)) {
                std::abort();
            }
        }
    }
    ::closedir(dir);
    return bytes;
}

// What the program's compile does, for every descriptor at once. Returns the length of
// the answer, so nothing is optimised away.
std::size_t CompileThroughClient(const std::string& account) {
    mv::Session session;
    session.SetAccountPath(account);
    session.Connect();
    session.Command().SetText("CD BIG");
    session.Command().Exec();
    if (session.Command().Error() != 0) {
        std::abort();
    }
    return session.Command().Response().size();
}

// A check that writes nothing: every descriptor compiled in memory. Returns how many
// compiled.
std::size_t CompileDryRun(const std::string& account) {
    const mv::UniqueFd dirFd(::open((account + "/D_BIG").c_str(), O_RDONLY | O_DIRECTORY));
    mv::DirectoryItemSource source(dirFd.Get());
    std::vector<std::string> ids;
    if (!source.LoadAll(ids)) {
        std::abort();
    }
    mv::DictionaryCompiler compiler(source);
    std::size_t compiled = 0;
    for (const std::string& id : ids) {
        const mv::ItemCompilation item = compiler.Compile(id);
        compiled += item.status == mv::ItemCompilation::Status::kCompiled ? 1 : 0;
    }
    return compiled;
}

double Seconds(const std::function<std::size_t()>& run, std::size_t& result) {
    const auto start = Clock::now();
    result = run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int descriptors = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    std::printf("Writing %d descriptors and %d data items...\n", descriptors,
                std::max(1, descriptors / 5));
    const std::string account = MakeAccount(descriptors);
    if (account.empty()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }

    std::size_t bytes = 0, inPlace = 0, atomic = 0, answer = 0, compiled = 0;
    ReadRaw(account, WriteBack::kNone);  // warms the cache for all
    // Rounds interleave the measures, so a disk busy with something else for a while
    // slows them alike; the best round of each counts.
    double read = 1e30, dry = 1e30, rawWrite = 1e30, atomicWrite = 1e30, cd = 1e30;
    for (int round = 0; round < kRepeats; ++round) {
        read = std::min(read, Seconds([&] { return ReadRaw(account, WriteBack::kNone); }, bytes));
        dry = std::min(dry, Seconds([&] { return CompileDryRun(account); }, compiled));
        rawWrite = std::min(
            rawWrite, Seconds([&] { return ReadRaw(account, WriteBack::kInPlace); }, inPlace));
        atomicWrite = std::min(
            atomicWrite, Seconds([&] { return ReadRaw(account, WriteBack::kAtomic); }, atomic));
        cd = std::min(cd, Seconds([&] { return CompileThroughClient(account); }, answer));
    }

    std::printf("Best of %d, %d descriptors (%zu bytes of items):\n", kRepeats, descriptors, bytes);
    std::printf("  raw read of the item files:                  %9.1f ms\n", read * 1e3);
    std::printf("  dry-run compile of every descriptor:         %9.1f ms (%zu compiled)\n",
                dry * 1e3, compiled);
    std::printf("  raw read + write back in place:              %9.1f ms\n", rawWrite * 1e3);
    std::printf("  raw read + write back by atomic replace:     %9.1f ms\n", atomicWrite * 1e3);
    std::printf("  CD BIG through the client objects:           %9.1f ms (%zu bytes of answer)\n",
                cd * 1e3, answer);
    std::printf("  ratio dry run / raw read:                    %9.2f\n", dry / read);
    std::printf("  ratio CD / raw read + in-place write:        %9.2f\n", cd / rawWrite);
    std::printf("  ratio CD / raw read + atomic write:          %9.2f\n", cd / atomicWrite);

    std::error_code ignored;
    fs::remove_all(account, ignored);
    return compiled == static_cast<std::size_t>(descriptors) ? 0 : 1;
}
