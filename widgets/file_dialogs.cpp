#include "widgets/file_dialogs.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QTreeView>
#include <algorithm>

namespace rinova::widgets {

QString japaneseFileSize(qint64 bytes) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    if (bytes < 1024) return QStringLiteral("%1 バイト").arg(japanese.toString(bytes));
    static const char* const units[] = {"KB", "MB", "GB", "TB"};
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(japanese.toString(value, 'f', 1),
                                       QLatin1String(units[unit]));
}

QVariant JapaneseFileColumns::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files || role != Qt::DisplayRole || index.column() == 0)
        return QIdentityProxyModel::data(index, role);
    const QFileInfo info = files->fileInfo(mapToSource(index));
    switch (index.column()) {
    case 1:
        return info.isDir() ? QString() : japaneseFileSize(info.size());
    case 2:
        if (info.isDir()) return QStringLiteral("フォルダ");
        return info.suffix().isEmpty() ? QStringLiteral("ファイル")
                                       : info.suffix().toUpper() + QStringLiteral(" ファイル");
    case 3:
        return QLocale(QLocale::Japanese, QLocale::Japan)
            .toString(info.lastModified(), QStringLiteral("yyyy/MM/dd HH:mm"));
    default:
        return QIdentityProxyModel::data(index, role);
    }
}

QVariant JapaneseFileColumns::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char16_t* const titles[] = {u"名前", u"サイズ", u"種類", u"更新日時"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
        return QString::fromUtf16(titles[section]);
    return QIdentityProxyModel::headerData(section, orientation, role);
}

void useJapaneseColumns(QFileDialog& dialog) {
    // A desktop's own dialog would speak the desktop's language.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setProxyModel(new JapaneseFileColumns(&dialog));
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = list->header();
        header->setStretchLastSection(false);
        for (int column = 0; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    dialog.resize(std::max(dialog.width(), 720), std::max(dialog.height(), 440));
}

std::optional<QString> askPdfFile(QWidget* parent, const QString& suggested) {
    QFileDialog dialog(parent, QStringLiteral("PDFに保存"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PDFファイル (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    useJapaneseColumns(dialog);
    const QFileInfo start(suggested);
    dialog.setDirectory(start.absolutePath());
    dialog.selectFile(start.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
}

} // namespace rinova::widgets
