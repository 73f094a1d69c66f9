#include "history/port_key.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path ByIdFolder() {
    const char* folder = std::getenv("TQX_SERIAL_BY_ID");
    return folder && *folder ? fs::path(folder) : fs::path("/dev/serial/by-id");
}

} // namespace

std::string StablePortName(const std::string& port) {
    if (port.empty() || port.rfind("tcp:", 0) == 0)
        return port;
    std::error_code error;
    const fs::path device = fs::canonical(port, error);
    if (error)
        return port; // gone or never there: the name as used is all there is
    const fs::path byId = ByIdFolder();
    // The path already a by-id link: keep it.
    if (fs::path(port).parent_path() == byId)
        return port;
    std::string best;
    for (fs::directory_iterator it(byId, error), end; !error && it != end; it.increment(error)) {
        std::error_code resolved;
        if (fs::canonical(it->path(), resolved) == device && !resolved) {
            const std::string name = it->path().string();
            if (best.empty() || name < best) // one adapter with several links: always the same
                best = name;
        }
    }
    return best.empty() ? device.string() : best;
}
