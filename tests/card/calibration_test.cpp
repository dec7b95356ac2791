// A printer's calibration: kept in the settings file under the printer's own name, read back
// by any later start, and moving the ink of a card for that printer, and of no other card.
#include "addresses/address_grid.h"
#include "card/card_geometry.h"
#include "card/card_inputs.h"
#include "settings/calibration.h"
#include "settings/settings_model.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace rinova;
using rinova::testing::sjis;
using settings::Calibration;

constexpr double kPxPerMm = 20;

// The ink centres, in mm from the card's corner, of the postal code and of name 1.
struct Ink {
    QPointF postal, name;
};

Ink inkOf(const drawing::CardPicture& card) {
    const QImage image = rinova::testing::cardImage(card, kPxPerMm);
    auto centre = [&](QRectF mm) {
        const QRect ink = rinova::testing::inkBox(
            image, QRect(QPoint(int(mm.left() * kPxPerMm), int(mm.top() * kPxPerMm)),
                         QPoint(int(mm.right() * kPxPerMm), int(mm.bottom() * kPxPerMm))));
        EXPECT_FALSE(ink.isNull());
        return QRectF(ink).adjusted(0, 0, 1, 1).center() / kPxPerMm;
    };
    // The code lies 13 to 19 mm down and the name from 32 mm down: apart for shifts of up to
    // 6 mm down or up.
    return {centre(QRectF(QPointF(0, 0), QPointF(100, 26))),
            centre(QRectF(QPointF(30, 26), QPointF(80, 120)))};
}

TEST(Calibration, EachPrinterMovesItsOwnCardsInkAndIsKeptUnderItsName) {
    const struct {
        const char16_t* printer;
        Calibration shifts;
        const char* section;
    } cases[] = {
        {u"Office", {15, -20, 0, 0}, "Calibration:Office"},
        {u"Büro/はがき", {0, 0, -8, 12}, "Calibration:B%C3%BCro%2F%E3%81%AF%E3%81%8C%E3%81%8D"},
        {u"a]b=c;d e", {-40, 30, 100, -25}, "Calibration:a%5Db%3Dc%3Bd%20e"},
        {u"Plain", {}, "Calibration:Plain"},
    };
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("rinova.ini"));
    {
        settings::SettingsModel first(ini);
        first.load();
        for (const auto& c : cases)
            first.setCalibration(QString::fromUtf16(c.printer), c.shifts);
        // Beyond 10 mm a shift is held at 10 mm.
        first.setCalibration(u"Far"_qs, {500, -500, 0, 0});
    }
    // Values that cannot be shifts are taken as none; letter case of the name does not count.
    rinova::testing::writeBytes(ini, rinova::testing::readBytes(ini) +
                                         "[calibration:BAD]\r\nCardX=abc\r\nCardY=101\r\n"
                                         "PostalX=-100\r\nPostalY=$10\r\n");

    settings::SettingsModel later(ini);
    later.load();
    EXPECT_EQ(later.calibration(u"Far"_qs), (Calibration{100, -100, 0, 0}));
    EXPECT_EQ(later.calibration(u"bad"_qs), (Calibration{0, 0, -100, 16}));

    addresses::AddressGrid grid;
    grid.importContent(sjis(u"山田太郎,,1234567,,,\r\n"));
    const Ink designed =
        inkOf(card::renderCard(card::inputsForRow(grid, 1, later, card::Target::Printer)));
    for (const auto& c : cases) {
        const QString printer = QString::fromUtf16(c.printer);
        SCOPED_TRACE(printer.toStdString());
        EXPECT_EQ(settings::calibrationSection(printer), c.section);
        // A printer without shifts writes nothing.
        EXPECT_EQ(rinova::testing::readBytes(ini).find(std::string("[") + c.section + "]") !=
                      std::string::npos,
                  c.shifts != Calibration{});
        QString upper = printer;
        for (QChar& ch : upper)
            if (ch >= u'a' && ch <= u'z') ch = QChar(ch.unicode() - u'a' + u'A');
        EXPECT_EQ(later.calibration(upper), c.shifts);

        // On paper the name moves with the card, the postal code by both shifts; the card's y
        // grows upward, the image's downward.
        const Ink printed = inkOf(
            card::renderCard(card::inputsForRow(grid, 1, later, card::Target::Printer, printer)));
        const Calibration& s = c.shifts;
        const QPointF card(s.cardX / 10.0, -s.cardY / 10.0);
        const QPointF postal((s.cardX + s.postalX) / 10.0, -(s.cardY + s.postalY) / 10.0);
        for (const auto& [got, want] : {std::pair{printed.name, designed.name + card},
                                        std::pair{printed.postal, designed.postal + postal}}) {
            EXPECT_NEAR(got.x(), want.x(), 0.1);
            EXPECT_NEAR(got.y(), want.y(), 0.1);
        }
        // The preview shows the card as designed.
        EXPECT_EQ(card::inputsForRow(grid, 1, later, card::Target::Preview, printer).calibration,
                  Calibration{});
    }
}

} // namespace
