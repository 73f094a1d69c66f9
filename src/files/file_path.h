#pragma once

#include <string>

// The path both file commands form from the operator's two texts: drive, ":\", name.
// Neither text is trimmed or checked, and no extension is added.
std::string BuildFilePath(const std::string& drive, const std::string& name);

// The path actually opened on this host. On Windows it is BuildFilePath as it stands.
// Elsewhere there are no drive letters: an empty or one-letter drive text is ignored and
// the name is taken with "\" or "/" as separators, relative to the current directory
// unless it is absolute; a longer drive text is taken as a directory standing for the
// drive's root, so the name (leading separators dropped) lies inside it.
std::string HostPathFor(const std::string& drive, const std::string& name);

// HostPathFor, where the file commands put it: a relative path lies in `folder` (the
// folder the FILE NAME dialog shows; the current folder when empty), and with
// `addExtension` a name with no extension gets ".slk".
std::string FilePathIn(const std::string& folder, const std::string& drive, const std::string& name,
                       bool addExtension);

// The two texts for a path picked in the system file dialog. With drive letters
// ("C:/dir/x.slk" or "C:\\dir\\x.slk") the drive is the letter and the name the rest after
// the separator; elsewhere the drive is empty and the name the whole path.
struct DriveAndName {
    std::string drive;
    std::string name;
};
DriveAndName SplitPickedPath(const std::string& path, bool driveLetters);

// `path` made absolute against the current folder, for telling the operator where a file is.
std::string FullPath(const std::string& path);
