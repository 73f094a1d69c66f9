#pragma once

#include <string>
#include <vector>

// The one question the loader asks (closing with edits neither sent nor saved): a box with
// Yes and No, captioned like every message. Tests answer it instead.
class Questions {
public:
    virtual ~Questions() = default;
    // True for Yes.
    virtual bool Ask(const std::string& text) = 0;
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
