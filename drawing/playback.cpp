#include "drawing/playback.h"

#include "drawing/vertical_text.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace rinova::drawing {

namespace {

// Far enough outside any page; keeps stray coordinates from overflowing int or the rasteriser.
constexpr double kLimit = 1.0e7;

int toPixel(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::lround(std::clamp(v, -kLimit, kLimit)));
}

QColor color(Rgb rgb) {
    return QColor(QRgb(rgb & 0xFFFFFF));
}

// A band of pen width centred on one pixel row or column.
int bandStart(int at, int width) {
    return at - (width - 1) / 2;
}

void drawRect(QPainter& painter, const CardMapping& map, const RectOp& op) {
    int x1 = map.pixelX(op.x1), x2 = map.pixelX(op.x2);
    int y1 = map.pixelY(op.y1), y2 = map.pixelY(op.y2);
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    // Right and bottom edges are left out, as a device rectangle does.
    if (x2 - x1 < 1 || y2 - y1 < 1) return;
    if (op.fill) painter.fillRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)), color(*op.fill));
    const int w = map.penWidth();
    const QColor pen = color(op.pen);
    const int left = bandStart(x1, w), right = bandStart(x2 - 1, w);
    const int top = bandStart(y1, w), bottom = bandStart(y2 - 1, w);
    const int spanW = right + w - left, spanH = bottom + w - top;
    painter.fillRect(QRect(left, top, spanW, w), pen);
    painter.fillRect(QRect(left, bottom, spanW, w), pen);
    painter.fillRect(QRect(left, top, w, spanH), pen);
    painter.fillRect(QRect(right, top, w, spanH), pen);
}

void drawLine(QPainter& painter, const CardMapping& map, const LineOp& op) {
    const int x1 = map.pixelX(op.x1), x2 = map.pixelX(op.x2);
    const int y1 = map.pixelY(op.y1), y2 = map.pixelY(op.y2);
    const int w = map.penWidth();
    const QColor pen = color(op.pen);
    // The end point is not drawn: the next line starts there.
    if (y1 == y2) {
        if (x1 == x2) return;
        const int from = x1 < x2 ? x1 : x2 + 1;
        painter.fillRect(QRect(from, bandStart(y1, w), std::abs(x2 - x1), w), pen);
    } else if (x1 == x2) {
        const int from = y1 < y2 ? y1 : y2 + 1;
        painter.fillRect(QRect(bandStart(x1, w), from, w, std::abs(y2 - y1)), pen);
    } else {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(pen, w, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(x1 + 0.5, y1 + 0.5), QPointF(x2 + 0.5, y2 + 0.5));
        painter.restore();
    }
}

void play(const CardPicture& picture, QPainter& painter, const CardMapping& map) {
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const PictureOp& op : picture.ops) {
        if (const auto* r = std::get_if<RectOp>(&op)) {
            drawRect(painter, map, *r);
        } else if (const auto* l = std::get_if<LineOp>(&op)) {
            drawLine(painter, map, *l);
        } else if (const auto* t = std::get_if<TextOp>(&op)) {
            const QPointF at(map.pixelX(t->x), map.pixelY(t->y));
            drawTextOp(painter, *t, at, std::abs(map.scaleY()));
        }
    }
    painter.restore();
}

} // namespace

CardMapping::CardMapping(int left, int top, int right, int bottom)
    : left_(left), top_(top), sx_((double(right) - 1 - left) / CardPicture::kWidth),
      sy_((double(bottom) - 1 - top) / CardPicture::kHeight) {}

int CardMapping::pixelX(double cardX) const {
    return toPixel(x(cardX));
}
int CardMapping::pixelY(double cardY) const {
    return toPixel(y(cardY));
}

int CardMapping::penWidth() const {
    const double w = std::min(std::abs(sx_), std::abs(sy_));
    return std::clamp(static_cast<int>(std::lround(w)), 1, 1000);
}

QRect previewCardRect(QSize box) {
    const long long width = std::max(0, box.width());
    const long long height = std::max(0, box.height());
    if (width * 148 / 100 <= height) return QRect(0, 0, int(width), int(width * 148 / 100));
    const long long fitted = height * 100 / 148;
    return QRect(int((width - fitted) / 2), 0, int(fitted), int(fitted * 148 / 100));
}

int naturalWidth(double pxPerMmX) {
    return toPixel(CardPicture::kFrameWidth * pxPerMmX / 100.0);
}

int naturalHeight(double pxPerMmY) {
    return toPixel(CardPicture::kFrameHeight * pxPerMmY / 100.0);
}

void playStretched(const CardPicture& picture, QPainter& painter, int left, int top, int right,
                   int bottom) {
    play(picture, painter, CardMapping(left, top, right, bottom));
}

void playNatural(const CardPicture& picture, QPainter& painter, int x, int y, double pxPerMmX,
                 double pxPerMmY) {
    const long long right = static_cast<long long>(x) + naturalWidth(pxPerMmX);
    const long long bottom = static_cast<long long>(y) + naturalHeight(pxPerMmY);
    play(picture, painter,
         CardMapping(x, y, static_cast<int>(std::clamp<long long>(right, INT32_MIN, INT32_MAX)),
                     static_cast<int>(std::clamp<long long>(bottom, INT32_MIN, INT32_MAX))));
}

} // namespace rinova::drawing
