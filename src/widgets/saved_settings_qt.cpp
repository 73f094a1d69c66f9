#include "widgets/saved_settings_qt.h"

#include <QSettings>

namespace {
const QString kPort1 = QStringLiteral("port1/setting");
const QString kVerify = QStringLiteral("port1/verifyAfterSend");
const QString kGeometry = QStringLiteral("window/geometry");
const QString kLastFolder = QStringLiteral("files/lastFolder");
const QString kSharedHistory = QStringLiteral("history/shared");
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

QByteArray SavedSettings::WindowGeometry() const {
    return m_settings->value(kGeometry).toByteArray();
}

void SavedSettings::SetWindowGeometry(const QByteArray& geometry) {
    m_settings->setValue(kGeometry, geometry);
    m_settings->sync();
}

QString SavedSettings::LastFolder() const {
    return m_settings->value(kLastFolder).toString();
}

void SavedSettings::SetLastFolder(const QString& folder) {
    m_settings->setValue(kLastFolder, folder);
    m_settings->sync();
}

std::string SavedSettings::SharedHistory() const {
    return m_settings->value(kSharedHistory).toString().toStdString();
}

void SavedSettings::SetSharedHistory(const std::string& conninfo) {
    m_settings->setValue(kSharedHistory, QString::fromStdString(conninfo));
    m_settings->sync();
}
