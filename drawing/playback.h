// Playing a recorded card picture onto any QPainter (widget, image, printer, PDF), stretched
// into a rectangle or at its natural size, with the pixel rules of the recording's shapes.
#pragma once

#include "drawing/card_picture.h"

#include <QPoint>
#include <QRect>
#include <QSize>

class QPainter;

namespace rinova::drawing {

// Where card coordinates fall on the target: the frame (x 0..1000, y 0..-1480) onto
// (left, top)..(right - 1, bottom - 1), both corners included.
class CardMapping {
public:
    CardMapping(int left, int top, int right, int bottom);

    double x(double cardX) const { return left_ + cardX * sx_; }
    double y(double cardY) const { return top_ - cardY * sy_; }
    // The device pixel a card point lands on.
    int pixelX(double cardX) const;
    int pixelY(double cardY) const;
    double scaleX() const { return sx_; }
    double scaleY() const { return sy_; }
    // One logical unit, never thinner than one pixel.
    int penWidth() const;

private:
    double left_, top_, sx_, sy_;
};

// The natural size in pixels at a resolution: round(100 x pixels per millimetre across) and
// round(148 x pixels per millimetre down).
int naturalWidth(double pxPerMmX);
int naturalHeight(double pxPerMmY);

// Where the card goes in a preview box: as wide as the box, 148 pixels down for every 100 across
// (fractions dropped), from the box's top-left corner; in a box too low for that, as high as the
// box and centred across it.
QRect previewCardRect(QSize box);

void playStretched(const CardPicture& picture, QPainter& painter, int left, int top, int right,
                   int bottom);
// Natural size with the frame's top-left at (x, y); the resolution is the target's (for a
// QPrinter, QPdfWriter or QImage: its own, in pixels per millimetre).
void playNatural(const CardPicture& picture, QPainter& painter, int x, int y, double pxPerMmX,
                 double pxPerMmY);

} // namespace rinova::drawing
