#include "link/bus_scan.h"
#include "link/port_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <tuple>

namespace {

// A line with controllers at chosen (baud, parity, unit); a pty cannot tell rates apart.
class FakeLine : public ScanPort {
public:
    std::map<std::tuple<int, char, int>, std::string> controllers;
    std::vector<PortSettings> opened;
    std::vector<int> probes; // units probed, in order
    std::vector<int> timeouts;
    bool refuse = false;

    bool Open(const PortSettings& s, LinkFailure& why) override {
        opened.push_back(s);
        why.cause = LinkCause::CannotOpen;
        why.systemError = 2;
        return !refuse;
    }
    ScanProbe Probe(int unit, int timeoutMs) override {
        probes.push_back(unit);
        timeouts.push_back(timeoutMs);
        ScanProbe p;
        const PortSettings& s = opened.back();
        const auto it = controllers.find({s.baud, s.parity, unit});
        p.answered = it != controllers.end();
        if (p.answered)
            p.modelCode = it->second;
        else
            p.failure.cause = LinkCause::NoAnswer;
        return p;
    }
    void Close() override {}
};

PortSettings Line(int baud = 9600, char parity = 'E') {
    PortSettings s = DefaultPortSettings();
    s.device = "/dev/ttyUSB0";
    s.baud = baud;
    s.parity = parity;
    return s;
}

// Random lines of controllers: a scan at every rate finds exactly them, in line order then
// unit order, probing each candidate once and opening each line setting once.
TEST(BusScanTest, FindsExactlyTheControllersAtEveryRate) {
    std::mt19937 random(21);
    for (int round = 0; round < 40; ++round) {
        FakeLine line;
        const int first = 1 + static_cast<int>(random() % 5),
                  last = first + static_cast<int>(random() % 40);
        std::set<std::tuple<int, char, int>> expected;
        for (int k = 0; k < 4; ++k) {
            const int baud = CommonScanBauds()[random() % 3];
            const char parity = random() % 2 ? 'E' : 'N';
            const int unit = 1 + static_cast<int>(random() % 60);
            line.controllers[{baud, parity, unit}] = "CODE" + std::to_string(unit);
            if (unit >= first && unit <= last)
                expected.insert({baud, parity, unit});
        }
        const std::vector<PortSettings> lines = ScanLines(Line(), CommonScanBauds());
        BusScan scan(line, lines, first, last);
        int steps = 0;
        while (scan.Step())
            ++steps;
        EXPECT_TRUE(scan.Finished());
        EXPECT_EQ(scan.Done(), 6 * (last - first + 1));
        EXPECT_EQ(static_cast<int>(line.probes.size()), scan.Done()); // no retries
        EXPECT_EQ(line.opened.size(), 6u);
        std::set<std::tuple<int, char, int>> found;
        for (const ScanFound& f : scan.Found()) {
            found.insert({f.settings.baud, f.settings.parity, f.settings.unit});
            EXPECT_EQ(f.modelCode, "CODE" + std::to_string(f.settings.unit));
            EXPECT_EQ(f.settings.device, "/dev/ttyUSB0");
        }
        EXPECT_EQ(found, expected) << "round " << round;
    }
}

TEST(BusScanTest, OneLineUnitsClampedAndALineThatCannotOpen) {
    FakeLine line;
    BusScan scan(line, ScanLines(Line(19200, 'N'), {}), 0, 500);
    while (scan.Step()) {
    }
    EXPECT_EQ(scan.Total(), 247);
    EXPECT_EQ(line.opened.size(), 1u);
    EXPECT_EQ(line.opened[0].baud, 19200);
    EXPECT_EQ(line.probes.front(), 1);
    EXPECT_EQ(line.probes.back(), 247);

    FakeLine dead;
    dead.refuse = true;
    BusScan failed(dead, {Line()}, 1, 31);
    EXPECT_FALSE(failed.Step());
    EXPECT_TRUE(failed.Finished());
    EXPECT_TRUE(dead.probes.empty());
    EXPECT_NE(failed.Error().find("/dev/ttyUSB0 9600 8E1"), std::string::npos) << failed.Error();
}

// 31 absent units at 9600 baud must fit in 5 s, whatever the quiet wait costs.
TEST(BusScanTest, ProbeTimeoutsFitTheScanBudget) {
    EXPECT_LE(31 * (ScanProbeTimeoutMs(Line(9600)) + 25), 5000);
    EXPECT_GT(ScanProbeTimeoutMs(Line(9600)), 2 * 31); // the frames themselves take 31 ms
    EXPECT_LT(ScanProbeTimeoutMs(Line(38400)), ScanProbeTimeoutMs(Line(9600)));
}

TEST(PortSettingsTextTest, FormatReadsBackAndPaneTexts) {
    std::mt19937 random(7);
    for (int i = 0; i < 200; ++i) {
        PortSettings s = DefaultPortSettings();
        if (random() % 3 == 0) {
            s.kind = PortSettings::Kind::Tcp;
            s.host = "gw" + std::to_string(random() % 100) + ".lab";
            s.service = std::to_string(1 + random() % 65535);
        } else {
            s.device = "/dev/serial/by-id/usb-" + std::to_string(random());
            s.baud = 50 + static_cast<int>(random() % 400000);
            s.parity = "ENO"[random() % 3];
            s.stopBits = 1 + static_cast<int>(random() % 2);
        }
        s.unit = static_cast<int>(random() % 248);
        s.timeoutMs = 10 + static_cast<int>(random() % 9991);
        PortSettings back;
        ASSERT_TRUE(ParsePortSettings(FormatPortSettings(s), back)) << FormatPortSettings(s);
        EXPECT_TRUE(back == s) << FormatPortSettings(s);
    }
    PortSettings usb = Line();
    usb.unit = 3;
    EXPECT_EQ(ShortPortText(usb), "/dev/ttyUSB0 9600 8E1 unit 3");
    PortSettings tcp;
    ASSERT_TRUE(ParsePortSettings("tcp:gw:502,unit=2", tcp));
    EXPECT_EQ(ShortPortText(tcp), "tcp gw:502 unit 2");
}

} // namespace
