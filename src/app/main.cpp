#include "app/application.h"

#include "tqx_version.h"

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// The loader's command line; its manual page is made from this text.
const char kUsage[] =
    "usage: tqxloader [--help] [--version] [Qt options]\n"
    "\n"
    "Edits the parameters of one TQX program controller joined to the PC by a serial\n"
    "line: Connect > Start... reads them, Parameter setting edits each group, File\n"
    "saves and loads them as parameter files. Help > User guide... explains the rest.\n"
    "\n"
    "options:\n"
    "  --help                 print this text and exit\n"
    "  --version              print the version and exit\n"
    "\n"
    "Every other argument goes to Qt, for example -platform NAME.\n";

} // namespace

int main(int argc, char** argv) {
    // Answered before the application object exists, so they need no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("tqxloader " TQX_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
#ifdef SIGXFSZ
    // A file size limit fails a File Write as a full disk does, instead of ending the loader.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    CTQXLOADER961114App app(argc, argv);
    return app.Run();
}
