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

#include <QStandardPaths>

#include <algorithm>
#include <memory>

namespace {

bool SameLine(const ControllerIdentity& a, const ControllerIdentity& b) {
    return a.port == b.port && a.unit == b.unit;
}

bool Among(const std::vector<GroupId>& groups, GroupId g) {
    return std::find(groups.begin(), groups.end(), g) != groups.end();
}

} // namespace

std::string HistoryRecorder::Path() {
    return HistoryPath(
        "", QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
}

ControllerIdentity HistoryRecorder::OnPort1(const std::string& modelCode) const {
    ControllerIdentity c{PortLineText(Port1Settings()), m_document.Link().Unit(), modelCode};
    if (c.modelCode.empty() && SameLine(c, m_believedOf))
        c.modelCode = m_believedOf.modelCode;
    return c;
}

ParameterImage HistoryRecorder::Believed(const ControllerIdentity& controller,
                                         const std::vector<GroupId>& groups) {
    // Another controller than the one read: the loader's set is the best there is.
    if (!m_believed || !SameLine(controller, m_believedOf))
        m_believed = m_document.Image();
    for (GroupId g : groups)
        CopyGroup(m_document.Image(), *m_believed, g);
    m_believedOf = controller;
    return *m_believed;
}

void HistoryRecorder::Connected(const TransferResult& result, bool retry) {
    FlushSends(); // the SEND before is older
    // Only a whole read says what the controller holds: a Connect that missed a part waits
    // for the Retry that completes it. A group that kept its unsent edit over a Retry holds
    // the operator's values, not the controller's.
    if (!result.failedReads.empty() || m_document.States().HasUnsentEdits()) {
        m_believed.reset();
        return;
    }
    const ImageSource& source = m_document.Set().Source();
    NewSnapshot s;
    s.controller = OnPort1(source.modelCodeRead ? source.modelCode : "");
    s.event = retry ? SnapshotEvent::Retry : SnapshotEvent::Connect;
    s.groups = kEveryGroup & ~MaskOf(GroupsOfFailedReads(result));
    m_believed = m_document.Image();
    m_believedOf = m_setOf = s.controller;
    s.set = *m_believed;
    Record(s);
}

void HistoryRecorder::Retrieved(GroupId group, bool ok) {
    if (ok && m_believed && SameLine(OnPort1(), m_believedOf))
        CopyGroup(m_document.Image(), *m_believed, group);
}

void HistoryRecorder::EditorSent(GroupId group, TransferOutcome outcome) {
    if (outcome == TransferOutcome::Failed || outcome == TransferOutcome::Cancelled)
        return; // what the controller took is not known
    m_sending.push_back(group);
    m_sendVerified = m_sendVerified && outcome == TransferOutcome::Verified;
    if (!m_document.Link().Busy())
        FlushSends(); // else when the operation ends
}

void HistoryRecorder::FlushSends() {
    if (m_sending.empty())
        return;
    const std::vector<GroupId> sent = std::move(m_sending);
    m_sending.clear();
    NewSnapshot s;
    s.controller = OnPort1();
    s.event = SnapshotEvent::EditorSend;
    s.groups = MaskOf(sent);
    s.verified = m_sendVerified;
    m_sendVerified = true;
    // The group the operator sent is the one whose values changed (or the only one sent).
    std::vector<GroupId> changed;
    const bool known = m_believed && SameLine(s.controller, m_believedOf);
    for (GroupId g : sent)
        if (known && !SameGroup(*m_believed, m_document.Image(), g))
            changed.push_back(g);
    if (changed.size() == 1 || sent.size() == 1)
        s.sent = changed.size() == 1 ? changed.front() : sent.front();
    RecordSent(s, sent);
}

void HistoryRecorder::RecordSent(NewSnapshot& s, const std::vector<GroupId>& sent) {
    if (m_believed) {
        s.set = Believed(s.controller, sent);
    } else {
        // The controller was never read whole: what went in is known, the rest of its set
        // is not. The write is recorded all the same, with the loader's values beside it.
        s.set = m_document.Image();
        s.detail = "(no whole read before it: only the groups sent are the controller's)";
    }
    m_setOf = s.controller;
    Record(s);
}

void HistoryRecorder::SentEdited(const std::vector<GroupId>& sent) {
    FlushSends(); // the SEND before is older
    if (sent.empty())
        return;
    NewSnapshot s;
    s.controller = OnPort1();
    s.event = SnapshotEvent::SendEdited;
    s.groups = MaskOf(sent);
    RecordSent(s, sent);
}

void HistoryRecorder::KeptBeforeSendAll(const ParameterImage& own, const std::string& modelCode,
                                        const std::string& keptPath) {
    FlushSends();
    NewSnapshot s;
    s.controller = OnPort1(modelCode);
    s.event = SnapshotEvent::KeptBeforeSendAll;
    s.groups = kEveryGroup;
    s.detail = keptPath;
    s.set = own;
    m_believed = own;
    m_believedOf = s.controller;
    Record(s);
}

void HistoryRecorder::SentAll(const ParameterImage& sent, const RestoreReport& report,
                              const std::string& modelCode) {
    FlushSends();
    if (!report.stopped.empty())
        return; // nothing was written
    NewSnapshot s;
    s.controller = OnPort1(modelCode);
    s.event = SnapshotEvent::SendAll;
    const std::vector<GroupId> written = report.Written();
    s.groups = MaskOf(written);
    ImageSource from = m_document.Set().Source();
    from.editedSince = false;
    s.detail = from.Describe();
    // A group that did not go through is still what the kept copy says, where there is one.
    const bool kept = m_believed && SameLine(s.controller, m_believedOf);
    s.set = sent;
    for (GroupId g : AllGroups())
        if (!Among(written, g) && kept)
            CopyGroup(*m_believed, s.set, g);
    m_believed = s.set;
    m_believedOf = m_setOf = s.controller;
    Record(s);
}

void HistoryRecorder::FileRead() {
    FlushSends(); // the SEND before is older
    m_setOf = ControllerIdentity{};
}

void HistoryRecorder::FileWritten(const std::string& path) {
    FlushSends(); // the SEND before is older
    NewSnapshot s;
    // A set with unsent edits is not what the controller holds: the file stands alone.
    s.controller = m_document.States().HasUnsentEdits() ? ControllerIdentity{} : m_setOf;
    s.event = SnapshotEvent::FileWrite;
    s.groups = kEveryGroup;
    s.detail = FullPath(path);
    s.set = m_document.Image();
    Record(s);
}

void HistoryRecorder::Loaded(const ControllerIdentity& controller) {
    FlushSends(); // the SEND before is older
    m_setOf = controller;
}

HistoryRecorder::HistoryRecorder(CTQXLOADER961114Doc& document)
    : m_document(document), m_queue([this](const std::string& why) {
          // From the writing thread: the status bar says it on the window's.
          m_toWindow.Post([this, why] {
              m_lastFailure = why;
              if (m_document.Status())
                  m_document.Status()->ShowHistoryNotRecorded(QString::fromStdString(why));
          });
      }) {}

HistoryRecorder::~HistoryRecorder() = default;

// The time and the user are taken now; the file is written on the queue's thread, and the
// window never waits for it.
void HistoryRecorder::Record(NewSnapshot snapshot) {
    snapshot.program = "tqxloader " TQX_VERSION;
    if (snapshot.takenUtc.empty())
        snapshot.takenUtc = UtcNow();
    m_lastFailure.clear();
    m_queue.Push(Path(), std::move(snapshot));
}
