// An address file whose name is in Shift-JIS bytes (copied from a Windows machine) opens
// however the name reaches the import: as bytes, as the toolkit decodes it, or as typed.
#include "addresses/address_grid.h"
#include "text/cp932.h"
#include "text/failure.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using rinova::addresses::readAddressFile;

QByteArray sjis(const char16_t* text) {
    return QByteArray::fromStdString(rinova::text::fromUnicode(QStringView(text)));
}

void put(const QByteArray& path, const std::string& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
}

QString failure(const QString& name) {
    try {
        readAddressFile(name);
    } catch (const rinova::text::Failure& f) {
        return f.message();
    }
    return QStringLiteral("opened");
}

TEST(AddressFileName, ShiftJisNameOpensHoweverItIsSpelled) {
    QTemporaryDir dir;
    const QString root = dir.path();
    const QByteArray folder = QFile::encodeName(root) + '/' + sjis(u"出力");
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const QByteArray file = folder + '/' + sjis(u"住所.csv");
    put(file, "a,b\r\n");

    for (const QString& name : {
             QFile::decodeName(file), // the toolkit's text: each stray byte became U+FFFD
             root + QStringLiteral("/出力/住所.csv"), // typed in the file dialog
         }) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(readAddressFile(name), "a,b\r\n");
    }
    // Messages name it readably.
    EXPECT_EQ(failure(root + QStringLiteral("/出力/無い.csv")),
              QStringLiteral("ファイル %1/出力/無い.csv は開けません").arg(root));

    // Two names the toolkit decodes alike: neither is taken for the other.
    put(QFile::encodeName(root) + "/\xff.csv", "one");
    put(QFile::encodeName(root) + "/\xfe.csv", "two");
    EXPECT_EQ(failure(root + QStringLiteral("/\uFFFD.csv")),
              QStringLiteral("ファイル %1/\uFFFD.csv は開けません").arg(root));
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), root});
}

} // namespace
