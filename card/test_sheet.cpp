#include "card/test_sheet.h"

#include "card/card_geometry.h"
#include "card/card_renderer.h"
#include "card/postal_boxes.h"
#include "drawing/recording_canvas.h"

namespace rinova::card {

QString shiftText(std::int32_t units) {
    const QString mm = QString::number(std::abs(units) / 10) + u'.' +
                       QString::number(std::abs(units) % 10) + QStringLiteral(" mm");
    return (units > 0 ? QStringLiteral("+") : units < 0 ? QStringLiteral("-") : QString()) + mm;
}

drawing::CardPicture renderTestSheet(const settings::Calibration& shifts, const QString& printer,
                                     int cardType) {
    drawing::RecordingCanvas canvas;
    canvas.setBrushClear();
    canvas.rectangle(0, 0, drawing::CardPicture::kWidth, -drawing::CardPicture::kHeight);
    drawRecipientBoxesAndLotteryLine(canvas, cardType);
    for (const Box& b : senderCells(cardType))
        canvas.rectangle(b.x1, b.top, b.x2, b.bottom);
    // Crosses 6 mm long, each named by its place in millimetres.
    canvas.setFontHeight(25);
    for (const CrossAt& c : kTestCrosses) {
        canvas.moveTo(c.x - 30, c.y);
        canvas.lineTo(c.x + 31, c.y);
        canvas.moveTo(c.x, c.y + 30);
        canvas.lineTo(c.x, c.y - 31);
        const QString at = QString::number(c.x / 10) + u',' + QString::number(-c.y / 10);
        canvas.textOut(c.x > 500 ? c.x - 140 : c.x + 40, c.y - 45, at + QStringLiteral(" mm"));
    }

    canvas.setFontHeight(30);
    const std::int32_t left = 80;
    std::int32_t y = -330;
    for (const QString& line :
         {QStringLiteral("テスト印刷　プリンタ: ") + printer,
          QStringLiteral("はがき全体　左右 %1　上下 %2")
              .arg(shiftText(shifts.cardX), shiftText(shifts.cardY)),
          QStringLiteral("郵便番号　　左右 %1　上下 %2")
              .arg(shiftText(shifts.postalX), shiftText(shifts.postalY)),
          QStringLiteral("実物のはがきを重ねて光に透かし、外枠と郵便番号の枠の"),
          QStringLiteral("ずれを「設定 → 印刷位置の調整」で直します。")}) {
        canvas.textOut(left, y, line);
        y -= 45;
    }

    // Sample digits where a card's postal code goes, with the code's own shift.
    canvas.setFontHeight(70);
    drawRecipientCode(canvas, QStringLiteral("1234567"), shifts.postalX, shifts.postalY);

    drawing::CardPicture sheet = canvas.takePicture();
    shiftPicture(sheet, shifts.cardX, shifts.cardY);
    return sheet;
}

} // namespace rinova::card
