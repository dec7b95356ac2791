// The file dialogs in Japanese whatever the desktop's locale: the toolkit's own dialog, its
// columns (name, size, type, date) said in Japanese and each as wide as its texts.
#pragma once

#include <QIdentityProxyModel>
#include <optional>

class QFileDialog;
class QWidget;

namespace rinova::widgets {

// The file list's columns in Japanese: "39 バイト", "CSV ファイル", "2026/12/08 09:15".
class JapaneseFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
};

// A size as the file list gives it: bytes below 1 KB, then KB, MB and GB with one decimal.
QString japaneseFileSize(qint64 bytes);

// Makes a file dialog the toolkit's own, with the Japanese columns, each fitting its texts.
void useJapaneseColumns(QFileDialog& dialog);

// The save dialog for a PDF, opening on `suggested`; asks before replacing a file. Nothing when
// cancelled; a name without ".pdf" gains it.
std::optional<QString> askPdfFile(QWidget* parent, const QString& suggested);

} // namespace rinova::widgets
