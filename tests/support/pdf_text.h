#pragma once

#include <cstdio>
#include <string>

// The text of a PDF file as `pdftotext -layout` lays it out, pages split by form feeds;
// `options` may add more (such as "-l 1" for the first page only).
inline std::string PdfText(const std::string& pdf, const std::string& options = "") {
    FILE* pipe = popen(("pdftotext -layout " + options + " '" + pdf + "' -").c_str(), "r");
    std::string text;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    if (pipe)
        pclose(pipe);
    return text;
}
