#include "app/command_line.h"

#include "postal/directory.h"

namespace rinova::app {

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine line;
    const qsizetype end = args.indexOf(QStringLiteral("--"));
    const QStringList options = end < 0 ? args : args.first(end);
    if (options.contains(QStringLiteral("--help")) || options.contains(QStringLiteral("-h")))
        return {CommandLine::Help, {}, {}};
    if (options.contains(QStringLiteral("--version"))) return {CommandLine::Version, {}, {}};

    bool optionsEnded = false;
    for (const QString& a : args) {
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && a.startsWith(u'-') && a != QLatin1String("-")) {
            return {CommandLine::BadUsage, {}, QStringLiteral("不明なオプションです: %1").arg(a)};
        } else if (!line.file.isEmpty()) {
            return {CommandLine::BadUsage, {}, QStringLiteral("開くファイルは一つだけです")};
        } else {
            line.file = a;
        }
    }
    return line;
}

QString usageText() {
    return QStringLiteral("使い方: rinova [FILE]\n"
                          "       rinova --help | --version\n");
}

QString helpText(const QString& settingsFile) {
    return usageText() +
           QStringLiteral(
               "\n"
               "はがきの宛名を縦書きで印刷します。FILE (Shift-JIS のカンマ区切りの住所録) を\n"
               "指定すると、起動したあと「開く」と同じように取り込みます。\n"
               "\n"
               "  -h, --help   この使い方を表示して終了します\n"
               "  --version    版を表示して終了します\n"
               "\n"
               "設定ファイル: %1\n"
               "  (実行ファイルと同じフォルダーの rinova.ini があるか、そのフォルダーに\n"
               "  書き込めるときはそれを、そうでなければ $XDG_CONFIG_HOME/rinova/rinova.ini\n"
               "  を使います)\n"
               "%2\n")
               .arg(settingsFile, postal::dataDescription(postal::installedDirectory()));
}

QString versionText() {
    return QStringLiteral("rinova " RINOVA_VERSION "\n");
}

} // namespace rinova::app
