// SPDX-License-Identifier: MIT
// Opening a dictionary as the program does (a sorting select, then every item read
// through the client objects and its fields taken) against reading the same item files
// raw, in the same run. Usage: bench_read_dictionary [items] [client]
// (default 100000 items; "client" times the client path alone, for a profiler).
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

#include "Session.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRepeats = 5;
const std::string FM = "\xFE";
const std::string VM = "\xFD";

// Items shaped like real dictionaries: mostly D items, some I items with expressions,
// phrases, and value marks here and there.
std::string MakeItem(int i, std::mt19937& random) {
    const int kind = static_cast<int>(random() % 20);
    const std::string n = std::to_string(i);
    if (kind < 14) {
        return "D" + FM + std::to_string(random() % 60) + FM + FM + "Name " + n + FM + "10L" + FM +
               (kind % 3 == 0 ? "M" : "S") + FM + (kind % 4 == 0 ? "ASSOC" + VM + "X" : "");
    }
    if (kind < 18) {
        return "I" + FM + "IF F" + n + " > 0 THEN OCONV(F2,'MD2') ELSE TRANS(OTHER,@ID,3,'X')" +
               FM + "MD2" + FM + "Computed " + n + FM + "12R" + FM + "S";
    }
    std::string phrase = "PH" + FM;
    for (int w = 0; w < 25; ++w)
        phrase += "FIELD" + std::to_string((i + w) % 97) + " ";
    return phrase;
}

std::string MakeAccount(int items) {
    std::string pattern = (fs::temp_directory_path() / "kelvora-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return {};
    const fs::path dictionary = fs::path(pattern) / "D_X";
    fs::create_directory(dictionary);
    // Written directly in the account format: a write through the engine syncs every
    // item to disk, which would make building 100,000 items take minutes.
    std::mt19937 random(42);
    for (int i = 0; i < items; ++i) {
        std::string bytes = MakeItem(i, random);
        std::replace(bytes.begin(), bytes.end(), '\xFE', '\n');
        const std::string id = (i % 7 == 0 ? "@" : "ITEM.") + std::to_string(i);
        std::FILE* file = std::fopen((dictionary / id).c_str(), "wb");
        if (file == nullptr)
            return {};
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if (std::fclose(file) != 0 || !written)
            return {};
    }
    return pattern;
}

// What the program does to open a dictionary. Returns the bytes seen, so nothing is
// optimised away.
std::size_t ReadThroughClient(const std::string& account) {
    mv::Session session;
    session.SetAccountPath(account);
    session.Connect();
    auto file = session.OpenDictionary("X");
    session.Command().SetText("SSELECT DICT X BY F1 BY RLOCATION");
    session.Command().Exec();
    std::size_t bytes = 0;
    mv::ServerSelectList& list = session.SelectList(0);
    for (std::string id = list.Next(); !list.LastRecordRead(); id = list.Next()) {
        file->SetRecordId(id);
        file->Read();
        if (file->Error() != 0)
            std::abort();
        for (std::int16_t n = 1; n <= 10; ++n)
            bytes += file->Record().Field(n).StringValue().size();
    }
    return bytes;
}

// The floor: list the directory and read each file into one reused buffer.
std::size_t ReadRaw(const std::string& account) {
    const std::string directory = account + "/D_X";
    DIR* dir = ::opendir(directory.c_str());
    const int dirFd = ::dirfd(dir);
    std::vector<char> buffer(1 << 16);
    std::size_t bytes = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY);
        ssize_t n = 0;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
            bytes += static_cast<std::size_t>(n);
        ::close(fd);
    }
    ::closedir(dir);
    return bytes;
}

double BestSeconds(const std::function<std::size_t()>& run, std::size_t& result) {
    double best = 1e30;
    for (int i = 0; i < kRepeats; ++i) {
        const auto start = Clock::now();
        result = run();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::printf("Writing %d items...\n", items);
    const auto writeStart = Clock::now();
    const std::string account = MakeAccount(items);
    if (account.empty()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }
    const double writeSeconds = std::chrono::duration<double>(Clock::now() - writeStart).count();
    std::printf("  written in %.2f s\n", writeSeconds);

    std::size_t rawBytes = 0, clientBytes = 0;
    if (argc > 2 && std::string(argv[2]) == "client") {
        const double client = BestSeconds([&] { return ReadThroughClient(account); }, clientBytes);
        std::printf("  client path: %.1f ms\n", client * 1e3);
        std::error_code ignored;
        fs::remove_all(account, ignored);
        return 0;
    }
    ReadRaw(account);  // warms the cache for both
    const double raw = BestSeconds([&] { return ReadRaw(account); }, rawBytes);
    const double client = BestSeconds([&] { return ReadThroughClient(account); }, clientBytes);
    std::printf("Best of %d, %d items:\n", kRepeats, items);
    std::printf("  raw read of the item files:               %8.1f ms (%zu bytes)\n", raw * 1e3,
                rawBytes);
    std::printf("  SSELECT BY F1 BY RLOCATION + Read + Field: %8.1f ms (%zu field bytes)\n",
                client * 1e3, clientBytes);
    std::printf("  ratio client / raw: %.2f\n", client / raw);

    std::error_code ignored;
    fs::remove_all(account, ignored);
    return 0;
}
