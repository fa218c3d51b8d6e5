// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace testbackend {

// A second server for the client's tests, independent of kelvora-server: it serves the
// account folders under `root` on a loopback port with the local engine behind each
// connection. It differs from kelvora-server where a client could get away with wrong
// assumptions: its file handles are never equal to the status OPEN returns (integers from
// 1000 on, or byte strings), it refuses a handle it never gave, and every reply carries one
// more argument than the call defines. Many connections are served at once, a thread each;
// ending a connection ends its engine, which releases its record locks. Each login gets
// a user number, which RECORDLOCKED's status gives for the holder of an item, and
// LIST.READU answers the table of the account's locks, written here from its description.
class StandInServer {
public:
    enum class Handles { Integer, Bytes };
    // Unknown: a server that keeps no record locks, as some do: a read or a write with a
    // lock flag, RECORDLOCK, RELEASE and RECORDLOCKED are answered 81025.
    enum class Locks { Kept, Unknown };
    // Refused: an account the user may only read: WRITE and DELETE are answered 14013.
    enum class Writes { Allowed, Refused };
    // Unknown: a server that evaluates no dictionary items: ITYPE is answered 81025.
    enum class Evaluation { Served, Unknown };

    // Called on a session's thread with the item id before each read that takes a lock,
    // so a test can change the account between a client's first read and its locked one.
    using BeforeLockedRead = std::function<void(const std::string& id)>;

    StandInServer(const std::filesystem::path& root, Handles handles, Locks locks = Locks::Kept,
                  Writes writes = Writes::Allowed, BeforeLockedRead beforeLockedRead = {},
                  Evaluation evaluation = Evaluation::Served);
    // Stops accepting, ends every connection and waits for their threads.
    ~StandInServer();
    StandInServer(const StandInServer&) = delete;
    StandInServer& operator=(const StandInServer&) = delete;

    std::uint16_t Port() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace testbackend
