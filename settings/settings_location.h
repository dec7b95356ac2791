// Where the settings file lives: beside the executable for a copy run from a folder of its own,
// in the user's configuration folder for an installed program whose folder the user cannot write.
#pragma once

#include <QDir>
#include <QString>

namespace rinova::settings {

// $XDG_CONFIG_HOME when it is an absolute path, otherwise ~/.config.
QString userConfigFolder();

// A folder the program may keep its settings in: the user may write there and the folder has a
// write bit (root may write anywhere, but a folder without write bits is meant to be read-only,
// as the settings writer holds).
bool isWritableFolder(const QString& folder);

// The settings file of the program at executablePath: the one beside it (settingsPathFor) when
// that exists or its folder is writable, else rinova/rinova.ini in configFolder.
QString settingsFileFor(const QString& executablePath,
                        const QString& configFolder = userConfigFolder());

// The folder the open dialog starts in. A copy run from a folder of its own (its settings file
// beside it, as settingsFileFor decides) starts in that folder, as it always has. An installed
// program starts in the folder of lastFile, the address file last opened or saved, while that
// folder exists and the dialog can reach it by name, else in `home`.
QString openDialogFolder(const QString& executablePath, const QString& lastFile,
                         const QString& configFolder = userConfigFolder(),
                         const QString& home = QDir::homePath());

} // namespace rinova::settings
