#include "transfers/transfer_result.h"

#include <algorithm>

namespace {

int Rank(TransferOutcome o) {
    switch (o) {
    case TransferOutcome::Verified:
        return 0;
    case TransferOutcome::Done:
        return 1;
    case TransferOutcome::Differs:
        return 2;
    case TransferOutcome::Failed:
        return 3;
    case TransferOutcome::Cancelled:
        return 4;
    }
    return 4;
}

} // namespace

bool TransferResult::Ok() const {
    return failed.empty() &&
           (outcome == TransferOutcome::Done || outcome == TransferOutcome::Verified);
}

std::vector<std::string> TransferResult::What() const {
    std::vector<std::string> what;
    for (const TransferFailure& f : failed)
        what.push_back(f.what);
    return what;
}

void TransferResult::AddCause(const std::string& cause) {
    if (!cause.empty() && std::find(causes.begin(), causes.end(), cause) == causes.end())
        causes.push_back(cause);
}

void TransferResult::Wrote(int32_t block) {
    if (std::find(written.begin(), written.end(), block) == written.end())
        written.push_back(block);
}

void TransferResult::MaybeWrote(int32_t block) {
    if (std::find(uncertain.begin(), uncertain.end(), block) == uncertain.end())
        uncertain.push_back(block);
}

void TransferResult::Fail(int32_t block, const std::string& what, const std::string& cause) {
    failed.push_back({block, what});
    AddCause(cause);
    Worsen(TransferOutcome::Failed);
}

void TransferResult::Worsen(TransferOutcome o) {
    if (Rank(o) > Rank(outcome))
        outcome = o;
}

void TransferResult::Merge(const TransferResult& part) {
    calls += part.calls;
    failed.insert(failed.end(), part.failed.begin(), part.failed.end());
    failedReads.insert(failedReads.end(), part.failedReads.begin(), part.failedReads.end());
    notRead.insert(notRead.end(), part.notRead.begin(), part.notRead.end());
    for (int32_t block : part.written)
        Wrote(block);
    for (int32_t block : part.uncertain)
        MaybeWrote(block);
    for (const std::string& cause : part.causes)
        AddCause(cause);
    Worsen(part.outcome);
}

std::string FailureText(const std::string& operation, const TransferResult& result) {
    if (result.outcome == TransferOutcome::Cancelled) {
        std::string text = operation + " stopped by the operator";
        if (!result.written.empty()) {
            text += "; written: block";
            text += result.written.size() == 1 ? " " : "s ";
            for (size_t i = 0; i < result.written.size(); ++i)
                text += (i ? ", " : "") + std::to_string(result.written[i]);
        }
        return text + ".";
    }
    if (result.failed.empty())
        return {};
    std::string text = operation + " failed: ";
    for (size_t i = 0; i < result.failed.size(); ++i)
        text += (i ? ", " : "") + result.failed[i].what;
    text += ".";
    if (!result.causes.empty())
        text += "\n" + result.causes.back();
    return text;
}

std::string ReadBackDiffers(int32_t block) {
    return "block " + std::to_string(block) + " reads back different values";
}

std::string ReadBackFailed(int32_t block) {
    return "block " + std::to_string(block) + " could not be read back";
}
