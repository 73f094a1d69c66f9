#include "transfers/transfer_notes.h"

namespace {

TransferListener* g_listener = nullptr;
bool g_verify = false;

} // namespace

TransferListener* SetTransferListener(TransferListener* listener) {
    TransferListener* previous = g_listener;
    g_listener = listener;
    return previous;
}

void NoteRetrieved(int group, bool ok) {
    if (g_listener)
        g_listener->GroupRetrieved(group, ok);
}

void NoteSent(int group, SendOutcome outcome) {
    if (g_listener)
        g_listener->GroupSent(group, outcome);
}

void SetVerifyAfterSend(bool on) {
    g_verify = on;
}

bool VerifyAfterSend() {
    return g_verify;
}

std::string ReadBackDiffers(int block) {
    return "block " + std::to_string(block) + " reads back different values";
}

std::string ReadBackFailed(int block) {
    return "block " + std::to_string(block) + " could not be read back";
}
