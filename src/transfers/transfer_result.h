#pragma once

#include "image/group_id.h"

#include <cstdint>
#include <string>
#include <vector>

// What one transfer (a RETRIEVE, a SEND, a Connect, a restore, a whole set sent) came to:
// its outcome, each call that failed with what it was moving, and the link's reasons.
enum class TransferOutcome {
    Done,      // every call went through (a SEND: written, not read back)
    Verified,  // written and read back equal
    Differs,   // written, but the controller reads back other values
    Failed,    // a call failed
    Cancelled, // the operator stopped it between two calls
};

struct TransferFailure {
    int32_t block = -1; // the controller block, -1 for none
    std::string what;   // "read block 12", "program pattern 4 part 2", "block 25 reads back ..."
};

// How a group's SEND goes on after a refused write: an editor's SEND still makes the
// remaining writes; the restore and Send all stop the group at its first refusal.
enum class WritePolicy { All, StopAtFirstFailure };

struct TransferResult {
    TransferOutcome outcome = TransferOutcome::Done;
    int calls = 0;                       // link calls made
    std::vector<TransferFailure> failed; // in the order they happened
    std::vector<std::string> causes;     // the link's reasons, each once
    std::vector<int32_t> written;        // the blocks a write went into, each once
    // The blocks of writes that failed without a definite answer (none came, or it came
    // garbled): the controller may have taken them.
    std::vector<int32_t> uncertain;
    // A read sequence (Connect): the positions of its reads that failed, and of those a
    // Cancel left unread (these among them), for Retry.
    std::vector<int> failedReads;
    std::vector<int> notRead;

    // The one test of whether a result may clear an edit mark, mark a group equal or
    // verified, or count as what the controller holds: every call went through, none was
    // left unmade by a Cancel, and nothing read back other values.
    bool Ok() const;
    // What failed, in order.
    std::vector<std::string> What() const;
    // Notes a write that went into `block`, or may have.
    void Wrote(int32_t block);
    void MaybeWrote(int32_t block);
    // Some writes went through, or may have, and some did not.
    bool PartlyWritten() const {
        return !failed.empty() && (!written.empty() || !uncertain.empty());
    }
    // Notes a failure with the link's reason (`cause` may be empty); the outcome becomes
    // Failed unless the transfer was cancelled.
    void Fail(int32_t block, const std::string& what, const std::string& cause);
    void AddCause(const std::string& cause);
    // The worse of two outcomes: Cancelled, Failed, Differs, Done, Verified.
    void Worsen(TransferOutcome outcome);
    // Takes in another part of the same transfer.
    void Merge(const TransferResult& part);
};

// What one group of a whole-set send came to, with the link's reason when it failed.
struct GroupOutcome {
    GroupId group;
    TransferOutcome outcome = TransferOutcome::Done;
    std::string cause;
};

// "SEND failed: write block 12, write block 9." with the last cause on the next line;
// empty when nothing failed.
std::string FailureText(const std::string& operation, const TransferResult& result);

// The texts a failed read-back gives, naming the block.
std::string ReadBackDiffers(int32_t block);
std::string ReadBackFailed(int32_t block);
