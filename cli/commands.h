// The subcommands of rinova-cli. Each takes the arguments after its name and returns the exit
// code; messages go to standard error in Japanese.
#pragma once

#include <QStringList>

namespace rinova::cli {

int cmdGrid(const QStringList& args);
int cmdCard(const QStringList& args);
// Lists the five faces, one a line: index, face, the font it is drawn with.
int cmdFonts(const QStringList& args);
int cmdPng(const QStringList& args);
int cmdPdf(const QStringList& args);
int cmdPrint(const QStringList& args);
int cmdCheck(const QStringList& args);

// Writes a message line to standard error as UTF-8.
void printError(const QString& message);

} // namespace rinova::cli
