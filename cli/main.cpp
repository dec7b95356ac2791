// rinova-cli: the headless companion of the program, for batch work and for tests.
#include "cli/card_source.h"
#include "cli/commands.h"
#include "files/file_name.h"
#include "files/runtime_folder.h"
#include "postal/directory.h"
#include "text/failure.h"

#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <new>

namespace rinova::cli {

void printError(const QString& message) {
    const QByteArray utf8 = message.toUtf8();
    std::fprintf(stderr, "%s\n", utf8.constData());
}

} // namespace rinova::cli

namespace {

const char* kUsage =
    "使い方: rinova-cli grid|card|png|pdf|print|check FILE [オプション]\n"
    "  grid FILE [--stats]\n"
    "  card FILE --row N [--target preview|printer] [--settings PATH] "
    "[--no-name2]\n"
    "  png FILE --row N --width W -o OUT.png [--settings PATH]\n"
    "  pdf FILE [--rows A-B] [--settings PATH] [--strict] -o OUT.pdf\n"
    "  pdf --test [--printer NAME] [--settings PATH] -o OUT.pdf\n"
    "  print FILE [--rows A-B] [--printer NAME] [--paper NAME] [--settings PATH] [--strict]\n"
    "  print --test [--printer NAME] [--paper NAME] [--settings PATH]\n"
    "  check FILE [--rows A-B] [--settings PATH]\n"
    "  fonts\n"
    "  どのコマンドも --format plain|sheet|sheet-utf8 で住所録の形式を選べます"
    "（既定は plain）\n"
    "  --strict: 確かめが必要な行があれば印刷せず、終了コード 3 で終わります\n";

void printOut(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
}

QString helpText() {
    return QString::fromUtf8(kUsage) +
           QStringLiteral(
               "\n"
               "はがきの宛名を画面なしで描き、書き出し、印刷します。FILE は Shift-JIS の\n"
               "カンマ区切りの住所録で、行番号は 1 から数えます。\n"
               "\n"
               "コマンド:\n"
               "  grid   住所録を取り込み、表の各行を JSON で出力します (--stats: 行数とバイト数)\n"
               "  card   行 N のはがきの描画命令を JSON で出力します\n"
               "  png    行 N のプレビューを幅 W ピクセルの PNG に書き出します\n"
               "  pdf    行の範囲 (既定はすべて) を一ページ一枚の PDF に書き出します\n"
               "  print  行の範囲をプリンタ (既定はデフォルト プリンタ) に印刷します\n"
               "  fonts  五つの書体と、それぞれを実際に描くフォント (ファイル) "
               "を一行ずつ出力します\n"
               "  check  印刷の前の確かめを行い、確かめが必要なところを一つずつ JSON で出力します\n"
               "         "
               "(郵便番号が辞書にあるか、住所と合うかも確かめます。見つかっても終了コードは 0)\n"
               "\n"
               "オプション:\n"
               "  --settings PATH   読む設定ファイル (書き込みはしません)\n"
               "  --no-name2        名前2を印刷しません\n"
               "  --target printer  印刷用の描画 (プレビューの枠なし)\n"
               "  --paper NAME      print の用紙 (既定はプリンタの既定の用紙)\n"
               "  --test            行の代わりにテスト印刷の一枚 (はがきの外枠、郵便番号の枠、\n"
               "                    十字) を、そのプリンタの印刷位置の調整をして出します\n"
               "  -h, --help        この使い方を表示して終了します\n"
               "  --version         版を表示して終了します\n"
               "\n"
               "設定ファイルの既定: %1\n"
               "%2\n"
               "終了ステータス: 0 成功、1 失敗、2 引数の誤り\n")
               .arg(rinova::cli::defaultSettingsPath(),
                    rinova::postal::dataDescription(rinova::postal::installedDirectory()));
}

} // namespace

int main(int argc, char** argv) {
    // A standard channel the caller closed would otherwise be the first file opened, and output
    // would land in it. Held by /dev/null opened the wrong way, a write there fails and is told.
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            ::open("/dev/null", (fd == 0 ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
    // Fonts and painting need a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Run from cron or a container, standard error holds only what this program has to say.
    rinova::files::quietMissingRuntimeFolderNote();
    QGuiApplication app(argc, argv);
    // Taken as bytes, after the toolkit has removed its own options: a file name need not be
    // UTF-8, and the toolkit's decoding would lose its bytes.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << rinova::files::fileNameFromBytes(argv[i]);
    // --help and --version anywhere before "--", after a command too, answer and end.
    const qsizetype end = args.indexOf(QStringLiteral("--"));
    const QStringList options = end < 0 ? args : args.first(end);
    if (options.contains(QStringLiteral("--help")) || options.contains(QStringLiteral("-h"))) {
        printOut(helpText());
        return 0;
    }
    if (options.contains(QStringLiteral("--version"))) {
        printOut(QStringLiteral("rinova-cli " RINOVA_VERSION "\n"));
        return 0;
    }
    if (args.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString command = args.takeFirst();
    const std::map<QString, int (*)(const QStringList&)> commands = {
        {QStringLiteral("grid"), rinova::cli::cmdGrid},
        {QStringLiteral("card"), rinova::cli::cmdCard},
        {QStringLiteral("fonts"), rinova::cli::cmdFonts},
        {QStringLiteral("png"), rinova::cli::cmdPng},
        {QStringLiteral("pdf"), rinova::cli::cmdPdf},
        {QStringLiteral("print"), rinova::cli::cmdPrint},
        {QStringLiteral("check"), rinova::cli::cmdCheck},
    };
    const auto it = commands.find(command);
    if (it == commands.end()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        return it->second(args);
    } catch (const rinova::text::Failure& f) {
        rinova::cli::printError(f.message());
        return 1;
    } catch (const std::bad_alloc&) {
        rinova::cli::printError(QStringLiteral("メモリが不足しています"));
        return 1;
    } catch (const std::exception& e) {
        rinova::cli::printError(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
