// libFuzzer target for the parameter file reader. Every input is read into an image
// holding start values; a refused file must leave the image exactly as it was and say
// why, and an accepted file must survive a write and a second read unchanged.
#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "image/parameter_image.h"
#include "operator/messages.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool SameImage(const ParameterImage& a, const ParameterImage& b) {
    return a.systemSetup == b.systemSetup && a.advanced == b.advanced && a.pid == b.pid &&
           a.pattern == b.pattern && a.modelCode == b.modelCode && a.connected == b.connected &&
           a.rawBlock0 == b.rawBlock0 && a.rawBlock3 == b.rawBlock3;
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_reader invariant broken: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    ParameterImage image;
    SetStartValues(image);
    const ParameterImage before = image;
    RecordingMessages messages;
    if (!ReadParameterFileText(text, image, messages)) {
        if (!SameImage(image, before))
            Fail("a refused file changed the image");
        if (messages.Texts().empty())
            Fail("a refused file was not reported");
        return 0;
    }
    if (image.connected != 1)
        Fail("an accepted file did not set the connected flag");

    // What was loaded, written and read again, is what was loaded.
    ParameterImage again;
    SetStartValues(again);
    RecordingMessages messagesAgain;
    if (!ReadParameterFileText(BuildParameterFileText(image), again, messagesAgain))
        Fail("the writer's own file of a loaded image was refused");
    if (!SameImage(image, again))
        Fail("a loaded image changed on write and read back");
    return 0;
}
