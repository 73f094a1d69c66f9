#pragma once

#include <string>
#include <vector>

// The questions the loader asks before something the operator may not mean (closing or
// replacing unsent edits, sending values nobody chose): boxes captioned like every message,
// the safe answer the default. Tests answer them instead.
class Questions {
public:
    virtual ~Questions() = default;
    // Yes and No; true for Yes.
    virtual bool Ask(const std::string& text) = 0;
    // A message with OK and Cancel; true for OK.
    virtual bool Confirm(const std::string& text) { return Ask(text); }
};

// Answers every question with `answer` and keeps the texts asked.
class AnsweringQuestions : public Questions {
public:
    explicit AnsweringQuestions(bool answer) : m_answer(answer) {}
    bool Ask(const std::string& text) override {
        m_asked.push_back(text);
        return m_answer;
    }
    const std::vector<std::string>& Asked() const { return m_asked; }

private:
    bool m_answer;
    std::vector<std::string> m_asked;
};
