// System errors as users read them: in Japanese, whatever the error.
#include "files/system_error.h"

#include <QRegularExpression>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using rinova::files::systemErrorText;
using rinova::files::writeErrorText;

TEST(SystemError, EveryErrorReadsInJapaneseAndAnUnknownOneGivesItsNumber) {
    const QRegularExpression englishWord(QStringLiteral("[A-Za-z]{2,}"));
    for (int error = -1; error < 200; ++error) {
        SCOPED_TRACE(error);
        for (const QString& text : {systemErrorText(error), writeErrorText(error)}) {
            EXPECT_FALSE(text.isEmpty());
            EXPECT_FALSE(text.contains(englishWord)) << text.toStdString();
            EXPECT_NE(text.toStdString(), std::strerror(error));
        }
    }
    EXPECT_EQ(systemErrorText(4321), QStringLiteral("システムのエラーが起きました (番号 4321)"));
    // A failed write says what a writer needs to know.
    EXPECT_EQ(writeErrorText(EACCES), QStringLiteral("書き込む権限がありません"));
    EXPECT_EQ(writeErrorText(ENOENT), QStringLiteral("フォルダがありません"));
}

} // namespace
