#pragma once

#include "image/group_id.h"
#include "image/parameter_image.h"
#include "transfers/connect_procedure.h"
#include "transfers/group_transfers.h"
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
// WDIS 0 first. Every group is sent with WDIS 0, each stopping at its first refused write;
// the file's WDIS is written last, on its own, and only once every group went through,
// else a controller that was unlocked is locked again. A file that moves the station
// writes block 9 before block 12 and follows the controller to its new station for the
// rest; a set whose STN port 1 could not follow is not sent at all. Then everything sent
// is read back. Asked to keep the controller's own values, it reads them all before the
// first write and stops when they cannot be read or kept.

// The stations port 1 can follow a controller to: 1 to 31. At 0, the broadcast address,
// or above 31 the controller would answer nobody on the line and could be reached only at
// its front panel.
bool FollowableStation(int stn);
// Why a set with such an STN is refused: "STN 255" + `where` (" at row 35, column 2 of
// oven3.slk", or empty) + the reason, ending "nothing was written.".
std::string StationRefusal(int stn, const std::string& where);

struct RestoreOptions {
    bool unlock = false; // a write-inhibited controller: write WDIS 0 first
    // A controller unlocked first is write-inhibited again at the end: its WDIS 1 is
    // written last in place of the set's 0.
    bool keepInhibit = false;
    int retryPasses = 2; // passes over the pre-reads and read-backs that failed
    // Keeps the controller's own values before the first write: given the whole set read
    // from it, returns "" once they are safe, else why not (and nothing is written).
    std::function<std::string(const ParameterImage& target)> keepTarget;
    // Told true once WDIS 0 went in first, and false once a WDIS went back or the file's
    // went in last: while true, a restore that ends at once leaves the controller unlocked.
    std::function<void(bool unlocked)> unlockedChanged;
};

struct RestoreReport {
    // Set when the restore stopped before writing anything; says why.
    std::string stopped;
    bool wasLocked = false; // the controller's WDIS was 1 before the restore
    bool unlocked = false;  // WDIS 0 was written first
    std::vector<GroupSend> sends;
    // The file's WDIS, and whether it was written at the end (not when a group failed).
    uint8_t wdis = 0;
    // The set said WDIS 0, and the controller's own WDIS 1 was written last instead.
    bool inhibitKept = false;
    bool wdisWritten = false;
    bool wdisFailed = false;
    // After a group failed, or the operator stopped the restore, on a controller that was
    // unlocked first: WDIS was written back to what it was (or that failed too).
    bool relocked = false;
    bool relockFailed = false;
    // The WDIS the controller holds once the restore is over, as far as its writes went.
    uint8_t wdisAfter = 0;
    // The file moved the controller to another station.
    StationChange station;
    // The operator stopped it between two calls; nothing was sent after but WDIS put back
    // on a controller that was unlocked first, and nothing read back.
    bool cancelled = false;
    // Read-back: reads that failed, and the groups that differ from what was sent.
    TransferResult readBack;
    std::vector<GroupId> differs;

    // The groups that went through whole, in part, and not at all, in send order (a group
    // not sent because the restore stopped counts as not written).
    std::vector<GroupId> Written() const;
    std::vector<GroupId> PartlyWritten() const;
    std::vector<GroupId> NotWritten() const;
    bool AllWritten() const { return Written().size() == AllGroups().size(); }
    bool Ok() const {
        return stopped.empty() && !cancelled && AllWritten() && !wdisFailed &&
               readBack.failed.empty() && differs.empty();
    }
};

// `applyFile` puts the file's values into the image after the pre-reads (false stops the
// restore, nothing written). `image` ends as what was sent.
RestoreReport RestoreImage(TransferContext& link, ParameterImage& image,
                           const std::function<bool(ParameterImage&)>& applyFile,
                           const RestoreOptions& options);

// The report as lines for a person: what was written first, each group ("sent",
// "PARTLY WRITTEN (blocks 26)", "FAILED"), a station move, WDIS at the end, the lists of
// groups written in whole, in part and not at all, and the verification; `cause` is the
// link's reason for the last failure, `values` what a verified controller holds.
std::vector<std::string> RestoreReportLines(const RestoreReport& report, const std::string& cause,
                                            const std::string& values = "the file's values");

// The groups of `sent` that differ in `back`.
std::vector<GroupId> DifferingGroups(const ParameterImage& sent, const ParameterImage& back);
