// The dialogs a user meets speak Japanese whatever the desktop's locale (the tests run under
// C.UTF-8), and the file list cuts none of its texts.
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
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace rinova {
namespace {

// Words of two or more letters with a small letter: "Size", "bytes"; not "PDF" or "KB".
QStringList englishWords(const QString& text) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]*[a-z][A-Za-z]*"));
    QStringList found;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const QString w = it.next().captured();
        if (w.size() >= 2) found << w;
    }
    return found;
}

TEST(JapaneseDialogs, TheFileListIsJapaneseAndCutsNothing) {
    widgets::useJapanese();
    for (const auto& [bytes, said] : std::vector<std::pair<qint64, const char16_t*>>{
             {0, u"0 バイト"}, {1023, u"1,023 バイト"}, {1536, u"1.5 KB"}, {5 << 20, u"5.0 MB"}})
        EXPECT_EQ(widgets::japaneseFileSize(bytes), QString::fromUtf16(said));

    QTemporaryDir dir;
    testing::writeBytes(dir.filePath(QStringLiteral("addresses.csv")), std::string(39, 'x'));
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
    ASSERT_EQ(files->rowCount(list->rootIndex()), 3);
    QTest::qWait(100); // the columns fit once the rows are in

    const QFontMetrics metrics = list->fontMetrics();
    std::map<QString, QStringList> rows;
    for (int column = 0; column < 4; ++column) {
        const QString title = files->headerData(column, Qt::Horizontal).toString();
        EXPECT_GE(list->header()->sectionSize(column), metrics.horizontalAdvance(title))
            << title.toStdString();
        for (int row = 0; row < 3; ++row) {
            const QString text = files->index(row, column, list->rootIndex()).data().toString();
            rows[files->index(row, 0, list->rootIndex()).data().toString()] << text;
            EXPECT_GE(list->columnWidth(column), metrics.horizontalAdvance(text))
                << text.toStdString();
        }
    }
    QStringList titles;
    for (int column = 0; column < 4; ++column)
        titles << files->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(titles.join(u'|').toStdString(), "名前|サイズ|種類|更新日時");
    const QStringList csv = rows[QStringLiteral("addresses.csv")];
    ASSERT_EQ(csv.size(), 4);
    EXPECT_EQ(csv[1].toStdString(), "39 バイト");
    EXPECT_EQ(csv[2].toStdString(), "CSV ファイル");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d$"))
                    .match(csv[3])
                    .hasMatch())
        << csv[3].toStdString();
    EXPECT_EQ(rows[QStringLiteral("old")].value(2).toStdString(), "フォルダ");
    EXPECT_EQ(rows[QStringLiteral("list.before-the-move")].value(2).toStdString(),
              "BEFORE-THE-MOVE ファイル");
}

TEST(JapaneseDialogs, TheToolkitsPrintDialogHasNoEnglishLeft) {
    widgets::useJapanese();
    // Only the toolkit's texts: no printer whose driver brings its own.
    const QByteArray server = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", "/nonexistent/rinova-test.sock");
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer);
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        texts << button->text();
    for (const QGroupBox* group : dialog.findChildren<QGroupBox*>())
        texts << group->title();
    for (const QTabWidget* tabs : dialog.findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
    QStringList english;
    for (const QString& text : texts)
        if (!englishWords(text).isEmpty()) english << text;
    EXPECT_TRUE(english.isEmpty()) << english.join(QStringLiteral(" | ")).toStdString();
    if (server.isEmpty())
        qunsetenv("CUPS_SERVER");
    else
        qputenv("CUPS_SERVER", server);
}

} // namespace
} // namespace rinova
