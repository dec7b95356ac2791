#include "files/runtime_folder.h"

#include <QString>
#include <QtGlobal>

namespace rinova::files {
namespace {

QtMessageHandler shown = nullptr;

void dropMissingRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context,
                                  const QString& message) {
    if (type == QtWarningMsg &&
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    shown(type, context, message);
}

} // namespace

void quietMissingRuntimeFolderNote() {
    if (shown) return;
    shown = qInstallMessageHandler(dropMissingRuntimeFolderNote);
}

} // namespace rinova::files
