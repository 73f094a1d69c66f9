#include "shot_registry.h"

#include "editors/pid_group_dialog.h"
#include "operator/cursor.h"

TQX_SHOT("pid_group") {
    ParameterImage image;
    image.systemSetup.PVT = 36; // K 0 to 1200 degree C, one decimal
    image.systemSetup.PVD = 1;
    PidGroupRecord& r = image.pid[0];
    r.SetSigned(PidGroupRecord::P, 30);
    r.SetWord(PidGroupRecord::I, 2400);
    r.SetSigned(PidGroupRecord::D, 600);
    r.SetSigned(PidGroupRecord::GAP, 0);
    r.SetSigned(PidGroupRecord::ARW, 10000);
    r.SetSigned(PidGroupRecord::MAN, 5000);
    r.SetSigned(PidGroupRecord::MV_H, 10000);
    RecordingMessages messages;
    NoCursor cursor;
    PidGroupDialog dialog(image, messages, cursor);
    ctx.save(&dialog, QStringLiteral("pid_group"));
}
