#include "settings/settings_location.h"

#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace rinova::settings {

QString userConfigFolder() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(xdg)) return QDir::cleanPath(xdg);
    return QDir::homePath() + QStringLiteral("/.config");
}

bool isWritableFolder(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    struct stat st {};
    return ::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 0222) != 0 &&
           ::access(name.constData(), W_OK) == 0;
}

QString settingsFileFor(const QString& executablePath, const QString& configFolder) {
    const QString besidePath = settingsPathFor(executablePath);
    const QFileInfo beside(besidePath);
    if (beside.exists() || beside.isSymLink() || isWritableFolder(beside.absolutePath()))
        return besidePath;
    return configFolder + QStringLiteral("/rinova/rinova.ini");
}

QString openDialogFolder(const QString& executablePath, const QString& lastFile,
                         const QString& configFolder, const QString& home) {
    if (settingsFileFor(executablePath, configFolder) == settingsPathFor(executablePath))
        return QFileInfo(executablePath).absolutePath();
    if (!QDir::isAbsolutePath(lastFile)) return home;
    // The toolkit, and so the dialog, finds a folder by its name as text: one whose name is not
    // UTF-8 is not found, and the dialog starts at home.
    const QString folder = QFileInfo(lastFile).absolutePath();
    return QFileInfo(folder).isDir() ? folder : home;
}

} // namespace rinova::settings
