#pragma once

#include <cstdint>
#include <string>

// Files moved whole. Both return an empty text on success, else a short reason.

// A parameter file is about 100 KB; File Read takes nothing larger than this.
constexpr std::uintmax_t kMaxReadBytes = 4u * 1024 * 1024;

// Writes `text` to a new file beside `path`, syncs it, renames it over `path` and syncs
// the folder, where FindWriteTarget (write_target.h) allows: a regular file keeps its
// owner, group and mode, a symbolic link to one stays and the file it points to is
// replaced. Temporary files a killed write left beside the same target are removed first.
// On any failure the temporary file is removed and an existing `path` is left as it was.
std::string WriteWholeFile(const std::string& path, const std::string& text);

// Why WriteWholeFile would refuse `path` before writing anything; empty when it would not.
std::string CheckWriteTarget(const std::string& path);

// Reads the regular file at `path` into `text` (bytes as they stand, no line-end changes).
// A folder, FIFO or device is refused without being read, and so is a file larger than
// kMaxReadBytes; `text` is then unchanged.
std::string ReadWholeFile(const std::string& path, std::string& text);
