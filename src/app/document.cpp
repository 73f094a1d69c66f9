#include "app/document.h"

#include "app/about_dialog.h"
#include "app/compare_commands.h"
#include "app/connect_commands.h"
#include "app/editor_commands.h"
#include "app/file_menu_commands.h"
#include "app/help_commands.h"
#include "app/history_commands.h"
#include "app/history_recorder.h"
#include "app/port_commands.h"
#include "app/report_commands.h"
#include "app/send_commands.h"
#include "app/transfer_runner.h"
#include "link/port1.h"
#include "widgets/dialog_support_qt.h"
#include "widgets/saved_settings_qt.h"

#include <QDateTime>

namespace {

// The About box is the one command without a concern of its own.
class AboutCommand : public CommandHandler {
public:
    explicit AboutCommand(CTQXLOADER961114Doc& document) : m_document(document) {}
    void Run(Command) override {
        CAboutDlg about(m_document.Window());
        about.exec();
    }

private:
    CTQXLOADER961114Doc& m_document;
};

} // namespace

CTQXLOADER961114Doc::CTQXLOADER961114Doc(ParameterImage& image, Messages& messages,
                                         CursorControl& cursor)
    : m_set(image), m_messages(messages), m_cursor(cursor),
      m_ownQuestions(std::make_unique<QtQuestions>()),
      m_ownPrompts(std::make_unique<QtFilePrompts>()), m_questions(m_ownQuestions.get()),
      m_prompts(m_ownPrompts.get()), m_runner(std::make_unique<TransferRunner>(m_link)),
      m_history(std::make_unique<HistoryRecorder>(*this)) {
    SetStartValues(image);
    m_link.SetListener(this);
    m_link.SetVerify(SavedSettings().VerifyAfterSend());
    m_handlers[Handler::Files] = std::make_unique<FileMenuCommands>(*this);
    auto editors = std::make_unique<EditorCommands>(*this);
    m_editors = editors.get();
    m_handlers[Handler::Editors] = std::move(editors);
    m_handlers[Handler::Connect] = std::make_unique<ConnectCommands>(*this);
    m_handlers[Handler::Send] = std::make_unique<SendCommands>(*this);
    m_handlers[Handler::Compare] = std::make_unique<CompareCommands>(*this);
    m_handlers[Handler::Report] = std::make_unique<ReportCommands>(*this);
    m_handlers[Handler::Port] = std::make_unique<PortCommands>(*this);
    m_handlers[Handler::History] = std::make_unique<HistoryCommands>(*this);
    m_handlers[Handler::About] = std::make_unique<AboutCommand>(*this);
    m_handlers[Handler::Help] = std::make_unique<HelpCommands>(*this);
}

CTQXLOADER961114Doc::~CTQXLOADER961114Doc() {
    m_runner.reset(); // before the link it runs calls for
}

void CTQXLOADER961114Doc::SetWindow(QWidget* window, ShellStatus* status) {
    m_window = window;
    m_status = status;
    m_runner->SetWindow(window, status);
    // The toolkit's own boxes belong to the window.
    const bool ownQuestions = m_questions == m_ownQuestions.get();
    const bool ownPrompts = m_prompts == m_ownPrompts.get();
    m_ownQuestions = std::make_unique<QtQuestions>(window);
    m_ownPrompts = std::make_unique<QtFilePrompts>(window);
    if (ownQuestions)
        m_questions = m_ownQuestions.get();
    if (ownPrompts)
        m_prompts = m_ownPrompts.get();
}

CommandHandler& CTQXLOADER961114Doc::HandlerFor(Command command) const {
    return *m_handlers.at(HandlerOf(command));
}

void CTQXLOADER961114Doc::Run(Command command) {
    HandlerFor(command).Run(command);
}

bool CTQXLOADER961114Doc::CanRun(Command command) const {
    return HandlerFor(command).CanRun(command);
}

bool CTQXLOADER961114Doc::IsChecked(Command command) const {
    return HandlerFor(command).IsChecked(command);
}

void CTQXLOADER961114Doc::OpenGroup(GroupId group) {
    m_editors->OpenGroup(group);
}

bool CTQXLOADER961114Doc::MayClose() {
    return MayDropUnsentEdits("Close anyway?");
}

bool CTQXLOADER961114Doc::MayDropUnsentEdits(const std::string& goOn) {
    m_set.Observe(Now());
    if (!m_set.States().HasUnsentEdits())
        return true;
    return m_questions->Ask("These groups hold edits that were neither sent to TQX nor written "
                            "to a file: " +
                            m_set.UnsentGroupList() + ".\n" + goOn);
}

SummaryHeader CTQXLOADER961114Doc::Header() const {
    return HeaderOf(m_set, PortOneText());
}

std::string CTQXLOADER961114Doc::PortPaneText() const {
    return ::PortPaneText(m_set, ShortPortText(Port1Settings()));
}

void CTQXLOADER961114Doc::SetVerifyAfterSend(bool on, bool save) {
    m_link.SetVerify(on);
    if (save)
        SavedSettings().SetVerifyAfterSend(on);
}

std::string CTQXLOADER961114Doc::Now() const {
    return QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss")).toStdString();
}

void CTQXLOADER961114Doc::GroupRetrieved(GroupId group, bool ok) {
    m_set.Retrieved(group, ok, Now());
    m_feedback.Retrieved(group, ok);
    m_history->Retrieved(group, ok);
    emit Changed();
}

// An editor's SEND is one snapshot, however many groups it wrote.
void CTQXLOADER961114Doc::OperationEnded(const std::string& title) {
    m_history->FlushSends();
    ReportDone(m_feedback.Text(title));
    m_feedback.Clear();
}

void CTQXLOADER961114Doc::ReportDone(const std::string& text) {
    m_set.SetLastCommand(StampedFeedback(text, Now()));
    if (m_status)
        m_status->ShowDone(Q(m_set.LastCommand()));
}

void CTQXLOADER961114Doc::GroupSent(GroupId group, TransferOutcome outcome,
                                    const std::string& cause) {
    m_set.Sent(group, outcome, Now(), cause);
    m_feedback.Sent(group, outcome);
    if (m_recordEachSend)
        m_history->EditorSent(group, outcome);
    emit Changed();
}
