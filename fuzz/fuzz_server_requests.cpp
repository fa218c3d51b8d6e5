// SPDX-License-Identifier: MIT
// What the server decodes from a client before anyone is logged in, and its users file.
// The input is a wire message (the first two requests of a connection are decoded from
// it) followed, after the message's bytes, by the text of a users file. Beyond not
// crashing:
// - a service or login request is accepted only in its exact shape, and a login gives
//   back the password as typed (the comms version's XOR undone once);
// - a users file that parses writes out to text that parses to the same users.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "fuzz/WireDecode.h"
#include "platform/mv/wire/WireMessage.h"
#include "server/LoginRequest.h"
#include "server/RequestShape.h"
#include "server/UsersFile.h"

namespace {

void CheckRequests(const mv::wire::Message& message) {
    using fuzz::Require;
    server::ServiceRequest service;
    if (server::ParseServiceRequest(message, service)) {
        Require(server::HasShape(message, "s") || server::HasShape(message, "si"),
                "a service request is a string and perhaps an integer");
        Require(service.service == message.args[0].bytes, "the service is the first argument",
                service.service);
    }
    server::LoginRequest login;
    if (server::ParseLoginRequest(message, login)) {
        Require(message.args.size() == 11 && server::HasShape(message, "iissssiisss"),
                "a login has its eleven arguments");
        std::string typed = login.password;
        for (char& c : typed) {
            c = static_cast<char>(c ^ login.commsVersion);
        }
        Require(typed == message.args[3].bytes, "the password's XOR is undone once", typed);
        Require(login.user == message.args[2].bytes && login.account == message.args[4].bytes,
                "user and account are taken as sent", login.user);
    }
}

void CheckUsersFile(const std::string& text) {
    using fuzz::Require;
    server::UserTable users;
    std::string why;
    if (!server::ParseUsers(text, users, why)) {
        Require(!why.empty(), "a refused users file says why", text);
        return;
    }
    for (const auto& [name, hash] : users.Entries()) {
        Require(server::IsValidUserName(name), "every user read has a valid name", name);
    }
    const std::string written = server::FormatUsers(users);
    server::UserTable again;
    Require(server::ParseUsers(written, again, why), "a written users file parses", written);
    Require(again.Entries() == users.Entries(), "the users file round-trips", written);
    Require(server::FormatUsers(again) == written, "writing the users file is stable", written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<mv::wire::Message> message = fuzz::DecodeMessage(data, size);
    std::size_t used = 0;
    if (message) {
        CheckRequests(*message);
        used = mv::wire::kHeaderSize + (std::size_t{data[4]} << 24 | std::size_t{data[5]} << 16 |
                                        std::size_t{data[6]} << 8 | data[7]);
    }
    CheckUsersFile(std::string(reinterpret_cast<const char*>(data) + used, size - used));
    return 0;
}
