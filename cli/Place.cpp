// SPDX-License-Identifier: MIT
#include "cli/Place.h"

#include <filesystem>

#include "cli/Concat.h"
#include "cli/DumpFolder.h"

namespace cli {
namespace {

constexpr const char* kServerForm = " (a server is USER@HOST[:PORT]/ACCOUNT)";

// Whether text is written as a server: a user before an "@", or HOST:PORT, in front of
// the first "/". A folder path has neither there.
bool LooksLikeServer(const std::string& text) {
    const std::size_t slash = text.find('/');
    const std::string head = text.substr(0, slash);
    if (head.empty() || head[0] == '.' || head[0] == '~') {
        return false;
    }
    if (head.find('@') != std::string::npos) {
        return true;
    }
    const std::size_t colon = head.rfind(':');
    return colon != std::string::npos && colon + 1 < head.size() &&
           head.find_first_not_of("0123456789", colon + 1) == std::string::npos;
}

bool ParseServer(const std::string& text, Place& place, std::string& why) {
    const std::size_t slash = text.find('/');
    const std::string head = text.substr(0, slash);
    const std::size_t at = head.rfind('@');
    place.kind = Place::Kind::Server;
    place.user = at == std::string::npos ? std::string() : head.substr(0, at);
    place.host = at == std::string::npos ? head : head.substr(at + 1);
    place.account = slash == std::string::npos ? std::string() : text.substr(slash + 1);
    if (at != std::string::npos && place.user.empty()) {
        why = Concat({"no user name before the @ in ", text, kServerForm});
        return false;
    }
    if (place.host.empty() || place.host[0] == ':') {
        why = Concat({"no host in ", text, kServerForm});
        return false;
    }
    if (place.account.empty()) {
        why = Concat({"no account after the host in ", text, kServerForm});
        return false;
    }
    return true;
}

}  // namespace

std::optional<Place> ParsePlace(const std::string& text, std::string& why) {
    Place place;
    place.text = text;
    if (text.empty()) {
        why = "an empty place: give an account folder, a dump folder or USER@HOST/ACCOUNT";
        return std::nullopt;
    }
    if (LooksLikeServer(text)) {
        return ParseServer(text, place, why) ? std::optional<Place>(place) : std::nullopt;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(text, error)) {
        why = Concat({text, " is not a folder (nor a server place such as ann@host/ACCOUNT)"});
        return std::nullopt;
    }
    place.folder = text;
    place.kind = IsDumpFolder(text) ? Place::Kind::DumpFolder : Place::Kind::Account;
    return place;
}

}  // namespace cli
