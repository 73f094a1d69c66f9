#include "app/connect_commands.h"

#include "app/code_symbols_dialog.h"
#include "app/document.h"
#include "app/history_recorder.h"
#include "link/port1.h"
#include "link/port_settings.h"
#include "transfers/connect_procedure.h"

namespace {

// Connect's dialog in the main window.
class WindowConnectUi : public ConnectUi {
public:
    explicit WindowConnectUi(CTQXLOADER961114Doc& document) : m_document(document) {}

    bool ConfirmModelCode(const std::string& code, const std::string& failure) override {
        CodeSymbolsDialog dialog(QString::fromLatin1(code.data(), static_cast<int>(code.size())),
                                 QString::fromStdString(failure), m_document.Window());
        confirmed = dialog.exec() == QDialog::Accepted;
        return confirmed;
    }
    void Finished() override {
        if (m_document.Status())
            m_document.Status()->ClearProgress();
    }

    bool confirmed = false;

private:
    CTQXLOADER961114Doc& m_document;
};

} // namespace

void ConnectCommands::Run(Command command) {
    if (command == Command::ConnectStart)
        Start();
    else if (command == Command::RetryFailedReads)
        Retry();
}

bool ConnectCommands::CanRun(Command command) const {
    return command != Command::RetryFailedReads || !m_document.Set().RetryablePositions().empty();
}

void ConnectCommands::Start() {
    if (!m_document.MayDropUnsentEdits("Read the controller over them anyway?"))
        return;
    WindowConnectUi ui(m_document);
    const TransferResult result = RunConnect(m_document.Link(), m_document.Image(), ui,
                                             m_document.Tell(), m_document.Cursor());
    // A cancelled confirmation changes only the model code: what the last Connect could
    // not read is still to be read.
    if (ui.confirmed) {
        const std::string when = m_document.Now();
        m_document.Set().Connected(result,
                                   ImageSource::Controller(DescribePortSettings(Port1Settings()),
                                                           m_document.Link().Unit(),
                                                           when.substr(0, 5)),
                                   when);
        m_document.History().Connected(result, false);
    }
    m_document.NotifyChanged(); // the model code, also after a cancelled Connect
}

void ConnectCommands::Retry() {
    const std::vector<int> positions = m_document.Set().RetryablePositions();
    if (positions.empty())
        return;
    WindowConnectUi ui(m_document);
    const TransferResult result =
        RunRetryFailedReads(m_document.Link(), m_document.Image(), positions, ui, m_document.Tell(),
                            m_document.Cursor());
    m_document.Set().Retried(result, m_document.Now());
    m_document.History().Connected(result, true);
    m_document.NotifyChanged();
}
