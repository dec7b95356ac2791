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

} // namespace rinova::settings
