#include "editors/form_fields.h"

void FormLink::RunOperation(Operation operation, Messages& tell) {
    const std::weak_ptr<bool> alive = m_alive;
    operation.after = [this, alive, after = std::move(operation.after)] {
        if (alive.expired())
            return;
        if (after)
            after();
        if (m_refresh)
            m_refresh();
    };
    Link().Run(std::move(operation), tell);
}

std::string Refusal(const std::string& message, const std::string& field,
                    const std::string& takes) {
    return message + "\n" + field + ": " + takes;
}

bool RefuseEmptyScale(const InputRange& range, Messages& messages) {
    if (!range.Empty())
        return false;
    messages.Show(kEmptyScaleMessage);
    return true;
}

namespace {

// Passes on the parser's messages but its generic ones: the field's refusal that follows
// names the parameter and its range, and says all they would.
class FoldedParserMessages : public Messages {
public:
    explicit FoldedParserMessages(Messages& inner) : m_inner(inner) {}
    void Show(const std::string& text) override {
        if (!IsGenericRangeRefusal(text))
            m_inner.Show(text);
    }

private:
    Messages& m_inner;
};

} // namespace

bool StoreRangeValue(const InputRange& range, const std::string& text, int32_t lo, int32_t hi,
                     int16_t& field, const std::string& message, Messages& messages) {
    if (range.Empty())
        return false;
    FoldedParserMessages parser(messages);
    if (const std::optional<int32_t> v = RangeValueIn(range, text, lo, hi, parser, field)) {
        field = static_cast<int16_t>(*v);
        return true;
    }
    messages.Show(message);
    return false;
}

std::string UnshownValues::ShowTime(const std::string& field, int32_t value,
                                    std::optional<int32_t> marker) {
    if ((value < 0 || value > 5999) && value != marker)
        Remember(field, FormatTime(value));
    else
        Forget(field);
    return FormatTime(value);
}
