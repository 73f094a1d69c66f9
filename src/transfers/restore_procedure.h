#pragma once

#include "image/group_id.h"
#include "image/parameter_image.h"
#include "transfers/connect_procedure.h"
#include "transfers/image_transfers.h"
#include "transfers/transfer_context.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A whole parameter file restored onto the controller, so that it is never left locked
// halfway. Before anything is written it reads only what a file does not carry: WDIS, the
// model code, block 13 (GAP, MAX, PP, PI, PD) and blocks 12 and 9 (bytes no group owns).
// A write-inhibited controller is left alone unless unlocking was asked for, which writes
// WDIS 0 first. Every group is sent with WDIS 0; the file's WDIS is written last, on its
// own, and only once every group went through. Then everything sent is read back.

struct RestoreOptions {
    bool unlock = false; // a write-inhibited controller: write WDIS 0 first
    int retryPasses = 2; // passes over the pre-reads and read-backs that failed
};

struct RestoreReport {
    // Set when the restore stopped before writing anything; says why.
    std::string stopped;
    bool wasLocked = false; // the controller's WDIS was 1 before the restore
    bool unlocked = false;  // WDIS 0 was written first
    std::vector<GroupSend> sends;
    // The file's WDIS, and whether it was written at the end (not when a group failed).
    uint8_t wdis = 0;
    bool wdisWritten = false;
    bool wdisFailed = false;
    // Read-back: reads that failed, and the groups that differ from what was sent.
    TransferResult readBack;
    std::vector<GroupId> differs;

    std::vector<GroupId> Written() const; // groups that went through, in send order
    std::vector<GroupId> NotWritten() const;
    bool Ok() const {
        return stopped.empty() && NotWritten().empty() && !wdisFailed && readBack.failed.empty() &&
               differs.empty();
    }
};

// `applyFile` puts the file's values into the image after the pre-reads (false stops the
// restore, nothing written). `image` ends as what was sent.
RestoreReport RestoreImage(TransferContext& link, ParameterImage& image,
                           const std::function<bool(ParameterImage&)>& applyFile,
                           const RestoreOptions& options);

// The groups of `sent` that differ in `back`.
std::vector<GroupId> DifferingGroups(const ParameterImage& sent, const ParameterImage& back);
