#include "link/link_failure.h"

#include "link/link_backend.h"

#include <cstring>

namespace {

std::string SystemReason(int error) {
    return error ? std::string(std::strerror(error)) : std::string("unknown reason");
}

const char* ExceptionName(int code) {
    switch (code) {
    case 1:
        return "illegal function";
    case 2:
        return "illegal data address";
    case 3:
        return "illegal data value";
    case 4:
        return "device failure";
    case 6:
        return "device busy";
    default:
        return "exception";
    }
}

} // namespace

const char* LinkCauseName(LinkCause cause) {
    switch (cause) {
    case LinkCause::None:
        return "none";
    case LinkCause::BadRequest:
        return "refused request";
    case LinkCause::BadSetting:
        return "malformed setting";
    case LinkCause::CannotOpen:
        return "cannot open";
    case LinkCause::ConnectionRefused:
        return "connection refused";
    case LinkCause::Unreachable:
        return "unreachable";
    case LinkCause::NoSuchHost:
        return "host not found";
    case LinkCause::ConnectionLost:
        return "connection lost";
    case LinkCause::NoAnswer:
        return "no answer";
    case LinkCause::Garbled:
        return "garbled answer";
    case LinkCause::LateAnswer:
        return "late answer";
    case LinkCause::Exception:
        return "exception";
    case LinkCause::WrongUnit:
        return "wrong unit";
    case LinkCause::OtherTransaction:
        return "other transaction";
    case LinkCause::Count:
        break;
    }
    return "?";
}

std::string DescribeLinkFailure(const LinkFailure& f) {
    const std::string timeout = std::to_string(f.timeoutMs) + " ms";
    std::string text;
    switch (f.cause) {
    case LinkCause::None:
        return "no failure";
    case LinkCause::BadRequest:
        return "the request was refused by the loader itself (mode, length or range)";
    case LinkCause::BadSetting:
        return "the setting TQXCOMM_PORT1 is malformed: " + f.detail;
    case LinkCause::CannotOpen:
        return "the device cannot be opened: " + SystemReason(f.systemError);
    case LinkCause::ConnectionRefused:
        return "connection refused";
    case LinkCause::Unreachable:
        return f.systemError ? "unreachable: " + SystemReason(f.systemError)
                             : "unreachable: no connection within " + timeout;
    case LinkCause::NoSuchHost:
        return "the host name does not resolve" + (f.detail.empty() ? "" : ": " + f.detail);
    case LinkCause::ConnectionLost:
        return "the connection was lost: " + SystemReason(f.systemError);
    case LinkCause::NoAnswer:
        text = "no answer within " + timeout;
        break;
    case LinkCause::Garbled:
        text = "answers garbled (" + f.detail + ")";
        break;
    case LinkCause::LateAnswer:
        text = "answers arrive after " + timeout + ": raise timeout=";
        if (f.lateMs > 0)
            text += " (one came after " + std::to_string(f.lateMs) + " ms)";
        break;
    case LinkCause::Exception:
        text = "the controller refused the request (Modbus exception " +
               std::to_string(f.exception) + ", " + ExceptionName(f.exception) + ")";
        if (f.write)
            text += "; write inhibit (WDIS) may be on";
        break;
    case LinkCause::WrongUnit:
        text = "no answer at this unit while the line is otherwise alive (" + f.detail + ")";
        break;
    case LinkCause::OtherTransaction:
        text = "answers came for another transaction (" + f.detail + ")";
        break;
    case LinkCause::Count:
        return "?";
    }
    if (f.silent)
        text += "; not asked again for a moment";
    return text;
}

std::string LinkFailureText(const LinkBackend& backend) {
    const LinkFailure failure = backend.LastFailure();
    if (failure.cause == LinkCause::None)
        return {};
    return "Port 1 (" + backend.PortText() + "): " + DescribeLinkFailure(failure) + ".";
}

std::string LinkFailureText() {
    return LinkFailureText(CurrentLinkBackend());
}
