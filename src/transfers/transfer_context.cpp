#include "transfers/transfer_context.h"

#include "link/link_backend.h"
#include "link/link_failure.h"
#include "link/tqxcomm.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr const char* kCancelled = "Stopped by the operator.";

} // namespace

LinkBackend& TransferContext::Backend() const {
    return m_backend ? *m_backend : CurrentLinkBackend();
}

int32_t TransferContext::Call(bool write, int32_t mode, int32_t block, int32_t offset,
                              int32_t length, const std::function<int32_t()>& call) {
    if (m_cancel) {
        m_lastCancelled = true;
        return 0;
    }
    m_lastCancelled = false;
    TransferEntry entry;
    entry.wallMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
    entry.mode = mode;
    entry.block = block;
    entry.offset = offset;
    entry.length = length;
    entry.write = write;
    const auto start = std::chrono::steady_clock::now();
    const int32_t result = call();
    entry.durationMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    entry.ok = result != 0;
    const std::string error = entry.ok ? std::string() : FailureText();
    if (!entry.ok)
        entry.cause = Backend().LastFailure().cause;
    std::lock_guard<std::mutex> lock(m_journalLock);
    if (!entry.ok)
        m_journal.lastError = error;
    m_journal.recent.push_back(entry);
    while (m_journal.recent.size() > LinkJournal::kKept)
        m_journal.recent.pop_front();
    return result;
}

bool TransferContext::Read(int32_t mode, int32_t block, int32_t offset, int32_t length,
                           void* buffer) {
    return Call(false, mode, block, offset, length, [=] {
               int32_t status = 0;
               return m_backend ? m_backend->Read(mode, block, offset, length, buffer, &status)
                                : TQXRead(mode, block, offset, length, buffer, &status);
           }) != 0;
}

bool TransferContext::Write(int32_t mode, int32_t block, int32_t offset, int32_t length,
                            const void* buffer) {
    return Call(true, mode, block, offset, length, [=] {
               int32_t status = 0;
               return m_backend ? m_backend->Write(mode, block, offset, length, buffer, &status)
                                : TQXWrite(mode, block, offset, length, buffer, &status);
           }) != 0;
}

LinkJournal TransferContext::Journal() const {
    std::lock_guard<std::mutex> lock(m_journalLock);
    return m_journal;
}

bool TransferContext::LastCallMayHaveLanded() const {
    if (m_lastCancelled)
        return false;
    return Backend().LastFailure().requestSent;
}

std::string TransferContext::FailureText() const {
    return m_lastCancelled ? kCancelled : LinkFailureText(Backend());
}

std::string TransferContext::WithCause(const std::string& first) const {
    const std::string cause = FailureText();
    return cause.empty() ? first : first + "\n" + cause;
}

void TransferContext::BeginCommand() {
    m_lastCancelled = false;
    Backend().BeginCommand();
}

int TransferContext::SilentMs() const {
    return Backend().SilentMs();
}

bool TransferContext::WaitOutSilence() {
    for (int left = SilentMs(); left > 0 && !Cancelled(); left = SilentMs())
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 50)));
    return !Cancelled();
}

int TransferContext::Unit() const {
    return Backend().Unit();
}

void TransferContext::MoveUnit(int unit) {
    Backend().MoveUnit(unit);
}

void TransferContext::NoteRetrieved(GroupId group, bool ok) {
    if (m_holding)
        m_notes.push_back({group, true, ok, TransferOutcome::Done, std::string()});
    else if (m_listener)
        m_listener->GroupRetrieved(group, ok);
}

void TransferContext::NoteSent(GroupId group, TransferOutcome outcome) {
    // The cause now: a later group of the same operation may fail for another.
    const std::string cause = outcome == TransferOutcome::Failed ? FailureText() : std::string();
    if (m_holding)
        m_notes.push_back({group, false, false, outcome, cause});
    else if (m_listener)
        m_listener->GroupSent(group, outcome, cause);
}

void TransferContext::Run(Operation operation, Messages& tell) {
    if (m_host) {
        m_host->Start(std::move(operation), *this, tell);
        return;
    }
    m_inline = true;
    HoldNotes();
    if (operation.work)
        operation.work(*this, tell);
    Apply(operation);
    m_inline = false;
    Ended(operation.title);
    if (operation.after)
        operation.after();
}

void TransferContext::Ended(const std::string& title) {
    if (m_listener)
        m_listener->OperationEnded(title);
}

void TransferContext::HoldNotes() {
    m_holding = true;
    m_notes.clear();
}

void TransferContext::Apply(Operation& operation) {
    if (operation.apply)
        operation.apply();
    m_holding = false;
    std::vector<Note> notes = std::move(m_notes);
    m_notes.clear();
    if (!operation.noteGroups)
        notes.clear();
    for (const Note& note : notes) {
        if (note.retrieved)
            NoteRetrieved(note.group, note.ok);
        else if (m_listener)
            m_listener->GroupSent(note.group, note.outcome, note.cause);
    }
}

void TransferContext::Step(const std::string& what, int done, int total) {
    if (m_progress)
        m_progress->Step(m_stepPrefix + what, done, total);
}
