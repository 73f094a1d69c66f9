#pragma once

#include <string>

// Where a whole-file write may go. Only a regular file is replaced, or a new name taken:
// devices, FIFOs, sockets, folders and symbolic links to nothing are refused, naming their
// kind. A symbolic link to a regular file stands for that file, and the link stays. The
// effective user must be allowed to write the file (or, for a new name, its folder), the
// file's owner must have write permission (a file marked read-only is meant to stay), and
// the replacement must be able to keep the file's owner and group.
struct WriteTarget {
    std::string path;    // the file to replace or create, a symbolic link resolved
    bool exists = false; // a regular file is there
    unsigned owner = 0;  // the replaced file's owner, group and mode, kept by its replacement
    unsigned group = 0;
    unsigned mode = 0;
    std::string refusal; // why it may not be written; empty when it may
};

WriteTarget FindWriteTarget(const std::string& path);

// The operator's words for a failed step; `step` names it where the error has no words of
// its own ("writing failed").
std::string WriteFailure(int error, const std::string& step);

// The temporary file a write puts beside `target` before renaming it over, and the
// removal of those a killed write left behind.
std::string TemporaryName(const std::string& target, int attempt);
void RemoveLeftoverTemporaries(const std::string& target);
