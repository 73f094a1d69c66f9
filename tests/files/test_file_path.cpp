#include "files/file_path.h"

#include <gtest/gtest.h>

TEST(BuildFilePath, DriveColonBackslashName) {
    const struct {
        const char* drive;
        const char* name;
        const char* path;
    } cases[] = {
        {"C", "TEST", "C:\\TEST"},
        {"A", "PARAM1.SLK", "A:\\PARAM1.SLK"},
        {"", "x", ":\\x"},               // nothing is checked
        {" c ", " a b ", " c :\\ a b "}, // nor trimmed
        {"AB", "dir\\f", "AB:\\dir\\f"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildFilePath(c.drive, c.name), c.path) << c.drive << "|" << c.name;
}

#ifndef _WIN32
TEST(HostPathFor, MapsDriveLetterPathsOntoThisHost) {
    const struct {
        const char* drive;
        const char* name;
        const char* path;
    } cases[] = {
        {"C", "TEST", "TEST"}, // a drive letter has no meaning here
        {"", "TEST", "TEST"},
        {"A", "sub\\PARAM1.SLK", "sub/PARAM1.SLK"}, // either separator
        {"A", "sub/PARAM1.SLK", "sub/PARAM1.SLK"},
        {"C", "/tmp/p.slk", "/tmp/p.slk"}, // absolute stays absolute
        {"C", "\\tmp\\p.slk", "/tmp/p.slk"},
        {"/tmp/files", "p.slk", "/tmp/files/p.slk"}, // a longer drive is a folder
        {"/tmp/files/", "p.slk", "/tmp/files/p.slk"},
        {"work", "sub\\p.slk", "work/sub/p.slk"},
        {"\\tmp\\files", "\\p.slk", "/tmp/files/p.slk"}, // its root is the folder
    };
    for (const auto& c : cases)
        EXPECT_EQ(HostPathFor(c.drive, c.name), c.path) << c.drive << "|" << c.name;
}
#endif
