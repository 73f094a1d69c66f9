#pragma once

#include "operator/messages.h"
#include "values/conversions.h"

#include <cstdint>
#include <optional>
#include <string>

// Store-step pieces the group forms share.

// Position of `text` in `list` (any sequence of texts), nothing when it is not there.
template <class List> std::optional<int> CodeOf(const List& list, const std::string& text) {
    int code = 0;
    for (const auto& item : list) {
        if (text == item)
            return code;
        ++code;
    }
    return std::nullopt;
}

// Stores a range value typed as `text` when it lies in lo..hi; otherwise shows `message`
// (after the parser's own) and keeps `field`. True when stored.
bool StoreRangeValue(const InputRange& range, const std::string& text, int32_t lo, int32_t hi,
                     int16_t& field, const std::string& message, Messages& messages);
