#pragma once

#include "image/parameter_image.h"
#include "operator/cursor.h"
#include "operator/messages.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One read of the Connect sequence and where its data go.
struct ConnectRead {
    enum Destination {
        RawBlock0,
        RawBlock3,
        PidGroup,
        Discard,
        Advanced10,
        Setup12,
        Setup9,
        Advanced13,
        PatternPiece
    };
    int32_t mode;
    int32_t block;
    int32_t offset;
    int32_t length; // in the mode's units
    Destination destination;
    int index;        // PID group 0..8, or pattern byte offset 840 (n - 1) + record offset
    std::string what; // what the read fetches, for the status bar and failure reports
};

// The reads that follow the operator's confirmation, in order (57 of them).
const std::vector<ConnectRead>& ConnectReadSequence();

struct ReadReport {
    int reads = 0;
    std::vector<std::string> failed; // what each failed read was fetching, in order
    // Which reads failed: positions in ConnectReadSequence(), kModelCodeRead for block 40.
    std::vector<int> failedReads;
    std::vector<std::string> causes; // the link's reasons (LinkFailureText), each once
};

constexpr int kModelCodeRead = -1;

// Called before each read with its index (0-based), the total and the read itself.
using ConnectProgress = std::function<void(int index, int total, const ConnectRead& read)>;

// Reads every group of the controller into the image. A read that fails changes nothing.
ReadReport ReadWholeController(ParameterImage& image, const ConnectProgress& progress = {});

// The reads at `indices` of ConnectReadSequence(), each stored as Connect stores it.
ReadReport ReadSequenceReads(ParameterImage& image, const std::vector<int>& indices,
                             const ConnectProgress& progress = {});

// Repeats the reads that failed in `last` (the model code among them), storing those that
// succeed as Connect would; returns what still failed. A controller held silent by the
// link is waited for before the pass, and again whenever reads went through since the
// last wait, so a lossy line completes while a dead one fails at once.
ReadReport RetryFailedReads(ParameterImage& image, const ReadReport& last,
                            const ConnectProgress& progress = {});

// Reads block 40 into characters 1 to 14 of the model code. False when the read failed
// (the model code then keeps its value).
bool ReadModelCode(ParameterImage& image);

// The model code is read before the sequence but counts among its reads, first.
void CountModelCodeRead(bool codeRead, ReadReport& report);

// What Connect needs from its surroundings besides messages and the cursor.
class ConnectUi {
public:
    virtual ~ConnectUi() = default;
    // Shows the model code for confirmation; true for OK. `failure` is empty when the code
    // was read, else why it could not be.
    virtual bool ConfirmModelCode(const std::string& code, const std::string& failure) = 0;
    virtual void Progress(int index, int total, const ConnectRead& read) = 0;
    virtual void Finished() = 0;
};

// Connect Start: model code, confirmation, connected flag, the whole read sequence, and
// one message naming the reads that failed (none when all succeeded). Returns the report
// (no reads after a cancelled confirmation).
ReadReport RunConnect(ParameterImage& image, ConnectUi& ui, Messages& messages,
                      CursorControl& cursor);

// Connect's "Retry failed reads": the reads that failed in `last` once more, reported as
// Connect reports; returns what still failed.
ReadReport RunRetryFailedReads(ParameterImage& image, const ReadReport& last, ConnectUi& ui,
                               Messages& messages, CursorControl& cursor);

// The one message that reports failed reads, with the link's reasons; empty when nothing
// failed. `retryHint` adds where the failed reads can be repeated.
std::string ConnectFailureText(const ReadReport& report, const std::string& title = "Connect",
                               const std::string& retryHint = {});

// The hint the loader's Connect message ends with.
extern const char* const kRetryMenuHint;
