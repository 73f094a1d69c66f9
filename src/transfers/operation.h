#pragma once

#include <functional>
#include <string>

class Messages;
class TransferContext;

// One command's talk with the controller. `work` runs from its first call to its last
// where the context's host puts it (the loader's worker thread; with no host, at once),
// on values of its own: it never touches the image. Then, on the thread that started it,
// `apply` takes its outcome into the image and the set, the groups it retrieved and sent
// are told to the context's listener, and `after` shows what came of it.
struct Operation {
    std::string title; // the progress window's: "Connect", "SEND of PID group 3"
    std::function<void(TransferContext& link, Messages& tell)> work;
    std::function<void()> apply;
    std::function<void()> after;
    bool progress = true;   // the progress window after a moment (Test and Scan have their own)
    bool noteGroups = true; // the listener hears of each group's RETRIEVE and SEND
};

// Where operations run. The loader's host runs `work` on its worker thread while the window
// goes on, and the rest when it is over; one operation at a time.
class OperationHost {
public:
    virtual ~OperationHost() = default;
    // `tell` is the seam the work's boxes go through; the host passes them to the window's
    // thread and waits for each to be closed.
    virtual void Start(Operation operation, TransferContext& link, Messages& tell) = 0;
    virtual bool Busy() const = 0;
};
