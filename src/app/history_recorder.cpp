#include "app/history_recorder.h"

#include "app/document.h"
#include "app/transfer_runner.h"
#include "files/file_path.h"
#include "history/history_location.h"
#include "link/port1.h"
#include "link/port_settings.h"
#include "tqx_version.h"
#include "transfers/connect_procedure.h"
#include "transfers/restore_procedure.h"
#include "widgets/saved_settings_qt.h"

#include <QStandardPaths>

#include <memory>

std::string HistoryRecorder::Path() {
    return HistoryPath(
        "", QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString(),
        SavedSettings().SharedHistory());
}

ControllerIdentity HistoryRecorder::OnPort1(const std::string& modelCode) const {
    return m_policy.WithModelCode(
        ControllerIdentity{PortLineText(Port1Settings()), m_document.Link().Unit(), modelCode});
}

void HistoryRecorder::Connected(const TransferResult& result, bool retry) {
    FlushSends(); // the SEND before is older
    // Only a whole read says what the controller holds: a Connect that missed a part waits
    // for the Retry that completes it. A group that kept its unsent edit over a Retry holds
    // the operator's values, not the controller's.
    if (!result.failedReads.empty() || m_document.States().HasUnsentEdits()) {
        m_policy.IncompleteRead();
        return;
    }
    const ImageSource& source = m_document.Set().Source();
    Record(m_policy.WholeRead(OnPort1(source.modelCodeRead ? source.modelCode : ""),
                              retry ? SnapshotEvent::Retry : SnapshotEvent::Connect,
                              m_document.Image(),
                              kEveryGroup & ~MaskOf(GroupsOfFailedReads(result))));
}

void HistoryRecorder::Retrieved(GroupId group, bool ok) {
    if (ok)
        m_policy.GroupRead(OnPort1(), m_document.Image(), group);
}

void HistoryRecorder::EditorSent(GroupId group, TransferOutcome outcome) {
    if (outcome == TransferOutcome::Failed || outcome == TransferOutcome::Cancelled)
        return; // what the controller took is not known
    m_policy.EditorSent(group, outcome == TransferOutcome::Verified);
    if (!m_document.Link().Busy())
        FlushSends(); // else when the operation ends
}

void HistoryRecorder::FlushSends() {
    if (m_policy.Sending())
        Record(m_policy.FlushSends(OnPort1(), m_document.Image()));
}

void HistoryRecorder::SentEdited(const std::vector<GroupId>& sent) {
    FlushSends(); // the SEND before is older
    Record(m_policy.Sent(OnPort1(), SnapshotEvent::SendEdited, m_document.Image(), sent));
}

void HistoryRecorder::KeptBeforeSendAll(const ParameterImage& own, const std::string& modelCode,
                                        const std::string& keptPath) {
    FlushSends();
    Record(
        m_policy.KeptBefore(OnPort1(modelCode), SnapshotEvent::KeptBeforeSendAll, own, keptPath));
}

void HistoryRecorder::SentAll(const ParameterImage& sent, const RestoreReport& report,
                              const std::string& modelCode) {
    FlushSends();
    if (!report.stopped.empty())
        return; // nothing was written
    ImageSource from = m_document.Set().Source();
    from.editedSince = false;
    Record(m_policy.Restored(OnPort1(modelCode), SnapshotEvent::SendAll, sent, report.Written(),
                             from.Describe()));
}

void HistoryRecorder::FileRead() {
    FlushSends(); // the SEND before is older
    m_policy.FileRead();
}

void HistoryRecorder::FileWritten(const std::string& path) {
    FlushSends(); // the SEND before is older
    Record(m_policy.FileWritten(m_document.Image(), m_document.States().HasUnsentEdits(),
                                FullPath(path)));
}

void HistoryRecorder::Loaded(const ControllerIdentity& controller) {
    FlushSends(); // the SEND before is older
    m_policy.Loaded(controller);
}

HistoryRecorder::HistoryRecorder(CTQXLOADER961114Doc& document)
    : m_document(document), m_queue([this](const std::string& text, bool failed) {
          // From the writing thread: the status bar says it on the window's.
          m_toWindow.Post([this, text, failed] {
              if (failed)
                  m_lastFailure = text;
              if (m_document.Status() && failed)
                  m_document.Status()->ShowHistoryNotRecorded(QString::fromStdString(text));
              else if (m_document.Status())
                  m_document.Status()->ShowHistoryNotice(QString::fromStdString(text));
          });
      }) {}

HistoryRecorder::~HistoryRecorder() = default;

// The time and the user are taken now; the file is written on the queue's thread, and the
// window never waits for it.
void HistoryRecorder::Record(std::optional<NewSnapshot> snapshot) {
    if (snapshot)
        Record(std::move(*snapshot));
}

void HistoryRecorder::Record(NewSnapshot snapshot) {
    snapshot.program = "tqxloader " TQX_VERSION;
    if (snapshot.takenUtc.empty())
        snapshot.takenUtc = UtcNow();
    m_lastFailure.clear();
    m_queue.Push(Path(), std::move(snapshot));
}
