#pragma once

#include <string>

// What the transfers of the groups tell whoever keeps track of the parameter set (the
// loader's summary), and whether a SEND reads back what it wrote. Both are process-wide,
// like the link: every editor's RETRIEVE and SEND runs through the same transfers.

// The groups of a parameter set: 0 system setup, 1 advanced, 2..10 PID groups 1..9,
// 11..19 program patterns 1..9.
constexpr int kSetGroups = 20;
constexpr int kSystemSetupGroup = 0;
constexpr int kAdvancedGroup = 1;
constexpr int PidGroupIndex(int g) {
    return 1 + g;
} // g 1..9
constexpr int PatternGroupIndex(int n) {
    return 10 + n;
} // n 1..9

enum class SendOutcome {
    Failed,   // a write (or the read a SEND needs first) failed
    Sent,     // written; not read back (verify off, or the read-back failed)
    Verified, // written and read back equal
    Differs,  // written, but the controller reads back other values
};

class TransferListener {
public:
    virtual ~TransferListener() = default;
    virtual void GroupRetrieved(int group, bool ok) = 0;
    virtual void GroupSent(int group, SendOutcome outcome) = 0;
};

// The listener told about every group RETRIEVE and SEND; none by default. Returns the
// one it replaces.
TransferListener* SetTransferListener(TransferListener* listener);
void NoteRetrieved(int group, bool ok);
void NoteSent(int group, SendOutcome outcome);

// Read back after SEND; off unless the program turns it on (tqxctl restore verifies the
// whole image itself).
void SetVerifyAfterSend(bool on);
bool VerifyAfterSend();

// The texts a failed read-back gives, naming the block.
std::string ReadBackDiffers(int block);
std::string ReadBackFailed(int block);
