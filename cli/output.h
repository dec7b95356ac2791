// Standard output of rinova-cli, whose every write is checked. (Files are written through
// files::Replacement.)
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace rinova::cli {

// Writes to standard output. Returns false, with the message printed, when the data could not
// be written; later writes are then skipped.
bool writeOut(QByteArrayView data);
// Flushes standard output: the exit code, 1 with the message printed when anything written
// did not arrive.
int finishOut();

// Appends `s` as a JSON string in UTF-8. Control characters and lone surrogates become \u
// escapes, so nothing is lost.
void appendJsonString(QByteArray& out, const QString& s);

} // namespace rinova::cli
