#include "app/application.h"

#include "tqx_version.h"

#include <csignal>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // Answered before the application object exists, so it needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("tqxloader " TQX_VERSION);
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
