#pragma once

#include <array>
#include <cstdint>
#include <string>

// Why the last failed TQXRead or TQXWrite failed, as the link saw it. Transfers, editors,
// the shell and tqxctl build their messages from LinkFailureText().
enum class LinkCause : uint8_t {
    None,
    BadRequest,        // unknown mode, bad length, range outside the block: nothing sent
    BadSetting,        // TQXCOMM_PORT1 is malformed
    CannotOpen,        // the serial device cannot be opened
    ConnectionRefused, // TCP: nothing listens there
    Unreachable,       // TCP: no route, or no connection within the response timeout
    NoSuchHost,        // TCP: the host name does not resolve (in time)
    ConnectionLost,    // the connection or device went away during an exchange
    NoAnswer,          // nothing at all came back
    Garbled,           // a bad CRC, a broken frame, or an answer that does not fit the request
    LateAnswer,        // answers came back, but after the response timeout
    Exception,         // the controller refused the request with a Modbus exception
    WrongUnit,         // another unit answered: the line is alive, this unit is silent
    OtherTransaction,  // TCP: answers came back, but for another transaction id
    Count
};

constexpr int kLinkCauses = static_cast<int>(LinkCause::Count);

struct LinkFailure {
    LinkCause cause = LinkCause::None;
    bool write = false;  // the failed call was a write
    int systemError = 0; // errno of an open or connect failure
    int exception = 0;   // Modbus exception code
    int timeoutMs = 0;   // the response timeout in force
    int lateMs = 0;      // how late a late answer came, from the request
    std::string detail;  // the malformed part of a setting, the kind of garbling, ...
    bool silent = false; // refused at once: the controller was silent a moment ago
    // A request of the failed call went out on the line without a definite answer coming
    // back: the controller may have acted on it.
    bool requestSent = false;
};

// A short name of a cause, for statistics ("no answer", "garbled", ...).
const char* LinkCauseName(LinkCause cause);

// The cause in words, without the port: "connection refused", "no answer within 500 ms".
std::string DescribeLinkFailure(const LinkFailure& failure);

class LinkBackend;

// "Port 1 (tcp:127.0.0.1:1502, unit 1): connection refused." for the last failed call of
// `backend` (or of the installed link); empty when no call has failed since port 1 was
// opened.
std::string LinkFailureText(const LinkBackend& backend);
std::string LinkFailureText();
