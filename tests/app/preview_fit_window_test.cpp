// The preview in a maximised window on a desktop screen: the whole card, 100 : 148.
#include "app/main_window.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace rinova {
namespace {

// The offscreen platform's one screen is 800 x 800, where the preview always fits; a desktop
// screen is wide, so the test runs again in a process of its own on a 1920 x 1080 screen.
TEST(MaximisedWindow, ThePreviewShowsTheWholeCard) {
    if (!qEnvironmentVariableIsSet("RINOVA_WIDE_SCREEN")) {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("screen.json"));
        testing::writeBytes(config, R"({"screens":[{"name":"wide","x":0,"y":0,"width":1920,)"
                                    R"("height":1080,"logicalDpi":96,"dpr":1}]})");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), u"offscreen:configfile="_qs + config);
        env.insert(QStringLiteral("RINOVA_WIDE_SCREEN"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=MaximisedWindow.ThePreviewShowsTheWholeCard")});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray log = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << log.constData();
        EXPECT_TRUE(log.contains("[  PASSED  ] 1 test")) << log.constData();
        return;
    }
    // No print system: start-up says so and goes on.
    testing::NoPrintService noPrinters;
    QTemporaryDir dir;
    testing::ScriptedPrompts prompts;
    app::MainWindow form(dir.filePath(QStringLiteral("rinova.ini")));
    form.startUp();
    form.showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_GE(form.width(), 1900);

    // The card is the white area of the box; its guides are red.
    const QImage box = form.previewBox().grab().toImage().convertToFormat(QImage::Format_RGB32);
    QRect card;
    int lowestRed = -1;
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x) {
            const QRgb p = box.pixel(x, y);
            if (p == qRgb(255, 255, 255)) card |= QRect(x, y, 1, 1);
            if (qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80) lowestRed = y;
        }
    ASSERT_FALSE(card.isNull());
    EXPECT_TRUE(box.rect().contains(card));
    EXPECT_NEAR(double(card.height()) / card.width(), 1.48, 0.01);
    // The sender's postal boxes near the card's foot are on screen.
    EXPECT_GT(lowestRed, card.top() + card.height() * 3 / 4);
}

} // namespace
} // namespace rinova
