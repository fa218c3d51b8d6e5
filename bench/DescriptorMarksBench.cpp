// SPDX-License-Identifier: MIT
// Marking the I and V items that do not compile, as the grids do after an open and after
// each save: every descriptor compiled on the client against the records as read. Timed
// against reading the same item files raw, in the same run, for the generated dictionary
// (5,000 items by default) and for every dictionary of the real corpus when it is there;
// and the form check of every cell, as if every row were painted once. A save of one D
// cell brings the marks up to date from the changed item; it is timed against compiling
// everything again, which is what each save did before.
// Usage: bench_descriptor_marks [items] [corpus folder]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/GeneratedAccount.h"
#include "core/Classification.h"
#include "dictionary/CellForms.h"
#include "dictionary/DescriptorMarks.h"
#include "dictionary/ViewLayout.h"
#include "dictionary/ViewSet.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRepeats = 5;

// The item files of a dictionary folder as the engine holds them: fields at field marks.
std::shared_ptr<dictionary::ViewSet> ReadRecords(const fs::path& dictionary) {
    auto views = std::make_shared<dictionary::ViewSet>();
    for (const auto& entry : fs::directory_iterator(dictionary)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string record{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::replace(record.begin(), record.end(), '\n', '\xFE');
        views->Records().Remember(entry.path().filename().string(), std::move(record));
    }
    return views;
}

struct Figures {
    double raw = 0;            // reading the item files raw
    double open = 0;           // the first compile of every descriptor
    double save = 0;           // bringing the marks up to date after one D item was written
    double fullAfterSave = 0;  // compiling every descriptor again instead
    double forms = 0;          // checking the form of every cell of every item, as painted
    std::size_t cells = 0;
    std::size_t doubtful = 0;
    std::size_t records = 0;
    int broken = 0;
};

Figures Measure(const std::vector<fs::path>& dictionaries) {
    Figures figures;
    std::size_t bytes = 0;
    figures.raw = bench::BestSeconds(
        kRepeats,
        [&] {
            std::size_t all = 0;
            for (const fs::path& dictionary : dictionaries) {
                all += bench::ReadItemFilesRaw(dictionary.string());
            }
            return all;
        },
        bytes);
    std::vector<std::shared_ptr<dictionary::ViewSet>> sets;
    for (const fs::path& dictionary : dictionaries) {
        sets.push_back(ReadRecords(dictionary));
    }
    std::size_t result = 0;
    figures.open = bench::BestSeconds(
        kRepeats,
        [&] {
            int broken = 0;
            for (const auto& views : sets) {
                dictionary::DescriptorMarks marks;
                marks.Update(views);
                broken += marks.BrokenCount();
            }
            figures.broken = broken;
            return static_cast<std::size_t>(broken);
        },
        result);
    // A save writes one item; the marks of that dictionary are worked out again.
    std::vector<dictionary::DescriptorMarks> kept(sets.size());
    for (std::size_t i = 0; i < sets.size(); ++i) {
        kept[i].Update(sets[i]);
        figures.records += sets[i]->Records().Count();
    }
    const auto largest = std::max_element(
        sets.begin(), sets.end(),
        [](const auto& a, const auto& b) { return a->Records().Count() < b->Records().Count(); });
    const std::size_t at = static_cast<std::size_t>(largest - sets.begin());
    std::string savedId;
    std::string savedRecord;
    sets[at]->Records().ForEach([&](const std::string& id, const std::string& record) {
        if (savedId.empty() && record.rfind("D\xFE", 0) == 0) {
            savedId = id;
            savedRecord = record;
        }
    });
    int saves = 0;
    figures.save = bench::BestSeconds(
        kRepeats,
        [&] {
            dictionary::RecordsAsRead& records = sets[at]->Records();
            records.Remember(savedId, savedRecord + "\xFE" + "Saved " + std::to_string(++saves));
            kept[at].Update(sets[at]);
            return static_cast<std::size_t>(kept[at].BrokenCount());
        },
        result);
    figures.fullAfterSave = bench::BestSeconds(
        kRepeats,
        [&] {
            dictionary::DescriptorMarks again;
            again.Update(sets[at]);
            return static_cast<std::size_t>(again.BrokenCount());
        },
        result);
    std::vector<std::vector<QStringList>> rows(sets.size());
    for (std::size_t i = 0; i < sets.size(); ++i) {
        sets[i]->Records().ForEach([&](const std::string&, const std::string& record) {
            rows[i].push_back(
                QString::fromLatin1(record.data(), static_cast<qsizetype>(record.size()))
                    .split(QChar(0xFE)));
        });
    }
    figures.forms = bench::BestSeconds(
        kRepeats,
        [&] {
            figures.cells = 0;
            figures.doubtful = 0;
            for (const auto& items : rows) {
                for (const QStringList& fields : items) {
                    const auto view =
                        core::Classify(fields[0].toLatin1().toStdString(), "item", "").view;
                    if (!view) {
                        continue;
                    }
                    const int last = dictionary::LayoutOf(*view).LastColumn();
                    for (int column = 1; column <= last; ++column) {
                        const QString text =
                            column <= fields.size() ? fields[column - 1] : QString();
                        ++figures.cells;
                        figures.doubtful +=
                            dictionary::CheckCell(*view, column, text, fields[0]) ? 1 : 0;
                    }
                }
            }
            return figures.cells;
        },
        result);
    return figures;
}

void Print(const char* what, const Figures& f) {
    std::printf("%-34s %8zu %10.2f %12.2f %10.2f %8.2f %8d\n", what, f.records, f.raw * 1e3,
                f.open * 1e3, f.save * 1e3, f.open / f.raw, f.broken);
    std::printf("%-34s save %.3f ms against a full compile after it %.2f ms: %.4f of it\n", "",
                f.save * 1e3, f.fullAfterSave * 1e3, f.save / f.fullAfterSave);
    std::printf("%-34s %8zu cells checked in %.2f ms (%.2f of the raw read), %zu marked\n", "",
                f.cells, f.forms * 1e3, f.forms / f.raw, f.doubtful);
}

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    const fs::path corpus = argc > 2 ? fs::path(argv[2]) : fs::path("../shared/corpus");
    std::printf(
        "Best of %d runs. raw: reading the item files; marks: compiling every I and V\n"
        "item against the records as read; save: up to date again after one D item was\n"
        "written (the largest dictionary).\n",
        kRepeats);
    std::printf("%-34s %8s %10s %12s %10s %8s %8s\n", "dictionaries", "items", "raw ms", "marks ms",
                "save ms", "ratio", "broken");
    const bench::GeneratedAccount account(items);
    if (!account.ok()) {
        std::fprintf(stderr, "could not build the account\n");
        return 1;
    }
    bench::ReadItemFilesRaw(account.dictionaryPath());  // warms the cache
    Print("generated", Measure({fs::path(account.dictionaryPath())}));

    std::vector<fs::path> dictionaries;
    std::error_code error;
    for (fs::recursive_directory_iterator it(corpus, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_directory() && it->path().filename().string().rfind("D_", 0) == 0) {
            dictionaries.push_back(it->path());
        }
    }
    if (dictionaries.empty()) {
        std::printf("(no corpus at %s)\n", corpus.c_str());
        return 0;
    }
    std::sort(dictionaries.begin(), dictionaries.end());
    char label[64];
    std::snprintf(label, sizeof label, "corpus (%zu dictionaries)", dictionaries.size());
    Print(label, Measure(dictionaries));
    return 0;
}
