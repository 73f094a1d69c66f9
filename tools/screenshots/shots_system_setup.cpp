#include "shot_registry.h"

#include "editors/advanced_dialog.h"
#include "editors/system_setup_dialog.h"
#include "image/parameter_catalogue.h"

namespace {

// A K thermocouple 0 to 1200 degree C with typical settings.
ParameterImage DemoImage() {
    ParameterImage image;
    SetStartValues(image);
    SystemSetupRecord& s = image.systemSetup;
    s.PVT = 36;
    s.PVF = 1000;
    s.CI = 30;
    s.TF = 20;
    s.PSET = 0;
    s.BURN = 0;
    s.SFT = 0;
    s.AO1T = 0;
    s.AO1F = 10000;
    s.AO2T = 2;
    s.AO2F = 10000;
    s.GS_H = 42;
    s.GS_L = 42;
    s.GS_T = 10;
    s.EV_T1 = 1;
    s.EV_T2 = 3;
    s.EV_T3 = 9;
    s.ENDT = 1;
    s.STN = 1;
    AdvancedRecord& a = image.advanced;
    // The set value limits at the two ends of the input range.
    for (const ParameterRow& row : AdvancedRows())
        if (row.encoding == Encoding::RangeAbsolute)
            SetRawValue(a, row, static_cast<uint16_t>(row.offset == 0 ? row.hi : row.lo));
    a.DMV = 10000;
    a.A1HS = 17;
    a.A2HS = 17;
    a.A3HS = 17;
    a.A4HS = 17;
    a.PID = 1;
    return image;
}

} // namespace

TQX_SHOT("system_setup") {
    ParameterImage image = DemoImage();
    RecordingMessages messages;
    NoCursor cursor;
    SystemSetupDialog dialog(image, messages, cursor);
    ctx.save(&dialog, QStringLiteral("system_setup"));
}

TQX_SHOT("advanced") {
    ParameterImage image = DemoImage();
    RecordingMessages messages;
    NoCursor cursor;
    AdvancedDialog dialog(image, messages, cursor);
    ctx.save(&dialog, QStringLiteral("advanced"));
}
