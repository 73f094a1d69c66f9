#include "app/application.h"

int main(int argc, char** argv) {
    CTQXLOADER961114App app(argc, argv);
    return app.Run();
}
