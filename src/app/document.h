#pragma once

#include "app/command_handler.h"
#include "app/menu_table.h"
#include "image/group_id.h"
#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/file_prompts.h"
#include "operator/messages.h"
#include "operator/questions.h"
#include "transfers/command_feedback.h"
#include "transfers/parameter_set.h"
#include "transfers/transfer_context.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <string>

class EditorCommands;
class HistoryRecorder;
class QWidget;
class TransferRunner;

// Where the shell shows how a command goes: the main window's status bar.
class ShellStatus {
public:
    virtual ~ShellStatus() = default;
    virtual void ShowProgress(int done, int total, const QString& what) = 0;
    virtual void ClearProgress() = 0;
    // Where a File Write or File Read went.
    virtual void ShowFileDone(const QString& /*text*/) {}
    // What the last command did, stamped with the time ("PID group 3 sent and verified,
    // 14:02").
    virtual void ShowDone(const QString& /*text*/) {}
    // The history could not record what just happened, and why; the command itself went on.
    virtual void ShowHistoryNotRecorded(const QString& /*why*/) {}
    // What a recording that went through has to say ("History kept locally: ...").
    virtual void ShowHistoryNotice(const QString& /*text*/) {}
};

// The single document: it holds the parameter set (the image with its start values, the
// state of each group, where it came from) and the link the transfers go through, and
// hands each menu command to its handler.
class CTQXLOADER961114Doc : public QObject, public TransferListener {
    Q_OBJECT
public:
    CTQXLOADER961114Doc(ParameterImage& image, Messages& messages, CursorControl& cursor);
    ~CTQXLOADER961114Doc() override;

    // The window dialogs are centred on, and its status bar.
    void SetWindow(QWidget* window, ShellStatus* status);

    void Run(Command command);
    bool CanRun(Command command) const;
    bool IsChecked(Command command) const;
    // Opens the editor of `group` on that group, behind the same gate as the menu.
    void OpenGroup(GroupId group);
    // Closing: true when nothing would be lost, or the operator chose to close anyway.
    bool MayClose();
    // Before a command replaces the set: true when no group holds an unsent edit, or the
    // operator chose to go on (`goOn` ends the question: "Read the file anyway?").
    bool MayDropUnsentEdits(const std::string& goOn);

    // The question and file dialog seams; the toolkit's own unless a test sets its own.
    void SetQuestions(Questions* questions) { m_questions = questions; }
    Questions& Ask() { return *m_questions; }
    void SetFilePrompts(FilePrompts* prompts) { m_prompts = prompts; }
    FilePrompts& Prompts() { return *m_prompts; }

    ParameterImage& Image() { return m_set.Image(); }
    ParameterSet& Set() { return m_set; }
    const GroupStates& States() const { return m_set.States(); }
    SummaryHeader Header() const;
    // The status bar's port 1 pane: port 1 as it is and what the set came from.
    std::string PortPaneText() const;

    TransferContext& Link() { return m_link; }
    // What runs each operation on the worker.
    TransferRunner& Runner() const { return *m_runner; }
    // Read back after SEND, saved with port 1's settings unless `save` is false.
    void SetVerifyAfterSend(bool on, bool save = true);

    // What takes each command's snapshot for the history.
    HistoryRecorder& History() { return *m_history; }

    Messages& Tell() { return m_messages; }
    CursorControl& Cursor() { return m_cursor; }
    QWidget* Window() const { return m_window; }
    ShellStatus* Status() const { return m_status; }
    // The time a state is stamped with in the summary.
    std::string Now() const;
    // The set or the link changed: the summary and the pane show them again.
    void NotifyChanged() { emit Changed(); }

    void GroupRetrieved(GroupId group, bool ok) override;
    void GroupSent(GroupId group, TransferOutcome outcome, const std::string& cause) override;
    void OperationEnded(const std::string& title) override;
    // Says what the command just over did, in the status bar and to the editor that ran
    // it; the time is added.
    void ReportDone(const std::string& text);

signals:
    void Changed();

private:
    friend class SendsRecordedTogether;
    CommandHandler& HandlerFor(Command command) const;

    ParameterSet m_set;
    TransferContext m_link;
    Messages& m_messages;
    CursorControl& m_cursor;
    QWidget* m_window = nullptr;
    ShellStatus* m_status = nullptr;
    std::unique_ptr<Questions> m_ownQuestions;
    std::unique_ptr<FilePrompts> m_ownPrompts;
    Questions* m_questions;
    FilePrompts* m_prompts;
    std::map<Handler, std::unique_ptr<CommandHandler>> m_handlers;
    EditorCommands* m_editors = nullptr; // the editors' handler, which OpenGroup uses too
    std::unique_ptr<TransferRunner> m_runner;
    std::unique_ptr<HistoryRecorder> m_history;
    bool m_recordEachSend = true;
    CommandFeedback m_feedback; // what the operation under way did to each group
};

// While it lives, the groups a command sends are not recorded one SEND at a time: the
// command records one snapshot for them all.
class SendsRecordedTogether {
public:
    explicit SendsRecordedTogether(CTQXLOADER961114Doc& document) : m_document(document) {
        m_document.m_recordEachSend = false;
    }
    ~SendsRecordedTogether() { m_document.m_recordEachSend = true; }
    SendsRecordedTogether(const SendsRecordedTogether&) = delete;
    SendsRecordedTogether& operator=(const SendsRecordedTogether&) = delete;

private:
    CTQXLOADER961114Doc& m_document;
};
