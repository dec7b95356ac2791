// The main window's side of spreadsheet files and of the check before printing: the file type
// offered and remembered, the offer to read UTF-8, the report of replaced characters, and the
// list of doubtful rows before paper is used.
#include "addresses/address_grid.h"
#include "app/main_window.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "widgets/address_grid_view.h"

#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace rinova;
using addresses::FileFormat;
using rinova::testing::ScriptedPrompts;
using rinova::testing::sjis;
using rinova::testing::writeBytes;

namespace {

const QString kUtf8Question = u"このファイルは UTF-8 で書かれているようです。\n"
                              "表計算ソフトの CSV（UTF-8）として読み込みますか？\n"
                              "（「いいえ」なら Shift-JIS として読み込みます）"_qs;

QString dataFile(const char* name) {
    return QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/") + QLatin1String(name);
}

class OpenAndPrintCheck : public ::testing::Test {
protected:
    QTemporaryDir dir;
    rinova::testing::NoPrintService noPrinters; // whatever printers the machine has
    ScriptedPrompts prompts;

    QString ini() const { return dir.filePath(QStringLiteral("rinova.ini")); }
    std::unique_ptr<app::MainWindow> started() {
        auto form = std::make_unique<app::MainWindow>(ini());
        form->startUp();
        prompts.errors.clear(); // no default printer at start-up
        return form;
    }
    // Opens the file as the given type through the dialog.
    void open(app::MainWindow& form, const QString& path, FileFormat format) {
        prompts.openAnswers.push_back(path);
        prompts.openFormats.push_back(format);
        EXPECT_TRUE(widgets::guarded([&] { form.openAddressFile(); }));
    }
};

} // namespace

TEST_F(OpenAndPrintCheck, TheDialogOffersTheTypeLastChosen) {
    {
        auto form = started();
        form->openAddressFile(); // cancelled
        EXPECT_EQ(prompts.lastOfferedFormat, FileFormat::Plain);
        open(*form, dataFile("sheet_utf8_bom.csv"), FileFormat::SheetUtf8);
        EXPECT_EQ(form->addressGrid().rowCountWithHeader(), 7); // the header row is no address
        EXPECT_EQ(form->addressGrid().cell(2, 1), sjis(u"髙橋　一郎"));
        EXPECT_TRUE(prompts.questions.empty());
        EXPECT_TRUE(prompts.messages.empty());
    }
    EXPECT_NE(rinova::testing::readBytes(ini()).find("OpenFileType=2"), std::string::npos);
    auto form = started();
    form->openAddressFile();
    EXPECT_EQ(prompts.lastOfferedFormat, FileFormat::SheetUtf8);

    // A value the dialog does not have offers the first type.
    writeBytes(ini(), "[SET]\r\nOpenFileType=3\r\n");
    form = started();
    form->openAddressFile();
    EXPECT_EQ(prompts.lastOfferedFormat, FileFormat::Plain);
}

TEST_F(OpenAndPrintCheck, AUtf8FileOpenedAsShiftJisIsOfferedAsUtf8) {
    const struct {
        const char* file;
        FileFormat chosen;
        bool asked, answer;
        int rows; // 6 records under the header, or more when line breaks inside cells split
                  // them; read as Shift-JIS, UTF-8 titles are no header
    } cases[] = {
        {"sheet_utf8.csv", FileFormat::Plain, true, true, 6},
        {"sheet_utf8_bom.csv", FileFormat::Plain, true, false, 10},
        {"sheet_utf8.csv", FileFormat::Sheet, true, true, 6},
        {"sheet_sjis.csv", FileFormat::Plain, false, false, 9},
        {"sheet_sjis.csv", FileFormat::Sheet, false, false, 6},
    };
    for (const auto& c : cases) {
        auto form = started();
        prompts.questions.clear();
        prompts.confirmAnswers = {c.answer};
        open(*form, dataFile(c.file), c.chosen);
        EXPECT_EQ(prompts.questions,
                  c.asked ? std::vector<QString>{kUtf8Question} : std::vector<QString>{})
            << c.file;
        EXPECT_EQ(form->addressGrid().rowCountWithHeader(), c.rows + 1) << c.file;
        if (c.rows == 6) {
            EXPECT_EQ(form->addressGrid().cell(3, 1), sjis(u"﨑山　花子")) << c.file;
        }
        // The type chosen in the dialog is the one remembered, whatever the answer.
        EXPECT_EQ(form->settings().openFileType(), static_cast<int>(c.chosen)) << c.file;
    }
}

TEST_F(OpenAndPrintCheck, ReplacedCharactersAreToldAfterTheImport) {
    auto form = started();
    const QString csv = dir.filePath(QStringLiteral("u.csv"));
    writeBytes(csv, QStringLiteral("山田,様,1000001\n𠮷田,様,1000001\n").toStdString());
    open(*form, csv, FileFormat::SheetUtf8);
    EXPECT_EQ(form->addressGrid().cell(2, 1), sjis(u"〓田"));
    EXPECT_EQ(prompts.messages,
              std::vector<QString>{u"Shift-JIS で表せない文字を「〓」に置き換えました: 2 行目"_qs});
}

TEST_F(OpenAndPrintCheck, PrintingListsDoubtfulRowsFirst) {
    const QString noData = dir.filePath(QStringLiteral("no-postal-data"));
    qputenv("RINOVA_POSTAL_DIR", noData.toUtf8());
    auto form = started();
    const QString csv = dir.filePath(QStringLiteral("a.csv"));
    writeBytes(csv, sjis(u"山田,様,1000001\n鈴木,様,600001\n佐藤,様,100-0002\n"));
    open(*form, csv, FileFormat::Plain);
    const QString doubts = u"次の行を確かめてください:\n"
                           "2 行目: 郵便番号が 6 桁です（先頭の 0 が落ちていませんか）\n\n"
                           "このまま印刷しますか？"_qs;
    const QString sheets = u"用紙枚数は3枚です。印刷しますね。"_qs;
    const auto print = [&](int top, int bottom, std::deque<bool> answers) {
        form->grid().setCurrentRow(top);
        for (int r = top; r < bottom; ++r)
            QTest::keyClick(&form->grid(), Qt::Key_Down, Qt::ShiftModifier);
        prompts.questions.clear();
        prompts.errors.clear();
        prompts.confirmAnswers = std::move(answers);
        widgets::guarded([&] { form->printSelection(); });
        return prompts.questions;
    };
    // Without the postal data, the first list says so, once.
    const QString noDataNote =
        QStringLiteral("郵便番号の辞書が %1 にありません。パッケージ "
                       "skkdic-extra を入れると、郵便番号と住所を照らし合わせます")
            .arg(noData);
    EXPECT_EQ(print(1, 3, {false}),
              std::vector<QString>{QString(doubts).replace(
                  u"\n\nこのまま"_qs, u"\n\n"_qs + noDataNote + u"\n\nこのまま"_qs)});
    // Stopping at the list asks nothing more; printing anyway goes on to the sheet count.
    EXPECT_EQ(print(1, 3, {false}), std::vector<QString>{doubts});
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_EQ(print(1, 3, {true, false}), (std::vector<QString>{doubts, sheets}));
    // Rows that look right are printed as before: straight to the print dialog, which here
    // finds no printer.
    EXPECT_EQ(print(3, 3, {}), std::vector<QString>{});
    EXPECT_EQ(prompts.errors, std::vector<QString>{u"デフォルト プリンタが存在しません."_qs});
}

TEST_F(OpenAndPrintCheck, AHeaderNotFullyKnownIsMappedOnceAndReadSoAgain) {
    const QString csv = dir.filePath(QStringLiteral("phone.csv"));
    writeBytes(csv, sjis(u"氏名,電話,郵便番号,所在地\r\n山田,03-1234,1000001,東京都\r\n"));
    addresses::ListLayout chosen;
    chosen.header = true;
    chosen.fields = {1, 6, 3, 4}; // 電話 to 備考, 所在地 to 住所1
    prompts.columnAnswers = {chosen};
    for (int open = 0; open < 2; ++open) {
        auto form = started();
        form->importAddressFile(csv, FileFormat::Sheet);
        ASSERT_EQ(prompts.columnQuestions.size(), 1u) << "asked once, then kept";
        EXPECT_EQ(prompts.columnQuestions[0].titles[3], sjis(u"所在地"));
        EXPECT_EQ(prompts.columnQuestions[0].sample[1], "03-1234");
        const addresses::AddressGrid& g = form->addressGrid();
        ASSERT_EQ(g.rowCountWithHeader(), 2) << open;
        EXPECT_EQ(g.cell(1, 1), sjis(u"山田"));
        EXPECT_EQ(g.cell(1, 6), "03-1234");
        EXPECT_EQ(g.cell(1, 4), sjis(u"東京都"));
    }
}

TEST_F(OpenAndPrintCheck, PrintingAsksAboutPostalCodesAndTheAboutBoxNamesTheData) {
    qputenv("RINOVA_POSTAL_DIR", RINOVA_SOURCE_DIR "/tests/data/postal");
    auto form = started();
    const QString csv = dir.filePath(QStringLiteral("p.csv"));
    writeBytes(
        csv,
        sjis(u"山田,様,3300063,埼玉県浦和市高砂3-1\n鈴木,様,〒100-0013,東京都千代田区,霞が関1\n"
             u"佐藤,様,600001,札幌市中央区北1条西2丁目\n"));
    open(*form, csv, FileFormat::Plain);
    form->grid().setCurrentRow(1);
    QTest::keyClick(&form->grid(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&form->grid(), Qt::Key_Down, Qt::ShiftModifier);
    widgets::guarded([&] { form->printSelection(); });
    EXPECT_EQ(
        prompts.questions,
        std::vector<QString>{
            u"次の行を確かめてください:\n"
            "1 行目: 郵便番号 330-0063 は「埼玉県さいたま市浦和区高砂」の番号で、住所は"
            "「埼玉県浦和市高砂3-1」です\n"
            "3 行目: 郵便番号が 6 桁です（先頭の 0 が落ちていませんか）、住所に合う 7 桁の番号は "
            "060-0001 です\n\n"
            "このまま印刷しますか？"_qs});

    // ヘルプ → バージョン情報, as a user reaches it.
    QMenu* help = nullptr;
    for (QAction* a : form->menuBar()->actions())
        if (a->text() == u"ヘルプ(&H)"_qs) help = a->menu();
    ASSERT_TRUE(help);
    ASSERT_EQ(help->actions().size(), 1);
    EXPECT_EQ(help->actions()[0]->text(), u"バージョン情報(&A)..."_qs);
    help->actions()[0]->trigger();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].startsWith(u"Rinova Ver1.2\n"_qs))
        << prompts.messages[0].toStdString();
    EXPECT_TRUE(prompts.messages[0].endsWith(
        u"tests/data/postal の SKK-JISYO.zipcode（2022年5月4日の版、464 件）、"
        "SKK-JISYO.office.zipcode（2022年5月4日の版、32 件）"_qs))
        << prompts.messages[0].toStdString();
}
