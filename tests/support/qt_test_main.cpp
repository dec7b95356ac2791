// Test main: a QApplication on the offscreen platform unless the caller chose one, in a UTF-8
// locale unless the caller chose one (Japanese window titles, file names and messages of the
// programs the tests start depend on it; a new machine's environment may name no locale).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("LANG") && qEnvironmentVariableIsEmpty("LC_ALL") &&
        qEnvironmentVariableIsEmpty("LC_CTYPE"))
        qputenv("LANG", "C.UTF-8");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
