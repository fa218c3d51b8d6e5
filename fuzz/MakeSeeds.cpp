// SPDX-License-Identifier: MIT
// Builds the starting inputs of every fuzz target from dictionaries at hand, in the form
// each target reads: fuzz_make_seeds OUT_FOLDER [FOLDER...], where each FOLDER is searched
// for dictionary folders (D_*) of item files, and Uvoaif.txt files. Seeds are named by a
// hash of their content, so the same input is written once; existing seeds stay.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mv/ItemIdEscaping.h"
#include "platform/mv/RecordFormat.h"
#include "platform/mv/compiler/NameResolver.h"
#include "platform/mv/wire/WireCalls.h"
#include "platform/mv/wire/WireMessage.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxSeedBytes = 64 * 1024;  // past this a seed only slows the run
constexpr std::size_t kMaxSortItems = 24;

struct Item {
    std::string id;
    std::string fileBytes;
};

std::size_t seedsWritten = 0;

void WriteSeed(const fs::path& out, const std::string& target, std::string_view bytes) {
    if (bytes.size() > kMaxSeedBytes) {
        bytes = bytes.substr(0, kMaxSeedBytes);
    }
    const fs::path folder = out / target;
    fs::create_directories(folder);
    char name[32];
    std::snprintf(name, sizeof name, "%016zx", std::hash<std::string_view>{}(bytes));
    const fs::path path = folder / name;
    if (fs::exists(path)) {
        return;
    }
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ++seedsWritten;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<Item> ReadDictionary(const fs::path& folder) {
    std::vector<Item> items;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (!entry.is_regular_file(error) || entry.is_symlink(error)) {
            continue;
        }
        Item item;
        if (!mv::UnescapeFileName(entry.path().filename().string(), item.id)) {
            continue;
        }
        item.fileBytes = ReadFile(entry.path());
        items.push_back(std::move(item));
    }
    return items;
}

// The BY clauses each sort seed starts with, in turn.
constexpr const char* kSortClauses[] = {
    "", "BY LOC", "BY.DSND F1", "BY TYPE BY LOC", "BY F2 BY.DSND @ID", "BY RLOCATION BY F3",
};

void SeedsOfDictionary(const fs::path& out, const std::vector<Item>& items, std::size_t turn) {
    std::string dictionary;
    std::string sort = std::string(kSortClauses[turn % std::size(kSortClauses)]) + "\n";
    std::size_t sorted = 0;
    for (const Item& item : items) {
        std::string escaped;
        if (mv::EscapeItemId(item.id, escaped)) {
            WriteSeed(out, "fuzz_item_id", escaped);
        }
        WriteSeed(out, "fuzz_item_id", item.id);
        WriteSeed(out, "fuzz_record", item.fileBytes);

        std::string record = item.fileBytes;
        mv::FileBytesToRecord(record);
        if (mv::IsDescriptorType(mv::TypeCodeOf(record))) {
            WriteSeed(out, "fuzz_expression", mv::FieldText(record, 2));
        }
        if (sorted++ < kMaxSortItems) {
            sort += item.id + "\t" + record + "\n";
        }
    }
    dictionary.clear();
    for (const Item& item : items) {
        dictionary += item.id + "\n" + item.fileBytes + "\xFF";
    }
    WriteSeed(out, "fuzz_dictionary", dictionary);
    WriteSeed(out, "fuzz_sort", sort);
}

// Messages of a session's first requests and of a reply, for the protocol targets.
void ProtocolSeeds(const fs::path& out) {
    using mv::wire::Arg;
    using mv::wire::Message;
    std::string password = "secret";
    for (char& c : password) {
        c = static_cast<char>(c ^ mv::wire::kCommsVersion);
    }
    const Message service{0, {Arg::Text(mv::wire::kUniVerseService), Arg::Int(1)}};
    const Message login{
        0,
        {Arg::Int(mv::wire::kCommsVersion), Arg::Int(mv::wire::kClientVersion), Arg::Text("ann"),
         Arg::Bytes(password), Arg::Text("/srv/sales"), Arg::Text(""), Arg::Int(0),
         Arg::Int(0x7F000001), Arg::Text("kelvora"), Arg::Text("desk"), Arg::Text("")}};
    const Message read{
        0, {Arg::Int(mv::wire::kRead), Arg::Int(1), Arg::Int(0), Arg::Bytes("CUST.ID")}};
    const Message reply{0,
                        {Arg::Int(0),
                         Arg::Bytes("D\xFE"
                                    "0\xFE\xFE"
                                    "Customer\xFE"
                                    "8R\xFES"),
                         Arg::Reals({1.5, -0.0}), Arg::Integers({1, -2, 3})}};
    const std::string users = "ann\t$argon2id$v=19$m=65536,t=2,p=1$c2FsdHNhbHQ$aGFzaGhhc2g\n";
    for (const Message* message : {&service, &login, &read, &reply}) {
        const std::string bytes = mv::wire::Encode(*message);
        WriteSeed(out, "fuzz_wire", bytes);
        WriteSeed(out, "fuzz_server_requests", bytes + users);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds OUT_FOLDER [FOLDER...]\n");
        return 2;
    }
    const fs::path out = argv[1];
    ProtocolSeeds(out);
    std::size_t dictionaries = 0;
    for (int i = 2; i < argc; ++i) {
        std::error_code error;
        if (!fs::is_directory(argv[i], error)) {
            continue;
        }
        for (auto it = fs::recursive_directory_iterator(argv[i], error);
             it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (error) {
                break;
            }
            const fs::path& path = it->path();
            const std::string name = path.filename().string();
            if (it->is_regular_file(error) && name == "Uvoaif.txt") {
                WriteSeed(out, "fuzz_constants", ReadFile(path));
            } else if (!it->is_symlink(error) && it->is_directory(error) &&
                       name.rfind("D_", 0) == 0) {
                SeedsOfDictionary(out, ReadDictionary(path), dictionaries++);
                it.disable_recursion_pending();
            }
        }
    }
    std::printf("%zu new seeds from %zu dictionaries in %s\n", seedsWritten, dictionaries,
                out.string().c_str());
    return 0;
}
