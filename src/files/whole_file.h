#pragma once

#include <string>

// Files moved whole. Both return an empty text on success, else a short reason.

// Writes `text` to a new file beside `path` in one write, then renames it over `path`.
// On any failure the temporary file is removed and an existing `path` is left as it was.
std::string WriteWholeFile(const std::string& path, const std::string& text);

// Reads the whole file at `path` into `text` (bytes as they stand, no line-end changes).
std::string ReadWholeFile(const std::string& path, std::string& text);
