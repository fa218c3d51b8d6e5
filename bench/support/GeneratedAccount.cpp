// SPDX-License-Identifier: MIT
#include "bench/support/GeneratedAccount.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

namespace bench {

namespace {

namespace fs = std::filesystem;
const std::string FM = "\xFE";
const std::string VM = "\xFD";
constexpr int kListedFields = 10;

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
    for (int w = 0; w < 25; ++w) {
        phrase += "FIELD" + std::to_string((i + w) % 97) + " ";
    }
    return phrase;
}

bool WriteItems(const fs::path& dictionary, int items) {
    // Written directly in the account format: a write through the engine syncs every
    // item to disk, which would make building 100,000 items take minutes.
    std::mt19937 random(42);
    for (int i = 0; i < items; ++i) {
        std::string bytes = MakeItem(i, random);
        std::replace(bytes.begin(), bytes.end(), '\xFE', '\n');
        const std::string id = (i % 7 == 0 ? "@" : "ITEM.") + std::to_string(i);
        std::FILE* file = std::fopen((dictionary / id).c_str(), "wb");
        if (file == nullptr) {
            return false;
        }
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if (std::fclose(file) != 0 || !written) {
            return false;
        }
    }
    return true;
}

}  // namespace

GeneratedAccount::GeneratedAccount(int items) {
    std::string pattern = (fs::temp_directory_path() / "kelvora-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    path_ = pattern;
    std::error_code error;
    fs::create_directory(dictionaryPath(), error);
    if (error || !WriteItems(dictionaryPath(), items)) {
        fs::remove_all(path_, error);
        path_.clear();
    }
}

GeneratedAccount::~GeneratedAccount() {
    if (!path_.empty()) {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
}

std::size_t ReadItemFilesRaw(const std::string& dictionaryPath) {
    DIR* dir = ::opendir(dictionaryPath.c_str());
    if (dir == nullptr) {
        return 0;
    }
    const int dirFd = ::dirfd(dir);
    std::vector<char> buffer(1 << 16);
    std::size_t bytes = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY);
        if (fd < 0) {
            continue;
        }
        ssize_t n = 0;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
            bytes += static_cast<std::size_t>(n);
        }
        ::close(fd);
    }
    ::closedir(dir);
    return bytes;
}

// The floor: list the directory, read each item file raw, cut it at its line feeds into
// the same line and write the lines to the file, flushed to disk as the export does.
std::size_t WriteListingRaw(const std::string& dictionaryPath, const std::string& target) {
    DIR* dir = ::opendir(dictionaryPath.c_str());
    const int dirFd = ::dirfd(dir);
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buffer(1 << 16);
    std::string lines;
    std::size_t written = 0;
    const auto flush = [&] {
        if (::write(out, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size())) {
            std::abort();
        }
        written += lines.size();
        lines.clear();
    };
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY);
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        ::close(fd);
        lines += entry->d_name;
        int field = 0;
        lines += '\t';
        for (ssize_t i = 0; i < n && field < kListedFields; ++i) {
            if (buffer[static_cast<std::size_t>(i)] == '\n') {
                ++field;
                if (field < kListedFields) {
                    lines += '\t';
                }
            } else {
                lines += buffer[static_cast<std::size_t>(i)];
            }
        }
        lines.append(
            static_cast<std::size_t>(kListedFields - 1 - std::min(field, kListedFields - 1)), '\t');
        lines += "\r\n";
        if (lines.size() >= buffer.size()) {
            flush();
        }
    }
    flush();
    ::fsync(out);
    ::close(out);
    ::closedir(dir);
    return written;
}

double BestSeconds(int repeats, const std::function<std::size_t()>& run, std::size_t& result) {
    using Clock = std::chrono::steady_clock;
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        result = run();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

std::vector<double> AlternatedMedians(int rounds, const std::vector<std::function<void()>>& steps) {
    using Clock = std::chrono::steady_clock;
    std::vector<std::vector<double>> times(steps.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const auto start = Clock::now();
            steps[i]();
            times[i].push_back(std::chrono::duration<double>(Clock::now() - start).count());
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& step : times) {
        std::sort(step.begin(), step.end());
        medians.push_back(step.empty() ? 0.0 : step[step.size() / 2]);
    }
    return medians;
}

}  // namespace bench
