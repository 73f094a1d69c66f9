#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>

class QSettings;

// The program's saved settings, per user (QSettings of organisation and application
// "tqxloader"), or in one file for tests. Everything works with nothing saved.
//   port1/setting          port 1 as TQXCOMM_PORT1 takes it ("rtu:/dev/ttyUSB0,baud=9600,...")
//   port1/verifyAfterSend  read back and compare after every SEND (default on)
//   window/geometry        the main window's size and place
//   files/lastFolder       the folder Browse... last opened a file in
//   history/shared         the shared history's server (a connection string, never with a
//                          password); empty: the local history file
class SavedSettings {
public:
    // `file` empty: the user's own settings.
    explicit SavedSettings(const QString& file = QString());
    ~SavedSettings();

    // Port 1's saved setting text; empty when none is saved.
    std::string Port1() const;
    void SetPort1(const std::string& setting);

    bool VerifyAfterSend() const;
    void SetVerifyAfterSend(bool on);

    QByteArray WindowGeometry() const;
    void SetWindowGeometry(const QByteArray& geometry);

    QString LastFolder() const;
    void SetLastFolder(const QString& folder);

    std::string SharedHistory() const;
    // The caller makes sure it holds no password.
    void SetSharedHistory(const std::string& conninfo);

private:
    std::unique_ptr<QSettings> m_settings;
};
