// Where the settings file lives: beside the executable for a copy run from a folder of its own,
// in the user's configuration folder for an installed program whose folder the user cannot write.
#pragma once

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

} // namespace rinova::settings
