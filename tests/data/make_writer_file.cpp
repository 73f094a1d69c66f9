// Writes a parameter file exactly as File Write does, for make_libreoffice_fixtures.sh:
//   make_writer_file OUT          the start values
//   make_writer_file OUT SEED     the busy image of the file tests with that seed
#include "files/file_test_support.h"
#include "files/parameter_file_writer.h"

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    ParameterImage image;
    SetStartValues(image);
    if (argc > 2)
        image = filetest::BusyImage(static_cast<uint32_t>(std::atoi(argv[2])));
    RecordingMessages messages;
    return WriteParameterFile(image, argv[1], messages) ? 0 : 1;
}
