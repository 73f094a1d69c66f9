#pragma once

#include "editors/form_fields.h"
#include "operator/cursor.h"
#include "operator/messages.h"

// What every editor's form does for its window's buttons.
class EditorForm : public FormLink {
public:
    virtual ~EditorForm() = default;
    virtual void Open() = 0;
    virtual void Retrieve(CursorControl& cursor) = 0;
    virtual void Send(CursorControl& cursor) = 0;
    virtual void Ok() = 0;
};

// What the system setup, advanced and PID group editors share: the texts of their fields
// by the catalogue's labels, the store and show steps of one row, and the buttons' steps.
// Each form keeps only what is its own: the record, the store order and its rules.
class GroupForm : public EditorForm {
public:
    explicit GroupForm(Messages& messages) : m_messages(messages) {}

    FieldTexts& Texts() { return m_texts; }
    const FieldTexts& Texts() const { return m_texts; }

    // Texts to record, with the messages of what is refused.
    virtual void Store() = 0;
    // Record to texts.
    virtual void Show() = 0;
    void Open() override { Show(); }
    void Ok() override { Store(); }

protected:
    // The store and show steps of `row`, whose stored pattern is `value`, by its label's
    // text; true when the text was taken. `mv`: an analogue scale read as percent of MV.
    bool StoreText(const ParameterRow& row, uint16_t& value, const InputRange& range,
                   bool mv = false) {
        return StoreField(row, m_texts.At(row.Label()), value, range, m_unshown, m_messages, mv);
    }
    void ShowText(const ParameterRow& row, uint16_t value, const InputRange& range,
                  bool mv = false) {
        std::string& text = m_texts[row.Label()];
        text = ShowField(row, value, range, m_unshown, text, mv);
    }

    Messages& m_messages;
    FieldTexts m_texts;
    UnshownValues m_unshown;
};
