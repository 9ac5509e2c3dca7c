// The settings stores of the application: INI files read and written with
// QSettings. Value names are the tool's own ("Saved Directory", "Socket
// Number", ...); numbers are written as decimal text.
//
// Where they live:
//   per-user      $JXCONFIG_CONFIG_DIR/JxConfig.ini when that is set, else
//                 $XDG_CONFIG_HOME/Corvanta/Tolvar/V2/JxConfig.ini
//                 (~/.config/... by default)
//   machine-wide  $JXCONFIG_CONFIG_DIR/Settings.ini when that is set, else
//                 the first folder of $XDG_CONFIG_DIRS (/etc/xdg by default)
//                 followed by Corvanta/Tolvar/V2/Settings.ini
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "shell/CSettingsStore.h"

class QSettings;
class QString;

std::string JxUserSettingsPath();
std::string JxMachineSettingsPath();

class CQtSettingsStore : public CSettingsStore {
public:
    explicit CQtSettingsStore(std::string path);
    ~CQtSettingsStore() override;

    const std::string& Path() const { return m_path; }

    bool Open(bool create) override;
    std::optional<std::string> ReadString(const std::string& name, size_t maxBytes) override;
    std::optional<uint32_t> ReadNumber(const std::string& name) override;
    bool WriteString(const std::string& name, const std::string& value) override;
    bool WriteNumber(const std::string& name, uint32_t value) override;

private:
    template <typename Fn>
    void OnOwnThread(Fn fn);
    bool Write(const std::string& name, const QString& value);

    std::mutex m_mutex;
    std::string m_path;
    std::unique_ptr<QSettings> m_settings;
    bool m_open = false;
};
