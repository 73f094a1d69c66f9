#pragma once

#include <string>
#include <vector>

// Everything the operator is told goes through one Messages object: a message box with
// one OK button, no icon, captioned "TQXLOADER961114". Tests record the texts instead.
class Messages {
public:
    virtual ~Messages() = default;
    virtual void Show(const std::string& text) = 0;
};

// Keeps every shown text, in order.
class RecordingMessages : public Messages {
public:
    void Show(const std::string& text) override { m_texts.push_back(text); }
    const std::vector<std::string>& Texts() const { return m_texts; }
    void Clear() { m_texts.clear(); }

private:
    std::vector<std::string> m_texts;
};
