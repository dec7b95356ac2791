// The main window's jobs as a user meets them: a PDF of the selected rows, what the other
// commands do while a job runs, and a long print that is stopped.
#include "app/job_status_bar.h"
#include "app/main_window.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "text/failure.h"
#include "widgets/address_grid_view.h"
#include "widgets/prompts.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace rinova {
namespace {

// Jobs print to the printers the tests give, whatever the machine's own.
class DeskJobs : public ::testing::Test {
protected:
    testing::NoPrintService noPrinters;
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("rinova.ini"));
    testing::ScriptedPrompts prompts;
    app::MainWindow form{ini};

    // Starts up, imports the file through the open command and selects rows first..last.
    void open(const QString& csv, int first, int last) {
        form.startUp();
        prompts.errors.clear(); // no default printer
        prompts.openAnswers.push_back(csv);
        form.openAddressFile();
        form.grid().setCurrentRow(first);
        for (int row = first; row < last; ++row)
            QTest::keyClick(&form.grid(), Qt::Key_Down, Qt::ShiftModifier);
        ASSERT_EQ(form.grid().selectionBottom() - form.grid().selectionTop(), last - first);
    }
    // The test rows copied to `csv`, rows 2 to 4 selected.
    void openPrintAddresses(const QString& csv) {
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/print_addresses.csv"), csv));
        open(csv, 2, 4);
    }
};

TEST_F(DeskJobs, APdfSavedFromTheWindowHasTheCliPdfsPages) {
    const QString csv = dir.filePath(QStringLiteral("list.csv"));
    openPrintAddresses(csv);
    // Saved through a chain of links to the file at its end; the links stay links.
    const QString saved = dir.filePath(QStringLiteral("saved.pdf"));
    const QString chosen = dir.filePath(QStringLiteral("window.pdf"));
    ASSERT_TRUE(QFile::link(QStringLiteral("middle.pdf"), chosen));
    ASSERT_TRUE(QFile::link(saved, dir.filePath(QStringLiteral("middle.pdf"))));
    prompts.confirmAnswers = {true};
    prompts.saveAnswers = {chosen};
    form.saveSelectionAsPdf();
    EXPECT_EQ(QFileInfo(chosen).symLinkTarget(), dir.filePath(QStringLiteral("middle.pdf")));
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("middle.pdf"))).symLinkTarget(), saved);

    EXPECT_EQ(prompts.questions.at(0).toStdString(), "ページ数は3枚です。PDFに保存しますね。");
    // The dialog opened beside the address file, on its name.
    EXPECT_EQ(prompts.lastSaveSuggestion, dir.filePath(QStringLiteral("list.pdf")));

    const QString byCli = dir.filePath(QStringLiteral("cli.pdf"));
    const testing::CliRun cli = testing::runCli(
        {QStringLiteral("pdf"), csv, QStringLiteral("--rows"), QStringLiteral("2-4"),
         QStringLiteral("--settings"), ini, QStringLiteral("-o"), byCli});
    ASSERT_EQ(cli.exitCode, 0) << cli.err.constData();
    ASSERT_EQ(testing::pdfPageCount(saved), 3);
    ASSERT_EQ(testing::pdfPageCount(byCli), 3);
    for (int page = 1; page <= 3; ++page) {
        const QImage mine = testing::pdfPage(saved, page, 150);
        EXPECT_FALSE(testing::inkBox(mine).isNull());
        EXPECT_EQ(mine, testing::pdfPage(byCli, page, 150)) << "page " << page;
    }

    // Never over the address file the cards come from.
    const std::string before = testing::readBytes(csv);
    prompts.confirmAnswers = {true};
    prompts.saveAnswers = {csv};
    QString said;
    try {
        form.saveSelectionAsPdf();
    } catch (const text::Failure& f) {
        said = f.message();
    }
    EXPECT_EQ(said, csv + QStringLiteral(" は読み込むファイルなので上書きできません"));
    EXPECT_EQ(testing::readBytes(csv), before);
}

// While a job runs a second one is refused with "現在印刷中です": a PDF at once, a print once its
// dialog is confirmed during a print and at once during a PDF, a printer set-up only while the
// printer is in the job. The running job goes on to its end either way.
TEST_F(DeskJobs, WhileAJobRunsTheOtherCommandsAreRefusedAsTheyWereAsked) {
    openPrintAddresses(dir.filePath(QStringLiteral("list.csv")));
    const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
    const QString saved = dir.filePath(QStringLiteral("saved.pdf"));
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.pdf"));

    enum Command { Print, SavePdf, SetUp };
    auto give = [&](Command command) {
        widgets::guarded([&] {
            if (command == Print) form.printSelection();
            if (command == SavePdf) form.saveSelectionAsPdf();
            if (command == SetUp) form.setUpPrinter();
        });
    };
    const struct {
        const char* what;
        Command running, asked;
        int dialogs; // the asked command's dialogs that were shown
        bool refused;
    } cases[] = {
        {"print during a print", Print, Print, 1, true},
        {"PDF during a print", Print, SavePdf, 0, true},
        {"set-up during a print", Print, SetUp, 1, true},
        {"print during a PDF", SavePdf, Print, 0, true},
        {"PDF during a PDF", SavePdf, SavePdf, 0, true},
        {"set-up during a PDF", SavePdf, SetUp, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(printed);
        QFile::remove(saved);
        form.printCommand().surface().setPrinter(testing::pdfPrinter(printed));
        prompts.errors.clear();
        prompts.confirmAnswers = {true, true, true, true};
        prompts.printDialogAnswers = {true, true};
        prompts.setupAnswers = {true};
        prompts.saveAnswers = {saved, saved};
        bool nested = false, asked = false;
        int dialogs = 0;
        prompts.onPrintDialog = prompts.onSetup = [&](QPrinter& p) {
            if (!nested) return;
            ++dialogs;
            p.setOutputFileName(elsewhere);
        };
        // Menu commands arrive as events, handled between cards.
        QTimer::singleShot(0, [&] {
            nested = asked = true;
            const std::size_t saveAnswers = prompts.saveAnswers.size();
            give(c.asked);
            dialogs += int(saveAnswers - prompts.saveAnswers.size());
            nested = false;
        });
        give(c.running);

        EXPECT_TRUE(asked);
        EXPECT_EQ(dialogs, c.dialogs);
        EXPECT_EQ(prompts.errors,
                  c.refused ? std::vector<QString>{u"現在印刷中です."_qs} : std::vector<QString>{});
        EXPECT_EQ(testing::pdfPageCount(c.running == Print ? printed : saved), 3);
        EXPECT_EQ(form.printCommand().surface().printer().outputFileName(),
                  c.refused ? printed : elsewhere);
        EXPECT_FALSE(QFile::exists(elsewhere));
        EXPECT_FALSE(form.cardJob().running());
    }
}

TEST_F(DeskJobs, AStoppedThousandCardJobSaysItPrintedNothingAndPrintsNothing) {
    std::string lines;
    for (int i = 0; i < 1000; ++i)
        lines += testing::sjis(u"山田太郎,花子,100-0001,東京都架空区見本町1-1,,\r\n");
    const QString csv = dir.filePath(QStringLiteral("many.csv"));
    testing::writeBytes(csv, lines);
    open(csv, 1, 1000);
    const QString out = dir.filePath(QStringLiteral("job.pdf"));
    form.printCommand().surface().setPrinter([&] {
        auto printer = testing::pdfPrinter(out);
        printer->setPageSize(QPageSize(QPageSize::Postcard));
        return printer;
    }());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    // The user watches the count and presses 中止 once 300 cards are done.
    app::JobStatusBar& status = form.jobStatus();
    QString seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const auto m =
            QRegularExpression(u"^印刷中… (\\d+) / 1000 枚$"_qs).match(status.progressText());
        if (!status.isVisible() || !m.hasMatch() || m.captured(1).toInt() < 300) return;
        seen = status.progressText();
        QTest::mouseClick(&status.stopButton(), Qt::LeftButton);
        watch.stop();
    });
    watch.start(0);
    prompts.confirmAnswers = {true};
    prompts.printDialogAnswers = {true};
    form.printSelection();

    EXPECT_FALSE(seen.isEmpty());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].toStdString(),
              "印刷を中止しました。行 1〜1000 の 1000 枚は 1 枚も印刷されていません");
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_FALSE(status.isVisible());
}

} // namespace
} // namespace rinova
