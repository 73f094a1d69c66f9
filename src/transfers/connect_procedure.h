#pragma once

#include "image/group_id.h"
#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/messages.h"
#include "transfers/transfer_context.h"
#include "transfers/transfer_result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One read of the Connect sequence and where its data go.
struct ConnectRead {
    enum Destination { RawBlock0, RawBlock3, Group, Discard };
    int32_t mode;
    int32_t block;
    int32_t offset;
    int32_t length; // in the mode's units
    Destination destination;
    GroupId group;    // the group a Group read fills
    int piece = 0;    // a pattern's read 0..3
    std::string what; // what the read fetches, for the progress and failure reports
};

// The reads that follow the operator's confirmation, in order (57 of them).
const std::vector<ConnectRead>& ConnectReadSequence();

// The position of the model code read (block 40, before the confirmation) among the reads.
constexpr int kModelCodeRead = -1;
// Every position of a whole read: the model code, then the sequence.
std::vector<int> WholeReadPositions();
// The group the read at `position` fills, if any.
std::optional<GroupId> GroupOfRead(int position);
// The groups the failed reads of `result` belong to, each once.
std::vector<GroupId> GroupsOfFailedReads(const TransferResult& result);
// Those groups as a sentence's list ("model code, PID group 3, Program pattern 9"); the
// model code first when it was among the reads.
std::string GroupList(const TransferResult& result);

// The one procedure that reads the controller: the reads at `positions`, each stored in
// the image as Connect stores it, and only when it succeeded. Each read is announced to the
// context's progress first. `patient`: a controller the link holds silent is waited for
// before the pass, and again whenever reads went through since the last wait, so a lossy
// line completes while a dead one fails at once. A cancelled context stops between reads.
// `before`: reads of the same command made already, which the progress counts first (so
// that its count ends where the result's does).
TransferResult ReadPositions(TransferContext& link, ParameterImage& image,
                             const std::vector<int>& positions, bool patient = false,
                             int before = 0);

// Reads block 40 into characters 1 to 14 of the model code. False when the read failed
// (the model code then keeps its value).
bool ReadModelCode(TransferContext& link, ParameterImage& image);

// The whole controller, the model code included; then up to `retryPasses` passes over
// what failed. No further pass is made after one in which nothing answered at all (no
// answer, or a port that cannot be opened).
TransferResult ReadWholeController(TransferContext& link, ParameterImage& image,
                                   int retryPasses = 0);

// Every read of `pass` failed, and not one was answered: no answer at all, or a port
// that cannot be opened.
bool NothingAnswered(const TransferContext& link, const TransferResult& pass);

// Repeats the reads that failed in `last`, patiently; returns what still failed.
TransferResult RetryFailedReads(TransferContext& link, ParameterImage& image,
                                const TransferResult& last);

// What Connect needs from its surroundings besides messages and the cursor.
class ConnectUi {
public:
    virtual ~ConnectUi() = default;
    // Shows the model code for confirmation; true for OK. `failure` is empty when the code
    // was read, else why it could not be.
    virtual bool ConfirmModelCode(const std::string& code, const std::string& failure) = 0;
    virtual void Finished() = 0;
};

// Connect Start: model code, confirmation, connected flag, the whole read sequence, and
// one message naming the reads that failed (none when all succeeded). A cancelled
// confirmation gives the outcome Cancelled after the one read of the model code.
TransferResult RunConnect(TransferContext& link, ParameterImage& image, ConnectUi& ui,
                          Messages& messages, CursorControl& cursor);

// Connect's "Retry failed reads": the reads at `positions` once more, reported as Connect
// reports; returns what still failed.
TransferResult RunRetryFailedReads(TransferContext& link, ParameterImage& image,
                                   const std::vector<int>& positions, ConnectUi& ui,
                                   Messages& messages, CursorControl& cursor);

// The one message that reports failed reads, with the link's reasons; empty when nothing
// failed. `retryHint` adds where the failed reads can be repeated.
std::string ConnectFailureText(const TransferResult& result, const std::string& title = "Connect",
                               const std::string& retryHint = {});

// What the status bar says once a Connect (or its retry, `title`) is over: its first line
// of failures, or that every read went through, with how many were made.
std::string ConnectDoneText(const TransferResult& result, const std::string& title);

// The hint the loader's Connect message ends with.
extern const char* const kRetryMenuHint;
