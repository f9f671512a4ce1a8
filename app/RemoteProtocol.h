// The remote control's wire format and socket, shared by the program (the
// server) and the sender tool. A request is the tag (4 bytes), the byte
// count (4 bytes), both unsigned little-endian, then that many bytes: the
// text "<mark><4-character command><mark><text to speak>" with its
// terminating zero. The reply is 4 bytes, a little-endian 1 (TRUE) or 0
// (FALSE), sent once the command has been handed to the engine.
//
// The socket "zorvalis-remote" lies in $XDG_RUNTIME_DIR, or, without a
// usable one, in the private folder /tmp/zorvalis-<uid>. Either folder must
// be a directory of the user's own that no one else may enter.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace remote {

constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kReplyBytes = 4;
// A request that announces more bytes is answered FALSE and its connection
// closed.
constexpr std::uint32_t kMaxRequestBytes = 1u << 20;
constexpr const char* kSocketName = "zorvalis-remote";
// How long a sender waits for the reply unless told otherwise.
constexpr std::chrono::seconds kReplyWait(10);

// The socket's path, or empty (with the reason in error) when no private
// folder can be had. Creates the /tmp folder when needed.
std::string SocketPath(std::string* error = nullptr);

std::string EncodeRequest(std::uint32_t tag, const std::string& bytes);
std::string EncodeReply(bool answer);
std::uint32_t ReadUint32(const char* bytes);

// Takes the whole requests at the front of pending, which holds the bytes a
// connection has sent: each request's bytes (without tag and count) go to
// requests and its header and bytes leave pending, which keeps what does
// not yet make a whole request. False when the next request announces more
// than kMaxRequestBytes: it is to be answered FALSE and the connection
// closed (pending still starts with its header).
bool TakeRequests(std::string& pending, std::vector<std::string>& requests);

// Sends one request to the socket at path and waits for the reply, the
// whole exchange (connection, request and reply) within wait (zero: without
// a limit): 1 TRUE, 0 FALSE, -1 when the exchange failed or took too long
// (the reason in error: "no answer within <seconds> s").
int SendRequest(const std::string& path, std::uint32_t tag, const std::string& bytes,
                std::string* error = nullptr,
                std::chrono::milliseconds wait = std::chrono::milliseconds(kReplyWait));

// Whether a server accepts connections at path.
bool ServerAnswers(const std::string& path);

}  // namespace remote
