#pragma once

#include "app/command_handler.h"

#include "image/group_id.h"
#include "transfers/send_all.h"

#include <functional>
#include <string>
#include <vector>

class CTQXLOADER961114Doc;

// Connect > Send all to controller and Connect > Send edited groups: the loader's set, or
// the groups of it that hold unsent edits, sent to the controller on port 1 behind the
// same gate as the editors. Each first reads what the controller holds of the groups and
// asks, showing how many parameters of each group that would change.
class SendCommands : public CommandHandler {
public:
    explicit SendCommands(CTQXLOADER961114Doc& document) : m_document(document) {}

    void Run(Command command) override;
    bool CanRun(Command command) const override;

    // Where Send all keeps the controller's own values: "kept" in the user's data folder.
    static std::string KeepFolder();

private:
    // Each command is two operations: what the controller holds, read on the worker; the
    // confirmation on the window; then the sends, on the worker again.
    void SendAll();
    // Reads what the controller holds of `groups` as one operation; `then` gets it, or the
    // operator is told that nothing was written.
    void ReadTargetThen(const std::string& command, const std::vector<GroupId>& groups,
                        std::function<void(const SendAllTarget&)> then);
    void ConfirmSendAll(const SendAllTarget& target);
    void SendEdited();
    bool ConfirmEdited(const std::vector<GroupId>& groups, const SendAllTarget& target);
    void SendEditedGroups(const std::vector<GroupId>& groups);

    CTQXLOADER961114Doc& m_document;
};
