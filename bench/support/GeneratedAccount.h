// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// A temporary account holding the dictionary X with `items` generated items shaped like
// real ones (mostly D items, some I items with expressions, phrases, value marks here
// and there), written straight in the account format. Removed with the object.
class GeneratedAccount {
public:
    explicit GeneratedAccount(int items);
    ~GeneratedAccount();
    GeneratedAccount(const GeneratedAccount&) = delete;
    GeneratedAccount& operator=(const GeneratedAccount&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string dictionaryPath() const { return path_ + "/D_X"; }

private:
    std::string path_;
};

// The floor every benchmark compares with: list the dictionary's directory and read each
// item file into one reused buffer. Returns the bytes read.
std::size_t ReadItemFilesRaw(const std::string& dictionaryPath);

// The floor of an export: list the dictionary's directory, read each item file raw, cut
// it at its line feeds into its listing line (id, tab-separated fields 1 to 10, CR LF)
// and write the lines to target, flushed to disk as the export does. Returns the bytes
// written.
std::size_t WriteListingRaw(const std::string& dictionaryPath, const std::string& target);

// The best wall time of `repeats` runs, in seconds; `result` keeps the last run's value
// so nothing is optimised away.
double BestSeconds(int repeats, const std::function<std::size_t()>& run, std::size_t& result);

// The median wall times, in seconds, of `rounds` runs of each of several steps taken in
// turn (the first step, the second, ..., then the first again), so a machine that slows
// down or speeds up meanwhile weighs on every step alike.
std::vector<double> AlternatedMedians(int rounds, const std::vector<std::function<void()>>& steps);

}  // namespace bench
