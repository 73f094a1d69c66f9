#include "app/verify_setting.h"

#include <QSettings>

namespace {

const char* const kKey = "port1/verifyAfterSend";

} // namespace

bool LoadVerifyAfterSend() {
    return QSettings().value(QLatin1String(kKey), true).toBool();
}

void SaveVerifyAfterSend(bool on) {
    QSettings().setValue(QLatin1String(kKey), on);
}
