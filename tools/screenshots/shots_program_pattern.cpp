#include "shot_registry.h"

#include "editors/profile_dialog.h"
#include "editors/program_pattern_dialog.h"
#include "editors/report_content.h"
#include "editors/report_qtcore.h"
#include "operator/cursor.h"

#include <QRadioButton>

#include <algorithm>

namespace {

// Degrees C on "K 0 to 1200 degree C" with one decimal: 10000 / 1200 stored units per degree.
int16_t Degrees(double celsius) {
    return static_cast<int16_t>(celsius * 10000.0 / 1200.0);
}

// Pattern 1 of a controller with the time-signal option: a ramp up, soaks, a ramp down,
// time signal 1 on in most segments; segments beyond the eighth unused.
void FillDemo(ParameterImage& image) {
    SetStartValues(image);
    image.systemSetup.PVT = 36;
    image.systemSetup.PVD = 1;
    const char code[] = "PXT4TEY1T-00121";
    std::copy(code, code + ParameterImage::kModelCodeChars, image.modelCode.begin());
    const struct {
        double sv;
        int time;
    } used[] = {{100, 30},    {100, 60},      {850.5, 120}, {850.5, 90},
                {1199.9, 45}, {1199.9, 5999}, {400, 90},    {-12.5, 30}};
    ProgramPatternRecord& pattern = image.pattern[0];
    for (int s = 1; s <= ProgramPatternRecord::kSegments; ++s) {
        SegmentRecord segment = pattern.Segment(s);
        const bool inUse = s <= static_cast<int>(std::size(used));
        segment.SetSV(inUse ? Degrees(used[s - 1].sv) : int16_t(-32768));
        segment.SetTIME(inUse ? static_cast<uint16_t>(used[s - 1].time) : uint16_t(0x8000));
        segment.SetTsOn(1, inUse ? 5 : 0x8000);
        segment.SetTsOff(1, inUse ? 25 : 0x8000);
        segment.SetByte(seg::PVST, 1);
        segment.SetByte(seg::CYCL, 12);
        segment.SetByte(seg::LINK, 3);
    }
}

} // namespace

TQX_SHOT("program_pattern") {
    ParameterImage image;
    FillDemo(image);
    RecordingMessages messages;
    NoCursor cursor;
    ProgramPatternDialog dialog(image, messages, cursor);
    ctx.save(&dialog, QStringLiteral("program_pattern"));
}

TQX_SHOT("profile") {
    ParameterImage image;
    FillDemo(image);
    PatternWorkingState state;
    LoadPattern(image, 1, state);
    ProfileDialog dialog(state, image);
    ctx.save(&dialog, QStringLiteral("profile"));
}

// The parameter report of the same image; scripts/screenshots turns pages of it into PNGs.
TQX_SHOT("report") {
    ParameterImage image;
    FillDemo(image);
    ReportOptions options;
    options.source = ImageSource::Controller("rtu:/dev/ttyUSB0 9600 8E1, unit 1", 1, "07:08");
    options.source.modelCodeRead = true;
    options.source.modelCode = FourteenCharacters(image.modelCode.data());
    options.created = "2024-05-06 07:08";
    std::string error;
    if (!WriteReportPdf(BuildReport(image, options), image,
                        (ctx.outputDir + QStringLiteral("/report.pdf")).toStdString(), error))
        qWarning("report: %s", error.c_str());
}
