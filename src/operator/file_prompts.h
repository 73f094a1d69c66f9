#pragma once

#include <string>

// The system's file dialog, as every command that asks for a path reaches it: PDF export,
// Browse... in FILE NAME. Tests answer it instead of blocking on a dialog.
class FilePrompts {
public:
    enum class Purpose { Open, Save };
    virtual ~FilePrompts() = default;
    // A path picked by the operator; the empty text when they cancelled. `filters` as the
    // system dialog takes them: "PDF files (*.pdf)", several separated by ";;".
    virtual std::string PickPath(Purpose purpose, const std::string& title,
                                 const std::string& filters) = 0;
};

// Answers every prompt with one path and keeps what was asked.
class AnsweringFilePrompts : public FilePrompts {
public:
    explicit AnsweringFilePrompts(std::string path) : m_path(std::move(path)) {}
    std::string PickPath(Purpose, const std::string& title, const std::string&) override {
        m_asked = title;
        return m_path;
    }
    const std::string& Asked() const { return m_asked; }

private:
    std::string m_path;
    std::string m_asked;
};
