#pragma once

#include "image/group_id.h"
#include "image/image_source.h"
#include "image/parameter_image.h"
#include "transfers/restore_procedure.h"
#include "transfers/transfer_context.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The loader's whole parameter set sent to the controller on port 1 by the restore
// procedure (RestoreImage): WDIS first, the groups with WDIS 0, the set's WDIS last, all
// read back. What comes before and after it: the target asked, the confirmation's
// warnings, each group's outcome and the text the operator is told.

// The controller about to take the set (or some groups of it), as read just before the
// operator confirms.
struct SendAllTarget {
    std::string port;      // port 1 as used, "rtu:/dev/ttyUSB0 9600 8E1, unit 3" (the caller's)
    std::string modelCode; // the fourteen characters of block 40
    bool locked = false;   // WDIS 1: write-inhibited (known when the advanced group was read)
    ParameterImage held;   // what it holds of the groups read; start values elsewhere
};

// Reads what the controller on port 1 holds of `groups`, and its model code, repeating
// what failed up to `retryPasses` times; "" or what failed (a Cancel included).
std::string ReadSendTarget(TransferContext& link, const std::vector<GroupId>& groups,
                           SendAllTarget& target, int retryPasses = 2);

// The set holds a time signal 5 or 6 in some segment (an on or off time other than 0 and
// the not-used marker).
bool UsesOptionTimeSignals(const ParameterImage& image);

// What the confirmation says besides the source, the port and the model code: the model
// code of the set when it differs from the target's, and time signals 5 and 6 a target
// without the option does not have.
std::vector<std::string> SendAllWarnings(const ParameterImage& set, const ImageSource& source,
                                         const SendAllTarget& target);

// What each group sent came to for the summary: verified, written but not read back,
// reads back otherwise, or failed (partly written counts as failed). Groups the send
// never reached are left out.
std::vector<GroupOutcome> SendAllOutcomes(const RestoreReport& report);

// Where a set came from, as a Send all's result names it: "file /data/oven3.slk",
// "controller at port 1 read at 09:12 (rtu:/dev/ttyUSB0 9600 8E1, unit 3)", "history
// snapshot 12 of Furnace 3, taken ..."; ", edited since" when it was.
std::string SendSourceText(const ImageSource& source);

// The controller's write inhibit before and after, in words, when it changed ("The
// controller was write-inhibited; it is now write-enabled, as the set says.") or was kept
// against the set; empty otherwise, and when nothing was written.
std::string WdisChangeText(const RestoreReport& report);

// What the operator is told after a Send all: how it went, from where to where, what
// became of the write inhibit, where the controller's own values were kept, and the
// restore's lines (each group, the station, WDIS, the groups written and not, the
// verification).
std::string SendAllResultText(const RestoreReport& report, const std::string& cause,
                              const std::string& keptPath, const ImageSource& source,
                              const SendAllTarget& target);
