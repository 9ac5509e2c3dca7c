#include "CQtSettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <cstdlib>

namespace {
const char* const kSubFolder = "/Corvanta/Tolvar/V2/";

std::string EnvFolder()
{
    const char* dir = std::getenv("JXCONFIG_CONFIG_DIR");
    return dir != nullptr && *dir != '\0' ? std::string(dir) : std::string();
}
}  // namespace

std::string JxUserSettingsPath()
{
    if (std::string dir = EnvFolder(); !dir.empty()) return dir + "/JxConfig.ini";
    // Honours $XDG_CONFIG_HOME, and the test mode of QStandardPaths.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.toStdString() + kSubFolder + "JxConfig.ini";
}

std::string JxMachineSettingsPath()
{
    if (std::string dir = EnvFolder(); !dir.empty()) return dir + "/Settings.ini";
    std::string base = "/etc/xdg";
    if (const char* dirs = std::getenv("XDG_CONFIG_DIRS"); dirs != nullptr && *dirs != '\0') {
        std::string first(dirs);
        first = first.substr(0, first.find(':'));
        if (!first.empty()) base = first;
    }
    return base + kSubFolder + "Settings.ini";
}

// The QSettings object is made here, on the window thread, and is only
// ever used there: a link operation that stores its choice from its worker
// thread hands the call over and waits (the window thread is running the
// progress window's loop meanwhile). QSettings also syncs itself from that
// thread's events, so sharing it across threads would race.
template <typename Fn>
void CQtSettingsStore::OnOwnThread(Fn fn)
{
    if (QCoreApplication::instance() == nullptr || QThread::currentThread() == m_settings->thread()) {
        std::lock_guard lock(m_mutex);
        fn();
        return;
    }
    QMetaObject::invokeMethod(
        m_settings.get(),
        [this, &fn] {
            std::lock_guard lock(m_mutex);
            fn();
        },
        Qt::BlockingQueuedConnection);
}

CQtSettingsStore::CQtSettingsStore(std::string path)
    : m_path(std::move(path)),
      m_settings(std::make_unique<QSettings>(QString::fromStdString(m_path), QSettings::IniFormat))
{
}

CQtSettingsStore::~CQtSettingsStore()
{
    if (m_open) m_settings->sync();
}

bool CQtSettingsStore::Open(bool create)
{
    bool open = false;
    OnOwnThread([&] {
        const QString path = QString::fromStdString(m_path);
        if (!QFileInfo::exists(path)) {
            if (!create || !QDir().mkpath(QFileInfo(path).absolutePath())) return;
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly)) return;
        }
        // Picks up what was written to the file since (by hand, or by another run).
        m_settings->sync();
        m_open = m_settings->status() != QSettings::AccessError;
        open = m_open;
    });
    return open;
}

std::optional<std::string> CQtSettingsStore::ReadString(const std::string& name, size_t maxBytes)
{
    std::optional<std::string> result;
    OnOwnThread([&] {
        if (!m_open) return;
        const QVariant value = m_settings->value(QString::fromLatin1(name.c_str()));
        if (!value.isValid() || value.typeId() == QMetaType::QStringList) return;
        const QByteArray bytes = value.toString().toLatin1();
        if (maxBytes > 0 && static_cast<size_t>(bytes.size()) >= maxBytes) return;
        result = bytes.toStdString();
    });
    return result;
}

std::optional<uint32_t> CQtSettingsStore::ReadNumber(const std::string& name)
{
    std::optional<uint32_t> result;
    OnOwnThread([&] {
        if (!m_open) return;
        const QVariant value = m_settings->value(QString::fromLatin1(name.c_str()));
        if (!value.isValid()) return;
        bool ok = false;
        const qlonglong n = value.toString().trimmed().toLongLong(&ok);
        // A 32-bit value, written either way round.
        if (!ok || n < -2147483648LL || n > 4294967295LL) return;
        result = static_cast<uint32_t>(n);
    });
    return result;
}

bool CQtSettingsStore::Write(const std::string& name, const QString& value)
{
    bool written = false;
    OnOwnThread([&] {
        if (!m_open) return;
        m_settings->setValue(QString::fromLatin1(name.c_str()), value);
        m_settings->sync();
        written = m_settings->status() == QSettings::NoError;
    });
    return written;
}

bool CQtSettingsStore::WriteString(const std::string& name, const std::string& value)
{
    return Write(name, QString::fromLatin1(value.c_str()));
}

bool CQtSettingsStore::WriteNumber(const std::string& name, uint32_t value)
{
    return Write(name, QString::number(value));
}
