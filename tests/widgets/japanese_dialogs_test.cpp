// The dialogs a user meets speak Japanese whatever the desktop's locale (the tests run under
// C.UTF-8), and the file list cuts none of its texts.
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "widgets/file_dialogs.h"
#include "widgets/japanese_locale.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace rinova {
namespace {

TEST(JapaneseDialogs, TheFileListIsJapaneseAndCutsNothing) {
    widgets::useJapanese();
    EXPECT_EQ(widgets::japaneseFileSize(1536).toStdString(), "1.5 KB");
    EXPECT_EQ(widgets::japaneseFileSize(5 << 20).toStdString(), "5.0 MB");
    QTemporaryDir dir;
    testing::writeBytes(dir.filePath(QStringLiteral("addresses.csv")), std::string(1023, 'x'));
    testing::writeBytes(dir.filePath(QStringLiteral("list.before-the-move")), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("old")));
    QFileDialog dialog;
    widgets::useJapaneseColumns(dialog);
    dialog.setDirectory(dir.path());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(list, nullptr);
    const QAbstractItemModel* files = list->model();
    for (int i = 0; i < 100 && files->rowCount(list->rootIndex()) < 3; ++i)
        QTest::qWait(50);
    QTest::qWait(100); // the columns fit once the rows are in

    // Each row, and the titles, as one line; every text within its column's width.
    QStringList lines;
    for (int row = -1; row < files->rowCount(list->rootIndex()); ++row) {
        QStringList cells;
        for (int column = 0; column < 4; ++column) {
            const QString text =
                row < 0 ? files->headerData(column, Qt::Horizontal).toString()
                        : files->index(row, column, list->rootIndex()).data().toString();
            EXPECT_GE(list->columnWidth(column), list->fontMetrics().horizontalAdvance(text))
                << text.toStdString();
            cells << text;
        }
        lines << cells.join(u'|').replace(
            QRegularExpression(QStringLiteral("\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d$")),
            u"(日時)"_qs);
    }
    lines.sort();
    EXPECT_EQ(lines.join(u'\n').toStdString(),
              "addresses.csv|1,023 バイト|CSV ファイル|(日時)\n"
              "list.before-the-move|1 バイト|BEFORE-THE-MOVE ファイル|(日時)\n"
              "old||フォルダ|(日時)\n"
              "名前|サイズ|種類|更新日時");
}

TEST(JapaneseDialogs, TheToolkitsPrintDialogHasNoEnglishLeft) {
    // The machine's printers would bring their drivers' own names into the dialog.
    testing::NoPrintService noPrinters;
    widgets::useJapanese();
    QPrinter printer(QPrinter::HighResolution); // a file printer: no driver brings texts of its own
    printer.setOutputFormat(QPrinter::PdfFormat);
    QPrintDialog dialog(&printer);
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        texts << button->text();
    for (const QGroupBox* group : dialog.findChildren<QGroupBox*>())
        texts << group->title();
    // A word of two or more letters with a small letter in it ("Pages"); not "PDF" or "KB".
    const QStringList english =
        texts.filter(QRegularExpression(QStringLiteral("(?=[A-Za-z]*[a-z])[A-Za-z]{2,}")));
    EXPECT_TRUE(english.isEmpty()) << english.join(QStringLiteral(" | ")).toStdString();
}

} // namespace
} // namespace rinova
