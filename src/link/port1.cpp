#include "link/port1.h"

#include "link/link_backend.h"
#include "link/modbus_transport.h"
#include "link/tqxcomm.h"

#include <cstdlib>

void UsePort1Settings(const PortSettings& settings) {
    TheModbusTransport().UseSettings(settings);
}

bool Port1FromEnvironment(std::string* text) {
    const char* env = std::getenv("TQXCOMM_PORT1");
    if (!env || !*env)
        return false;
    if (text)
        *text = env;
    return true;
}

PortSettings Port1Settings() {
    return TheModbusTransport().Settings();
}

int Port1Unit() {
    return CurrentLinkBackend().Unit();
}

bool TestPortSettings(const PortSettings& settings, std::string& modelCode, std::string& reason) {
    ModbusTransport transport(true);
    transport.UseSettings(settings);
    char code[14] = {};
    int32_t status = 0;
    if (!transport.Read(TQX_MODE_READ_BYTES, 40, 0, 14, code, &status)) {
        reason = DescribeLinkFailure(transport.LastFailure());
        return false;
    }
    modelCode.assign(code, sizeof code);
    return true;
}
