// The print command on paper other than postcards: the user is told which paper is set before
// the job starts, and chooses to go on or stop.
#include "app/print_command.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova {
namespace {

TEST(PaperQuestion, AJobOnOtherPaperIsAnnouncedBeforeItStarts) {
    const struct {
        QPageSize::PageSizeId paper;
        QPageLayout::Orientation orientation;
        bool goOn;
        const char* told; // empty: nothing said
    } cases[] = {
        {QPageSize::A4, QPageLayout::Portrait, false, "「A4 210 × 297 mm」"},
        {QPageSize::A4, QPageLayout::Portrait, true, "「A4 210 × 297 mm」"},
        {QPageSize::Postcard, QPageLayout::Landscape, false, "「はがき 100 × 148 mm (横向き)」"},
        {QPageSize::Postcard, QPageLayout::Portrait, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.told);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("job.pdf"));
        testing::ScriptedPrompts prompts;
        prompts.printDialogAnswers = {true};
        prompts.paperAnswers = {c.goOn};
        printing::CardJob cardJob;
        app::PrintCommand job{cardJob, [&] {
                                  auto printer = testing::pdfPrinter(out);
                                  printer->setPageSize(QPageSize(c.paper));
                                  printer->setPageOrientation(c.orientation);
                                  return printer;
                              }};
        std::vector<size_t> toldBeforeCard;
        job.print(2, 2, [&](printing::PrinterSurface& s, int) {
            toldBeforeCard.push_back(prompts.paperNotices.size());
            s.canvas()->drawRect(10, 10, 100, 100);
        });

        const bool told = *c.told;
        ASSERT_EQ(prompts.paperNotices.size(), told ? 1u : 0u);
        if (told) {
            const std::string notice = prompts.paperNotices[0].toStdString();
            EXPECT_NE(notice.find(c.told), std::string::npos) << notice;
            EXPECT_NE(notice.find("このまま印刷しますか？"), std::string::npos) << notice;
        }
        const bool printed = !told || c.goOn;
        EXPECT_EQ(toldBeforeCard,
                  printed ? std::vector<size_t>{size_t(told)} : std::vector<size_t>{});
        EXPECT_EQ(QFile::exists(out), printed);
    }
}

} // namespace
} // namespace rinova
