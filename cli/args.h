// Command-line arguments of one subcommand: one positional FILE, options that take a value and
// options that stand alone. "--" ends the options.
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <set>

namespace rinova::cli {

struct Args {
    QString file;
    std::map<QString, QString> values;
    std::set<QString> flags;

    bool has(const QString& option) const { return values.count(option) || flags.count(option); }
    QString value(const QString& option, const QString& fallback = {}) const {
        const auto it = values.find(option);
        return it == values.end() ? fallback : it->second;
    }
};

// Nothing when an option is unknown, repeated or lacks its value, when a second FILE is given,
// or when FILE is missing and `needsFile`.
std::optional<Args> parseArgs(const QStringList& args, const QStringList& valueOptions,
                              const QStringList& flagOptions = {}, bool needsFile = true);

// Prints a command's usage on standard error; returns the exit code for bad arguments.
int usageError(const char* usage);

} // namespace rinova::cli
