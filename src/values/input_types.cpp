#include "values/conversions.h"

#include <array>

namespace {

struct InputType {
    int code;
    const char* listText;
    const char* rangeC;
    const char* rangeF;
    float spanC, baseC, spanF, baseF; // DC inputs take theirs from PVF and PVB
};

// clang-format off
const InputType kInputTypes[] = {
    {0, "Pt100     0   to 150  degree C,  32 to 302  degree F", "Pt100 0 to 150 degree C", "Pt100 32 to 302 degree F", 150, 0, 270, 32},
    {1, "Pt100     0   to 300  degree C,  32 to 572  degree F", "Pt100 0 to 300 degree C", "Pt100 32 to 572 degree F", 300, 0, 540, 32},
    {2, "Pt100     0   to 500  degree C,  32 to 932  degree F", "Pt100 0 to 500 degree C", "Pt100 32 to 932 degree F", 500, 0, 900, 32},
    {3, "Pt100     0   to 600  degree C,  32 to 1112 degree F", "Pt100 0 to 600 degree C", "Pt100 32 to 1112 degree F", 600, 0, 1080, 32},
    {4, "Pt100   -50   to 100  degree C, -58 to 212  degree F", "Pt100 -50 to 100 degree C", "Pt100 -58 to 212 degree F", 150, -50, 270, -58},
    {5, "Pt100  -100   to 200  degree C,-148 to 392  degree F", "Pt100 -100 to 200 degree C", "Pt100 -148 to 392 degree F", 300, -100, 540, -148},
    {6, "Pt100  -199.9 to 600  degree C,-328 to 1112 degree F", "Pt100 -199.9 to 600 degree C", "Pt100 -328 to 1112 degree F", 799.9f, -199.9f, 1440, -328},
    {7, "Pt100  -199.9 to 850  degree C,-328 to 1562 degree F", "Pt100 -199.9 to 850 degree C", "Pt100 -328 to 1562 degree F", 1049.8f, -199.9f, 1890, -328},
    {16, "JPt100    0   to 150  degree C,  32 to 302  degree F", "JPt100 0 to 150 degree C ", "JPt100 32 to 302 degree F ", 150, 0, 270, 32},
    {17, "JPt100    0   to 300  degree C,  32 to 572  degree F", "JPt100 0 to 300 degree C ", "JPt100 32 to 572 degree F ", 300, 0, 540, 32},
    {18, "JPt100    0   to 500  degree C,  32 to 932  degree F", "JPt100 0 to 500 degree C", "JPt100 32 to 932 degree F", 500, 0, 900, 32},
    {19, "JPt100    0   to 600  degree C,  32 to 1112 degree F", "JPt100 0 to 600 degree C", "JPt100 32 to 1112 degree F", 600, 0, 1080, 32},
    {20, "JPt100  -50   to 100  degree C, -58 to 212  degree F", "JPt100 -50 to 100 degree C", "JPt100 -58 to 212 degree F", 150, -50, 270, -58},
    {21, "JPt100 -100   to 200  degree C,-148 to 392  degree F", "JPt100 -100 to 200 degree C", "JPt100 -148 to 392 degree F", 300, -100, 540, -148},
    {22, "JPt100 -199.9 to 600  degree C,-328 to 1112 degree F", "JPt100 -199.9 to 600 degree C", "JPt100 -328 to 1112 degree F", 799.8f, -199.9f, 1440, -328},
    {32, "J         0   to 400  degree C,  32 to 752  degree F", "J 0 to 400 degree C", "J 32 to 752 degree F", 400, 0, 720, 32},
    {33, "J         0   to 800  degree C,  32 to 1472 degree F", "J 0 to 800 degree C", "J 32 to 1472 degree F", 800, 0, 1440, 32},
    {34, "K         0   to 400  degree C,  32 to 752  degree F", "K 0 to 400 degree C", "K 32 to 752 degree F", 400, 0, 720, 32},
    {35, "K         0   to 800  degree C,  32 to 1472 degree F", "K 0 to 800 degree C", "K 32 to 1472 degree F", 800, 0, 1440, 32},
    {36, "K         0   to 1200 degree C,  32 to 2192 degree F", "K 0 to 1200 degree C", "K 32 to 2192 degree F", 1200, 0, 2160, 32},
    {37, "R         0   to 1600 degree C,  32 to 2912 degree F", "R 0 to 1600 degree C", "R 32 to 2912 degree F", 1600, 0, 2880, 32},
    {38, "B         0   to 1800 degree C,  32 to 3272 degree F", "B 0 to 1800 degree C", "B 32 to 3272 degree F", 1800, 0, 3240, 32},
    {39, "T      -199.9 to 200  degree C,-328 to 392  degree F", "T -199.9 to 200 degree C", "T -328 to 392 degree F", 399.8f, -199.9f, 720, -328},
    {40, "T      -150   to 400  degree C,-238 to 752  degree F", "T -150 to 400 degree C", "T -238 to 752 degree F", 550, -150, 990, -238},
    {41, "E         0   to 800  degree C,  32 to 1472 degree F", "E 0 to 800 degree C", "E 32 to 1472 degree F", 800, 0, 1440, 32},
    {42, "E      -199.9 to 800  degree C,-328 to 1472 degree F", "E -199.9 to 800 degree C", "E -328 to 1472 degree F", 999.9f, -199.9f, 1800, -328},
    {43, "S         0   to 1600 degree C,  32 to 2912 degree F", "S 0 to 1600 degree C", "S 32 to 2912 degree F", 1600, 0, 2880, 32},
    {44, "N         0   to 1300 degree C,  32 to 2372 degree F", "N 0 to 1300 degree C", "N 32 to 2372 degree F", 1300, 0, 2340, 32},
    {45, "U      -199.9 to 400  degree C,-328 to 752  degree F", "U -199.9 to 400 degree C", "U -328 to 752 degree F", 599.9f, -199.9f, 1080, -328},
    {46, "Wre5-26   0   to 2300 degree C,  32 to 4172 degree F", "Wre5-26 0 to 2300 degree C", "Wre5-26 32 to 4172 degree F", 2300, 0, 4140, 32},
    {47, "PL-11     0   to 1300 degree C,  32 to 2372 degree F", "PL-11 0 to 1300 degree C", "PL-11 32 to 2372 degree F", 1300, 0, 2340, 32},
    {64, "DC1-5V/DC4-20mA", "DC1-5V/DC4-20mA ", "DC1-5V/DC4-20mA ", 0, 0, 0, 0},
    {65, "DC0-5V", "DC0-5V", "DC0-5V", 0, 0, 0, 0},
    {66, "DC0-10V", "DC0-10V", "DC0-10V", 0, 0, 0, 0},
    {67, "DC0-1V", "DC0-1V", "DC0-1V", 0, 0, 0, 0},
    {68, "DC0-100mV", "DC0-100mV", "DC0-100mV", 0, 0, 0, 0},
    {69, "DC0-10mV", "DC0-10mV", "DC0-10mV", 0, 0, 0, 0},
};

const char* const kAlarmTypes[] = {
    "No alarm", "Upper threshold", "Lower threshold", "Upper deviation", "Lower deviation",
    "Upper deviation(Turn-over)", "Lower deviation(Turn-over)", "Upper and Lower deviation",
    "Upper and Lower deviation(Turn-over)", "Guarantee soak timeout alarm", "fault",
    "Upper threshold with HOLD", "Lower threshold with HOLD", "Upper deviation with HOLD",
    "Lower deviation with HOLD", "Upper deviation(Turn-over) with HOLD",
    "Lower deviation(Turn-over) with HOLD", "Upper and Lower deviation with HOLD",
    "Upper and Lower deviation(Turn-over) with HOLD",
};
// clang-format on

const InputType* Find(int code) {
    for (const InputType& t : kInputTypes)
        if (t.code == code)
            return &t;
    return nullptr;
}

} // namespace

int InputTypeCount() {
    return static_cast<int>(std::size(kInputTypes));
}

int InputTypeCodeAt(int index) {
    return kInputTypes[index].code;
}

bool IsTemperatureSensor(int code) {
    const InputType* t = Find(code);
    return t && code < 64;
}

bool IsDcInput(int code) {
    return code >= 64 && code <= 69;
}

std::string InputTypeText(int code) {
    const InputType* t = Find(code);
    return t ? t->listText : "no use";
}

int InputTypeCode(const std::string& text) {
    for (const InputType& t : kInputTypes)
        if (text == t.listText)
            return t.code;
    return 0;
}

std::string RangeText(int code, int pvu) {
    const InputType* t = Find(code);
    if (!t)
        return "no use";
    return pvu == 0 ? t->rangeC : t->rangeF;
}

int AlarmTypeCount() {
    return static_cast<int>(std::size(kAlarmTypes));
}

std::string AlarmTypeText(int code) {
    return code >= 0 && code < AlarmTypeCount() ? kAlarmTypes[code] : "";
}

int AlarmTypeCode(const std::string& text) {
    for (int i = 0; i < AlarmTypeCount(); ++i)
        if (text == kAlarmTypes[i])
            return i;
    return -1;
}

InputRange SelectInputRange(const SystemSetupRecord& setup) {
    InputRange range;
    const InputType* t = Find(setup.PVT);
    if (t && !IsDcInput(setup.PVT)) {
        range.span = setup.PVU == 0 ? t->spanC : t->spanF;
        range.base = setup.PVU == 0 ? t->baseC : t->baseF;
    } else {
        // DC inputs and codes outside the table are scaled by PVF and PVB.
        range.span = static_cast<float>(setup.PVF - setup.PVB);
        range.base = static_cast<float>(setup.PVB);
        range.dc = true;
    }
    range.decimals = EffectiveDecimals(setup);
    range.pvd = setup.PVD;
    return range;
}

int EffectiveDecimals(const SystemSetupRecord& setup) {
    if ((setup.PVU == 0 || setup.PVU == 1) && IsTemperatureSensor(setup.PVT) &&
        (setup.PVD == 2 || setup.PVD == 3))
        return 1;
    return setup.PVD;
}

std::optional<std::string> RangeBoxText(const SystemSetupRecord& setup) {
    if (setup.PVU > 1)
        return std::nullopt;
    return RangeText(setup.PVT, setup.PVU);
}

std::optional<std::string> DecimalPointBoxText(int pvd) {
    const char* const texts[] = {"No decimal position", "0.1", "0.01", "0.001"};
    if (pvd < 0 || pvd > 3)
        return std::nullopt;
    return std::string(texts[pvd]);
}

std::optional<std::string> TimeUnitBoxText(int tmu) {
    if (tmu == 0)
        return std::string("Hour. Minute");
    if (tmu == 1)
        return std::string("Minute. Second");
    return std::nullopt;
}
