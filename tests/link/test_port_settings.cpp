#include "link/port_settings.h"

#include <gtest/gtest.h>

namespace {

using Kind = PortSettings::Kind;

TEST(PortSettingsTest, ParsesAcceptedSettings) {
    struct Case {
        const char* name;
        const char* text;
        Kind kind;
        const char* device;
        int baud;
        char parity;
        int stop;
        const char* host;
        const char* service;
        int unit;
    };
    const Case cases[] = {
        {"unset is ttyS0 8E1", "", Kind::Rtu, "/dev/ttyS0", 9600, 'E', 1, "", "", 1},
        {"bare device", "/dev/ttyUSB0", Kind::Rtu, "/dev/ttyUSB0", 9600, 'E', 1, "", "", 1},
        {"windows device", "COM3", Kind::Rtu, "COM3", 9600, 'E', 1, "", "", 1},
        {"rtu with options", "rtu:/dev/ttyUSB1,baud=19200,parity=N,stop=2,unit=7", Kind::Rtu,
         "/dev/ttyUSB1", 19200, 'N', 2, "", "", 7},
        {"lower-case parity", "rtu:/dev/x,parity=o", Kind::Rtu, "/dev/x", 9600, 'O', 1, "", "", 1},
        {"tcp", "tcp:127.0.0.1:1502", Kind::Tcp, "/dev/ttyS0", 9600, 'E', 1, "127.0.0.1", "1502",
         1},
        {"tcp host name and unit", "tcp:gateway.local:502,unit=3", Kind::Tcp, "/dev/ttyS0", 9600,
         'E', 1, "gateway.local", "502", 3},
    };
    for (const Case& c : cases) {
        PortSettings s;
        ASSERT_TRUE(ParsePortSettings(c.text, s)) << c.name;
        EXPECT_EQ(s.kind, c.kind) << c.name;
        EXPECT_EQ(s.device, c.device) << c.name;
        EXPECT_EQ(s.baud, c.baud) << c.name;
        EXPECT_EQ(s.parity, c.parity) << c.name;
        EXPECT_EQ(s.stopBits, c.stop) << c.name;
        EXPECT_EQ(s.host, c.host) << c.name;
        EXPECT_EQ(s.service, c.service) << c.name;
        EXPECT_EQ(s.unit, c.unit) << c.name;
    }
}

TEST(PortSettingsTest, ResponseTimeout) {
    const struct {
        const char* text;
        int timeoutMs;
    } cases[] = {
        {"", 500}, {"tcp:127.0.0.1:1502,timeout=40", 40}, {"rtu:/dev/x,timeout=2000,unit=2", 2000}};
    for (const auto& c : cases) {
        PortSettings s;
        ASSERT_TRUE(ParsePortSettings(c.text, s)) << c.text;
        EXPECT_EQ(s.timeoutMs, c.timeoutMs) << c.text;
    }
}

TEST(PortSettingsTest, RefusesMalformedSettingsAndKeepsTheOutput) {
    const char* cases[] = {
        "rtu:",                        // no device
        ",baud=9600",                  // no device
        "rtu:/dev/x,baud=fast",        // not a number
        "rtu:/dev/x,parity=X",         // no such parity
        "rtu:/dev/x,stop=3",           // one or two stop bits only
        "rtu:/dev/x,unit=300",         // beyond the Modbus unit range
        "rtu:/dev/x,speed=9600",       // unknown option
        "tcp:127.0.0.1",               // no port
        "tcp::502",                    // no host
        "tcp:127.0.0.1:70000",         // port out of range
        "tcp:127.0.0.1:502,baud=9600", // line options mean nothing over TCP
        "tcp:127.0.0.1:502,timeout=5", // too short to hear any answer
        "rtu:/dev/x,timeout=60000"     // longer than any controller takes
    };
    for (const char* text : cases) {
        PortSettings s;
        s.unit = 42;
        EXPECT_FALSE(ParsePortSettings(text, s)) << text;
        EXPECT_EQ(s.unit, 42) << text;
    }
}

} // namespace
