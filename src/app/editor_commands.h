#pragma once

#include "app/command_handler.h"
#include "image/group_id.h"

class CTQXLOADER961114Doc;

// The connection gate of the editors and of the commands that need a parameter set:
// true when connected (or a file was read); otherwise shows the Connect-first notice.
bool PassConnectGate(CTQXLOADER961114Doc& document);

// After a SEND moved port 1 to another unit, the saved port settings follow.
void SavePortUnit();

// The four editors, behind the connection gate: from the menu, or on one group from the
// summary. An editor works on the set through the document's link; its edits become
// unsent edits of the set when it closes.
class EditorCommands : public CommandHandler {
public:
    explicit EditorCommands(CTQXLOADER961114Doc& document) : m_document(document) {}

    void Run(Command command) override;
    void OpenGroup(GroupId group);

private:
    template <class Dialog, class Setup> void RunEditor(const Setup& setup);

    CTQXLOADER961114Doc& m_document;
};
