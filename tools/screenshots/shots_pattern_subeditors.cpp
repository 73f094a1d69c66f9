#include "shot_registry.h"

#include "editors/pattern_graph_dialog.h"
#include "editors/pattern_sub_editors_qt.h"

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>

namespace {

// Degrees C on the K 0 to 400 range: 25 stored units per degree.
int16_t Degrees(int celsius) {
    return static_cast<int16_t>(celsius * 25);
}

// A demonstration: ramp up to 100, soak, ramp up to 300, soak, ramp down, with a few time
// signals; segments 9-20 unused. The model code carries the time-signal option.
struct Demo {
    Demo() {
        SetStartValues(image);
        image.systemSetup.PVT = 34; // K 0 to 400 degree C
        const char code[] = "PXT4TEY1T-00121";
        std::copy(code, code + ParameterImage::kModelCodeChars, image.modelCode.begin());

        const struct {
            int sv, time, pid, gsOn, gsType;
        } segments[] = {{100, 30, 1, 0, 0}, {100, 60, 2, 1, 0}, {300, 60, 3, 0, 0},
                        {300, 90, 4, 1, 1}, {350, 20, 4, 0, 2}, {350, 120, 5, 1, 0},
                        {50, 90, 6, 0, 0},  {25, 30, 6, 1, 1}};
        const int used = static_cast<int>(std::size(segments));
        for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
            SegmentRecord record = state.workingCopy.Segment(s);
            const auto& d = segments[std::min(s, used) - 1];
            record.SetSV(Degrees(d.sv));
            record.SetTIME(s <= used ? static_cast<uint16_t>(d.time) : 0x8000);
            record.SetAlarm(1, Degrees(d.sv + 10));
            record.SetAlarm(2, Degrees(std::max(d.sv - 10, 0)));
            record.SetAlarm(3, s <= used ? Degrees(d.sv + 25) : -32768);
            record.SetAlarm(4, -32768);
            state.segmentBytes.At(s, SegmentByteTable::PIDNO) = static_cast<uint16_t>(d.pid);
            state.segmentBytes.At(s, SegmentByteTable::GSORK) =
                static_cast<uint16_t>(s <= used ? d.gsOn : 0);
            state.segmentBytes.At(s, SegmentByteTable::GSTYP) = static_cast<uint16_t>(d.gsType);
        }
        const struct {
            int s, k, on, off;
        } timeSignals[] = {{2, 1, 10, 50}, {4, 1, 15, 75}, {3, 2, 5, 55},
                           {6, 3, 30, 90}, {7, 4, 10, 80}, {1, 5, 5, 25}};
        for (const auto& t : timeSignals) {
            state.workingCopy.Segment(t.s).SetTsOn(t.k, static_cast<uint16_t>(t.on));
            state.workingCopy.Segment(t.s).SetTsOff(t.k, static_cast<uint16_t>(t.off));
        }
    }

    ParameterImage image;
    PatternWorkingState state;
    RecordingMessages messages;
};

} // namespace

TQX_SHOT("segment_pid") {
    Demo demo;
    SegmentPidDialog dialog(demo.state, demo.image, demo.messages);
    ctx.save(&dialog, QStringLiteral("segment_pid"));
}

TQX_SHOT("alarm_values") {
    Demo demo;
    AlarmValuesDialog dialog(demo.state, demo.image, demo.messages);
    ctx.save(&dialog, QStringLiteral("alarm_values"));
}

TQX_SHOT("guaranteed_soak") {
    Demo demo;
    GuaranteedSoakDialog dialog(demo.state, demo.image, demo.messages);
    ctx.save(&dialog, QStringLiteral("guaranteed_soak"));
}

TQX_SHOT("pattern_graph") {
    Demo demo;
    PatternGraphDialog dialog(demo.state, demo.image, demo.messages);
    dialog.show();
    QApplication::processEvents();
    const QPointF at(100, 60);
    QMouseEvent click(QEvent::MouseButtonPress, at, dialog.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &click);
    ctx.save(&dialog, QStringLiteral("pattern_graph"));
}
