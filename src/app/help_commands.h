#pragma once

#include "app/command_handler.h"

#include <QDialog>
#include <QString>

#include <utility>
#include <vector>

class CTQXLOADER961114Doc;

// Help: the user guide installed with the loader, and the keys of its windows.
class HelpCommands : public CommandHandler {
public:
    explicit HelpCommands(CTQXLOADER961114Doc& document) : m_document(document) {}
    void Run(Command command) override;

private:
    CTQXLOADER961114Doc& m_document;
};

// Where the user guide is: beside the installed program (share/tqxloader), else in the
// sources it was built from; empty when neither holds it.
QString UserGuidePath();

// The keys, each with what it does, as "Keyboard keys" lists them.
const std::vector<std::pair<const char*, const char*>>& KeyboardKeys();

// A window that shows a text (the guide as Markdown, or the keys as a table) with Close.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    HelpWindow(const QString& title, QWidget* parent);
    void ShowMarkdown(const QString& markdown);
    void ShowKeys(const std::vector<std::pair<const char*, const char*>>& keys);
};
