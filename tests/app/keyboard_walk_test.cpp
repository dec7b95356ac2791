// 文字設定 of the real program driven by real X key events (keyboard_walk.sh under xvfb-run): the
// settings file it leaves says which control took each key.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace rinova::testing {
namespace {

TEST(KeyboardWalk, BackspaceChoosesNothingAndTwoTabCyclesReachEveryControl) {
    XWalk walk("keyboard_walk");
    if (!walk.missing.isEmpty()) GTEST_SKIP() << qPrintable(walk.missing);
    ASSERT_EQ(walk.run("keyboard_walk.sh", 120000), 0)
        << "the walk stopped; screenshots in " << qPrintable(walk.shots);
    const QString program = walk.program;

    EXPECT_EQ(readBytes(program + QStringLiteral("/rinova.ini")),
              "[SET]\r\nEdit1Value0=0\r\nEdit1Value2=1\r\nEdit2Value2=1\r\nEdit3Value2=1\r\n"
              "Numbers=1\r\n"
              "FontName=-1\r\nSashiPrint=1\r\nCardType=1\r\nSashiYuban3=1\r\nSashiYuban4=2\r\n"
              "SashiAdd1=3\r\nSashiAdd2=4\r\nSashiName1=5\r\nSashiName2=6\r\nBikou=8\r\n");
}

} // namespace
} // namespace rinova::testing
