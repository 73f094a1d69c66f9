#include "app/connect_commands.h"

#include "app/code_symbols_dialog.h"
#include "app/document.h"
#include "app/history_recorder.h"
#include "app/transfer_runner.h"
#include "link/port1.h"
#include "link/port_settings.h"
#include "transfers/connect_procedure.h"

namespace {

// Connect's dialog in the main window, shown on the window's thread while the operation
// waits for the answer.
class WindowConnectUi : public ConnectUi {
public:
    explicit WindowConnectUi(CTQXLOADER961114Doc& document) : m_document(document) {}

    bool ConfirmModelCode(const std::string& code, const std::string& failure) override {
        const auto confirm = [&] {
            CodeSymbolsDialog dialog(
                QString::fromLatin1(code.data(), static_cast<int>(code.size())),
                QString::fromStdString(failure), m_document.Window());
            confirmed = dialog.exec() == QDialog::Accepted;
        };
        m_document.Runner().OnWindowThread(confirm);
        return confirmed;
    }
    void Finished() override {} // the progress ends with the operation

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
    // The operation reads into a set of its own; the loader's changes when it is over.
    auto read = std::make_shared<ParameterImage>(m_document.Image());
    auto ui = std::make_shared<WindowConnectUi>(m_document);
    auto result = std::make_shared<TransferResult>();
    Operation operation;
    operation.title = "Connect";
    operation.work = [read, ui, result](TransferContext& link, Messages& tell) {
        NoCursor cursor; // the window shows the wait cursor for the whole operation
        *result = RunConnect(link, *read, *ui, tell, cursor);
    };
    operation.apply = [this, read, ui, result] {
        CTQXLOADER961114Doc& d = m_document;
        // A cancelled confirmation changes only the model code: what the last Connect
        // could not read is still to be read.
        if (!ui->confirmed) {
            d.Image().modelCode = read->modelCode;
            return;
        }
        d.Image() = *read;
        const std::string when = d.Now();
        d.Set().Connected(*result,
                          ImageSource::Controller(DescribePortSettings(Port1Settings()),
                                                  d.Link().Unit(), when.substr(0, 5)),
                          when);
        d.History().Connected(*result, false);
    };
    operation.after = [this, ui, result] {
        m_document.ReportDone(ui->confirmed ? ConnectDoneText(*result, "Connect")
                                            : "Connect cancelled at CONNECT");
        m_document.NotifyChanged();
    };
    m_document.Link().Run(std::move(operation), m_document.Tell());
}

void ConnectCommands::Retry() {
    const std::vector<int> positions = m_document.Set().RetryablePositions();
    if (positions.empty())
        return;
    auto read = std::make_shared<ParameterImage>(m_document.Image());
    auto result = std::make_shared<TransferResult>();
    Operation operation;
    operation.title = "Retry failed reads";
    operation.work = [this, read, result, positions](TransferContext& link, Messages& tell) {
        NoCursor cursor;
        WindowConnectUi ui(m_document);
        // Waits out a silent controller here, on the worker, never on the window.
        *result = RunRetryFailedReads(link, *read, positions, ui, tell, cursor);
    };
    operation.apply = [this, read, result] {
        m_document.Image() = *read; // only the reads that went through changed it
        m_document.Set().Retried(*result, m_document.Now());
        m_document.History().Connected(*result, true);
    };
    operation.after = [this, result] {
        m_document.ReportDone(ConnectDoneText(*result, "Retry failed reads"));
        m_document.NotifyChanged();
    };
    m_document.Link().Run(std::move(operation), m_document.Tell());
}
