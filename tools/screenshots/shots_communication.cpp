#include "shot_registry.h"

#include "../tests/support/sim_process.h"
#include "app/communication_dialog.h"
#include "image/parameter_image.h"
#include "link/tqxcomm.h"
#include "transfers/connect_procedure.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

// The Communication window after a Connect over a line that loses one answer in five and
// garbles one in nine, with a retry pass; the trace of it goes to communication_trace.txt.
TQX_SHOT("communication") {
    const std::string pty = "/tmp/tqx-shot-" + std::to_string(::getpid()) + ".pty";
    SimProcess sim(
        {"--pty", pty, "--drop-every", "5", "--corrupt-every", "9", "--fault-seed", "7"});
    if (!sim.Ready())
        return;
    const std::string setting = "rtu:" + sim.PortSetting() + ",parity=N,timeout=100";
    const std::string trace = ctx.outputDir.toStdString() + "/communication_trace.txt";
    ::unlink(trace.c_str());
    ::setenv("TQXCOMM_PORT1", setting.c_str(), 1);
    ::setenv("TQXCOMM_TRACE", trace.c_str(), 1);
    TQXOpenSerialPort(1);
    TransferContext link;
    ParameterImage image;
    SetStartValues(image);
    ReadWholeController(link, image, 1);
    CommunicationDialog dialog(link);
    ctx.save(&dialog, QStringLiteral("communication"));
    TQXCloseSerialPort();
    ::unsetenv("TQXCOMM_TRACE");
}
