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

TEST(SplitPickedPath, DriveLetterOnlyWhereTheHostHasThem) {
    const struct {
        const char* path;
        bool driveLetters;
        const char* drive;
        const char* name;
    } cases[] = {
        {"C:\\data\\kiln\\P1.SLK", true, "C", "data\\kiln\\P1.SLK"},
        {"d:/data/P1.SLK", true, "d", "data\\P1.SLK"},
        {"\\\\server\\share\\P1.SLK", true, "", "\\\\server\\share\\P1.SLK"}, // no letter
        {"/home/op/kiln/P1.SLK", false, "", "/home/op/kiln/P1.SLK"},
        {"C:/kiln/P1.SLK", false, "", "C:/kiln/P1.SLK"}, // a folder named C: here
    };
    for (const auto& c : cases) {
        const DriveAndName split = SplitPickedPath(c.path, c.driveLetters);
        EXPECT_EQ(split.drive, c.drive) << c.path;
        EXPECT_EQ(split.name, c.name) << c.path;
#ifndef _WIN32
        if (!c.driveLetters) { // the path rule takes the whole path back as it was picked
            EXPECT_EQ(HostPathFor(split.drive, split.name), c.path);
        }
#endif
    }
}
