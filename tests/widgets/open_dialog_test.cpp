// The real address file dialog: its file types, the one it opens with, and the one it reports.
#include "widgets/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using rinova::addresses::FileFormat;

TEST(OpenDialog, OffersTheThreeTypesAndReportsTheOneChosen) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("住所.csv"));
    const QStringList types = {u"CSVﾌｧｲﾙ (*.csv *CSV)"_qs,
                               u"表計算ソフトの CSV（Shift-JIS） (*.csv)"_qs,
                               u"表計算ソフトの CSV（UTF-8） (*.csv)"_qs};
    const struct {
        FileFormat offered, chosen;
    } cases[] = {
        {FileFormat::Sheet, FileFormat::SheetUtf8},
        {FileFormat::SheetUtf8, FileFormat::Plain},
        {FileFormat::Plain, FileFormat::Sheet},
    };
    for (const auto& c : cases) {
        QStringList shownTypes;
        QString shownType;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            shownTypes = dialog->nameFilters();
            shownType = dialog->selectedNameFilter();
            dialog->selectNameFilter(types[static_cast<int>(c.chosen)]);
            dialog->selectFile(file);
            static_cast<QDialog*>(dialog)->accept(); // as the dialog's open button does
        });
        const std::optional<rinova::widgets::AddressFileChoice> choice =
            rinova::widgets::Prompts::current().openAddressFile(dir.path(), c.offered);
        EXPECT_EQ(shownTypes, types);
        EXPECT_EQ(shownType, types[static_cast<int>(c.offered)]);
        ASSERT_TRUE(choice.has_value());
        EXPECT_EQ(choice->path, file);
        EXPECT_EQ(choice->format, c.chosen);
    }
}
