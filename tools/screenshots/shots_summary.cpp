#include "shot_loader.h"
#include "shot_registry.h"

#include "../tests/support/modal_driver.h"
#include "../tests/support/settle.h"
#include "../tests/support/sim_process.h"
#include "app/document.h"
#include "app/main_frame.h"
#include "image/little_endian.h"
#include "link/tqxcomm.h"

#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>

// The summary after a Connect to tqx-sim, after edits (two sent, one not), and the
// Compare with controller window that lists the unsent edit and a change made on the
// controller behind the loader's back.
TQX_SHOT("summary") {
    SimProcess sim({"--tcp", "127.0.0.1:0"});
    if (!sim.Ready())
        return;
    ::setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);
    ParameterImage image;
    RecordingMessages messages;
    NoCursor cursor;
    CTQXLOADER961114Doc document{image, messages, cursor};
    document.SetVerifyAfterSend(true, false);
    CMainFrame frame(document);
    ModalDriver driver;
    driver.Then([](QWidget* modal) { Press(modal, "OK"); });
    document.Run(Command::ConnectStart);
    Settle(document);
    ctx.save(&frame, QStringLiteral("summary_connected"));

    driver.Then([](QWidget* modal) {
        Type(modal, "P", "7.7");
        Press(modal, "SEND");
        Press(modal, "CANCEL");
    });
    document.OpenGroup(GroupId::Pid(3));
    Settle(document);
    driver.Then([](QWidget* modal) {
        Type(modal, "SV_1", "120");
        Press(modal, "SEND");
        Press(modal, "CANCEL");
    });
    document.OpenGroup(GroupId::Pattern(2));
    Settle(document);
    driver.Then([](QWidget* modal) {
        Type(modal, "DMV", "12.3");
        Press(modal, "OK");
    });
    document.OpenGroup(GroupId::Advanced());
    Settle(document);
    ctx.save(&frame, QStringLiteral("summary_edited"));

    // A second client changes segment 1's SV of pattern 3 in the controller.
    uint8_t sv[2];
    le::PutI16(sv, static_cast<int16_t>(le::GetI16(image.pattern[2].bytes.data()) + 25));
    int32_t status = 0;
    TQXWrite(TQX_MODE_WRITE_ABSOLUTE, 25, 0xC000 + 840 * 2, 2, sv, &status);
    driver.Then([&](QWidget* modal) {
        ctx.save(modal, QStringLiteral("compare_controller"));
        Press(modal, "close");
    });
    document.Run(Command::CompareController);
    Settle(document);
    ctx.save(&frame, QStringLiteral("summary_compared"));
}
