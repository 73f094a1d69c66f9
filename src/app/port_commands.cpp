#include "app/port_commands.h"

#include "app/communication_dialog.h"
#include "app/document.h"
#include "app/port_settings_dialog.h"
#include "app/transfer_runner.h"
#include "link/port1.h"
#include "link/port_settings.h"
#include "link/serial_ports_qtcore.h"
#include "widgets/saved_settings_qt.h"

std::string PortOneText() {
    std::string env;
    PortSettings parsed;
    if (Port1FromEnvironment(&env) && !ParsePortSettings(env, parsed))
        return env + " (malformed setting)";
    return DescribePortSettings(Port1Settings());
}

void PortCommands::Run(Command command) {
    switch (command) {
    case Command::PortSettings: {
        SystemPortEnumerator ports;
        SavedSettings saved;
        TransferRunner& runner = m_document.Runner();
        PortSettingsDialog dialog(
            ports, saved, m_document.Window(), MakeModbusScanPort,
            [&runner](std::function<void()> work, std::function<void()> done) {
                runner.RunInBackground(std::move(work), std::move(done));
            });
        dialog.exec();
        break;
    }
    case Command::Communication: {
        CommunicationDialog dialog(m_document.Link(), m_document.Window());
        dialog.exec();
        break;
    }
    case Command::VerifyAfterSend:
        m_document.SetVerifyAfterSend(!m_document.Link().Verify());
        break;
    default:
        return;
    }
    m_document.NotifyChanged(); // port 1 as the header and the pane show it
}

bool PortCommands::IsChecked(Command command) const {
    return command == Command::VerifyAfterSend && m_document.Link().Verify();
}
