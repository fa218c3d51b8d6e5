// SPDX-License-Identifier: MIT
// kelvora-cmd in-process, against the raw file work it cannot avoid, in the same run:
// export of a generated dictionary to a file against reading its item files raw and
// writing the same lines; check of a dictionary of I-descriptors against the raw read.
// Usage: bench_cli [export items] [descriptors] (defaults 100000 and 10000).
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "cli/Cli.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRepeats = 3;

// Runs kelvora-cmd in-process; aborts unless it exits with `expected`.
void RunCli(const std::vector<std::string>& words, int expected) {
    std::ostringstream out, err;
    const cli::Environment env{out, err, nullptr, false, false, std::nullopt, {}, {}, false, {}};
    if (cli::RunCli(words, env) != expected) {
        std::fprintf(stderr, "kelvora-cmd failed: %s\n", err.str().c_str());
        std::abort();
    }
}

std::size_t FileSize(const std::string& path) {
    return static_cast<std::size_t>(std::ifstream(path, std::ios::binary | std::ios::ate).tellg());
}

// An account whose dictionary X holds `descriptors` I-descriptors over 500 data fields,
// each using fields and often a descriptor defined before it. Written raw, as the
// generated export account is.
class DescriptorAccount {
public:
    explicit DescriptorAccount(int descriptors) {
        std::string pattern = (fs::temp_directory_path() / "kelvora-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
        const fs::path dictionary = path_ / "D_X";
        fs::create_directory(dictionary);
        constexpr int kFields = 500;
        for (int i = 0; i < kFields; ++i) {
            Write(dictionary / ("FIELD." + std::to_string(i)),
                  "D\n" + std::to_string(i + 1) + "\n\nField\n10L\nS");
        }
        for (int i = 0; i < descriptors; ++i) {
            const std::string a = "FIELD." + std::to_string((i * 7) % kFields);
            const std::string b = "FIELD." + std::to_string((i * 13 + 5) % kFields);
            const std::string earlier = i % 3 == 0 && i > 0 ? "CALC." + std::to_string(i / 2) : a;
            std::string expression =
                i % 2 == 0 ? "IF " + a + " > 0 THEN OCONV(" + b + ",'MD2') ELSE " + earlier
                           : a + " * " + b + " + " + earlier + "<1,2>";
            Write(dictionary / ("CALC." + std::to_string(i)),
                  "I\n" + expression + "\nMD2\nCalculated\n12R\nS");
        }
    }
    ~DescriptorAccount() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    DescriptorAccount(const DescriptorAccount&) = delete;
    DescriptorAccount& operator=(const DescriptorAccount&) = delete;

    std::string path() const { return path_.string(); }
    std::string dictionaryPath() const { return (path_ / "D_X").string(); }

private:
    static void Write(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    fs::path path_;
};

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int descriptors = argc > 2 ? std::atoi(argv[2]) : 10000;

    std::printf("Writing %d items...\n", items);
    const bench::GeneratedAccount account(items);
    if (!account.ok()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }
    const std::string rawTarget = account.path() + "/raw.txt";
    const std::string exportTarget = account.path() + "/export.txt";
    std::size_t rawBytes = 0, exportBytes = 0;
    bench::ReadItemFilesRaw(account.dictionaryPath());  // warms the cache for both
    const double raw = bench::BestSeconds(
        kRepeats, [&] { return bench::WriteListingRaw(account.dictionaryPath(), rawTarget); },
        rawBytes);
    const double exported = bench::BestSeconds(
        kRepeats,
        [&] {
            RunCli({"-a", account.path(), "export", "X", exportTarget}, 0);
            return FileSize(exportTarget);
        },
        exportBytes);

    std::printf("Writing %d I-descriptors...\n", descriptors);
    const DescriptorAccount checked(descriptors);
    std::size_t readBytes = 0, unused = 0;
    bench::ReadItemFilesRaw(checked.dictionaryPath());
    const double read = bench::BestSeconds(
        kRepeats, [&] { return bench::ReadItemFilesRaw(checked.dictionaryPath()); }, readBytes);
    const double check = bench::BestSeconds(
        kRepeats,
        [&] {
            RunCli({"-a", checked.path(), "check"}, 0);
            return std::size_t{0};
        },
        unused);

    std::printf("Best of %d:\n", kRepeats);
    std::printf("  export, %d items:\n", items);
    std::printf("    raw read + write of the same lines:  %8.1f ms (%zu bytes)\n", raw * 1e3,
                rawBytes);
    std::printf("    kelvora-cmd export X FILE:           %8.1f ms (%zu bytes)%s\n", exported * 1e3,
                exportBytes, rawBytes == exportBytes ? "" : "  SIZES DIFFER");
    std::printf("    ratio export / raw: %.2f\n", exported / raw);
    std::printf("  check, %d I-descriptors (+500 D items):\n", descriptors);
    std::printf("    raw read of the item files:          %8.1f ms (%zu bytes)\n", read * 1e3,
                readBytes);
    std::printf("    kelvora-cmd check:                   %8.1f ms\n", check * 1e3);
    std::printf("    ratio check / raw read: %.2f\n", check / read);
    return rawBytes == exportBytes ? 0 : 1;
}
