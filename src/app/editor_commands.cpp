#include "app/editor_commands.h"

#include "app/connect_first_notice.h"
#include "app/document.h"
#include "editors/advanced_dialog.h"
#include "editors/pid_group_dialog.h"
#include "editors/program_pattern_dialog.h"
#include "editors/system_setup_dialog.h"
#include "link/port1.h"
#include "link/port_settings.h"
#include "widgets/saved_settings_qt.h"

void EditorCommands::Run(Command command) {
    switch (command) {
    case Command::ProgramPattern:
        return OpenGroup(GroupId::Pattern(1));
    case Command::PidGroup:
        return OpenGroup(GroupId::Pid(1));
    case Command::SettingUp:
        return OpenGroup(GroupId::SystemSetup());
    case Command::AdvancedUsage:
        return OpenGroup(GroupId::Advanced());
    default:
        return;
    }
}

bool PassConnectGate(CTQXLOADER961114Doc& document) {
    if (document.Image().connected == 1)
        return true;
    ConnectFirstNotice notice(document.Window());
    notice.exec();
    return false;
}

template <class Dialog, class Setup> void EditorCommands::RunEditor(const Setup& setup) {
    if (!PassConnectGate(m_document))
        return;
    Dialog dialog(m_document.Image(), m_document.Tell(), m_document.Cursor(), m_document.Window(),
                  &m_document.Link());
    dialog.UseReference(m_document.Set());
    dialog.UseQuestions(m_document.Ask());
    setup(dialog);
    dialog.exec();
    // The store steps of OK (and of a SEND) leave their edits in the image.
    m_document.Set().Observe(m_document.Now());
    m_document.NotifyChanged();
}

void EditorCommands::OpenGroup(GroupId group) {
    switch (group.kind()) {
    case GroupId::Kind::SystemSetup:
        RunEditor<SystemSetupDialog>([](SystemSetupDialog&) {});
        return SavePortUnit();
    case GroupId::Kind::Advanced:
        return RunEditor<AdvancedDialog>([](AdvancedDialog&) {});
    case GroupId::Kind::PidGroup:
        return RunEditor<PidGroupDialog>(
            [group](PidGroupDialog& d) { d.ShowGroup(group.number() - 1); });
    case GroupId::Kind::Pattern:
        return RunEditor<ProgramPatternDialog>(
            [group](ProgramPatternDialog& d) { d.ShowPattern(group.number()); });
    }
}

void SavePortUnit() {
    if (Port1FromEnvironment())
        return;
    SavedSettings saved;
    PortSettings kept = DefaultPortSettings();
    if (!saved.Port1().empty() && !ParsePortSettings(saved.Port1(), kept))
        return;
    const int unit = Port1Unit();
    if (unit <= 0 || unit == kept.unit)
        return;
    kept.unit = unit;
    saved.SetPort1(FormatPortSettings(kept));
}
