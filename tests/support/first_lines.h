#pragma once

#include "operator/messages.h"

#include <string>
#include <vector>

// The first line of every recorded message: the parameter's own text. Refusals add a
// second line naming the field and what it takes; tests of that line read Texts().
inline std::vector<std::string> FirstLines(const RecordingMessages& messages) {
    std::vector<std::string> out;
    for (const std::string& text : messages.Texts())
        out.push_back(text.substr(0, text.find('\n')));
    return out;
}
