#pragma once

#include "operator/messages.h"

#include <string>
#include <vector>

// What the three sub-editors of the pattern editor share: the texts of their fields, in
// the order their windows lay the fields out, shown from the working state and collected
// back into it.
class SubEditorForm {
public:
    explicit SubEditorForm(size_t fields) : m_texts(fields) {}
    virtual ~SubEditorForm() = default;

    std::vector<std::string>& Texts() { return m_texts; }
    const std::vector<std::string>& Texts() const { return m_texts; }

    // The working state to texts.
    virtual void Show() = 0;
    // Texts to the working state, with the messages of what is refused; true when the
    // window may close.
    virtual bool Collect(Messages& messages) = 0;

protected:
    std::vector<std::string> m_texts;
};
