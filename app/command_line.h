// The program's command line: an optional address file to open, --help and --version.
#pragma once

#include <QString>
#include <QStringList>

namespace rinova::app {

struct CommandLine {
    enum Action { Run, Help, Version, BadUsage };
    Action action = Run;
    QString file;  // Run: the address file to open after start-up, or empty
    QString error; // BadUsage: what was wrong
};

// args: the arguments after the program's name. --help (-h) or --version anywhere before "--"
// wins over everything else, so it works before Qt has taken its own options out.
CommandLine parseCommandLine(const QStringList& args);

// The texts for standard output and standard error, in Japanese.
QString helpText(const QString& settingsFile);
QString versionText();
QString usageText();

} // namespace rinova::app
