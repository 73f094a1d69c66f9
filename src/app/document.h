#pragma once

#include "app/menu_table.h"
#include "editors/parameter_listing.h"
#include "editors/report_content.h"
#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/messages.h"
#include "operator/questions.h"
#include "transfers/connect_procedure.h"
#include "transfers/group_states.h"
#include "transfers/transfer_notes.h"

#include <QObject>
#include <QString>

#include <string>

class QWidget;

// Where Connect reports its progress: the main window's status bar.
class ConnectStatus {
public:
    virtual ~ConnectStatus() = default;
    virtual void ShowConnectProgress(int done, int total, const QString& what) = 0;
    virtual void ClearConnectProgress() = 0;
    // Where a File Write or File Read went, in the status bar.
    virtual void ShowFileDone(const QString& /*text*/) {}
};

// What the summary's header says: port 1 and its state, the model code, the source.
struct SummaryHeader {
    std::string port;
    std::string model;
    std::string source;
};

// The single document: it gives the parameter image its start values, carries the menu
// commands and keeps track of each group's state for the summary.
class CTQXLOADER961114Doc : public QObject, public TransferListener {
    Q_OBJECT
public:
    CTQXLOADER961114Doc(ParameterImage& image, Messages& messages, CursorControl& cursor);
    ~CTQXLOADER961114Doc() override;

    // The window dialogs are centred on and the status bar Connect reports to.
    void SetWindow(QWidget* window, ConnectStatus* status);

    void Run(Command command);

    void OnFileRead();
    void OnFileWrite();
    void OnProgramPattern();
    void OnPidGroup();
    void OnSettingUp();
    void OnAdvancedUsage();
    void OnConnectStart();
    void OnRetryFailedReads();
    void OnCommunication();
    void OnPortSettings();
    void OnAbout();
    void OnFilePrint();
    void OnFileExportPdf();
    void OnCompareController();
    void OnCompareFile();
    void OnVerifyAfterSend();

    // Opens the editor of `group` (see transfers/transfer_notes.h) on that group, behind
    // the same gate as the menu.
    void OpenGroup(int group);
    // Closing: true when nothing would be lost, or the operator chose to close anyway.
    bool MayClose();
    // The question seam; the toolkit's box unless a test sets its own.
    void SetQuestions(Questions* questions) { m_questions = questions; }

    const GroupStates& States() const { return m_states; }
    SummaryHeader Header() const;
    bool IsChecked(Command command) const;
    // Read back after SEND, saved with port 1's settings unless `save` is false.
    void SetVerifyAfterSend(bool on, bool save = true);

    void GroupRetrieved(int group, bool ok) override;
    void GroupSent(int group, SendOutcome outcome) override;

signals:
    // The states or the header changed: the summary shows them again.
    void Changed();

public:
    // Writes the parameter report of the image to `path`; a failure is shown as a message.
    bool ExportReportPdf(const std::string& path);
    // What the report's header names as the image's source: the controller at port 1 after
    // Connect, the file's path after File > Read.
    const std::string& Source() const { return m_source; }

    // False for a command that cannot run now ("Retry failed reads" without failed reads).
    bool CanRun(Command command) const;
    // The status bar's port 1 pane: port 1 as it is and what the image came from.
    std::string PortPaneText() const;
    const ReadReport& LastConnectReport() const { return m_lastConnect; }

    ParameterImage& Image() { return m_image; }

private:
    // The connection gate: true when connected; otherwise shows the Connect-first notice.
    bool PassGate();
    template <class Dialog> void RunEditor();
    template <class Dialog, class Setup> void RunEditor(const Setup& setup);
    void ShowDifferences(const ParameterImage& other, const ListingOptions& options,
                         const QString& title, const std::string& otherName);
    ReportContent Report() const;
    // After a SEND moved port 1 to another unit, the saved settings follow.
    void SaveMovedUnit();

    ParameterImage& m_image;
    Messages& m_messages;
    CursorControl& m_cursor;
    QWidget* m_window = nullptr;
    ConnectStatus* m_status = nullptr;
    std::string m_source;
    ReadReport m_lastConnect; // of the last Connect or retry: what still failed
    GroupStates m_states;
    std::string m_summarySource = "start values";
    bool m_connectedOnce = false;
    Questions* m_questions = nullptr;
    TransferListener* m_previousListener = nullptr;
};
