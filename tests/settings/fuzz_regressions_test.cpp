// Inputs the fuzz targets found trouble with, kept so the trouble stays away.
#include "settings/profile_file.h"
#include "tests/support/test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using rinova::settings::ProfileFile;
using rinova::testing::readBytes;
using rinova::testing::writeBytes;

namespace {

// A file whose first line ends in a lone CR takes CR for new lines; a key added before an
// empty LF line joined the two into one CR LF and the empty line was gone.
TEST(SettingsFuzzRegressions, AddedKeyKeepsAnEmptyLfLineAfterItWhenLinesEndInCr) {
    QTemporaryDir dir;
    const QString path = dir.filePath("card.ini");
    writeBytes(path, "x\r[SET]\n\n[B]\n");
    ProfileFile file(path);
    file.write("SET", "Bikou", "val");
    EXPECT_EQ(readBytes(path), "x\r[SET]\nBikou=val\r\n\n[B]\n");
    EXPECT_EQ(file.read("SET", "Bikou"), "val");
}

} // namespace
