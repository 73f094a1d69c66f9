#include "editors/form_fields.h"

bool StoreRangeValue(const InputRange& range, const std::string& text, int32_t lo, int32_t hi,
                     int16_t& field, const std::string& message, Messages& messages) {
    if (const std::optional<int32_t> v = RangeValueIn(range, text, lo, hi, messages)) {
        field = static_cast<int16_t>(*v);
        return true;
    }
    messages.Show(message);
    return false;
}
