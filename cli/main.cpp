// rinova-cli: the headless companion of the program, for batch work and for tests.
#include "cli/commands.h"
#include "text/failure.h"
#include "text/file_name.h"

#include <QGuiApplication>
#include <cstdio>
#include <map>

namespace rinova::cli {

void printError(const QString& message) {
    const QByteArray utf8 = message.toUtf8();
    std::fprintf(stderr, "%s\n", utf8.constData());
}

} // namespace rinova::cli

namespace {

const char* kUsage = "使い方: rinova-cli grid|card|png|pdf|print FILE [オプション]\n"
                     "  grid FILE [--stats]\n"
                     "  card FILE --row N [--target preview|printer] [--settings PATH] "
                     "[--no-name2]\n"
                     "  png FILE --row N --width W -o OUT.png [--settings PATH]\n"
                     "  pdf FILE [--rows A-B] [--settings PATH] -o OUT.pdf\n"
                     "  print FILE [--rows A-B] [--printer NAME] [--settings PATH]\n";

} // namespace

int main(int argc, char** argv) {
    // Fonts and painting need a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Taken as bytes, after the toolkit has removed its own options: a file name need not be
    // UTF-8, and the toolkit's decoding would lose its bytes.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << rinova::text::fileNameFromBytes(argv[i]);
    if (args.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString command = args.takeFirst();
    const std::map<QString, int (*)(const QStringList&)> commands = {
        {QStringLiteral("grid"), rinova::cli::cmdGrid},
        {QStringLiteral("card"), rinova::cli::cmdCard},
        {QStringLiteral("png"), rinova::cli::cmdPng},
        {QStringLiteral("pdf"), rinova::cli::cmdPdf},
        {QStringLiteral("print"), rinova::cli::cmdPrint},
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
    } catch (const std::exception& e) {
        rinova::cli::printError(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
