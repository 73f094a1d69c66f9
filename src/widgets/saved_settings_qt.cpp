#include "widgets/saved_settings_qt.h"

#include <QSettings>

namespace {
const QString kPort1 = QStringLiteral("port1/setting");
const QString kVerify = QStringLiteral("port1/verifyAfterSend");
} // namespace

SavedSettings::SavedSettings(const QString& file)
    : m_settings(file.isEmpty() ? std::make_unique<QSettings>(QStringLiteral("tqxloader"),
                                                              QStringLiteral("tqxloader"))
                                : std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

SavedSettings::~SavedSettings() = default;

std::string SavedSettings::Port1() const {
    return m_settings->value(kPort1).toString().toStdString();
}

void SavedSettings::SetPort1(const std::string& setting) {
    m_settings->setValue(kPort1, QString::fromStdString(setting));
    m_settings->sync();
}

bool SavedSettings::VerifyAfterSend() const {
    return m_settings->value(kVerify, true).toBool();
}

void SavedSettings::SetVerifyAfterSend(bool on) {
    m_settings->setValue(kVerify, on);
    m_settings->sync();
}
