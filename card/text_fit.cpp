#include "card/text_fit.h"

#include "card/card_geometry.h"
#include "card/to_vertical_text.h"
#include "card/wrap_int.h"
#include "drawing/fonts.h"
#include "drawing/vertical_text.h"
#include "text/cp932.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rinova::card {

namespace {

// Texts end 5 mm above the card's bottom edge.
constexpr double kCardBottom = -1430;
// Neighbouring characters keep this share of the cell between their inks...
constexpr double kInkGap = 0.04;
// ...and their cells never come closer than this share, so the column keeps its rhythm.
constexpr double kMinPitch = 0.75;
// Below half its set size a text is no longer what the user laid out: it does not fit.
constexpr double kMinScale = 0.5;
// Sizes beyond the card are left as they are.
constexpr std::int32_t kMaxFitHeight = drawing::CardPicture::kHeight;
constexpr double kNoBottom = -std::numeric_limits<double>::infinity();

std::int32_t clamp32(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<std::int32_t>(std::clamp(v, double(std::numeric_limits<std::int32_t>::min()),
                                                double(std::numeric_limits<std::int32_t>::max())));
}

// The cell without its leading and trailing blanks (half-width and full-width spaces).
std::string_view trimBlanks(std::string_view s) {
    std::size_t first = std::string_view::npos, end = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = text::charLength(s, i);
        const bool blank =
            (n == 1 && s[i] == ' ') || (n == 2 && s[i] == '\x81' && s[i + 1] == '\x40');
        if (!blank) {
            if (first == std::string_view::npos) first = i;
            end = i + n;
        }
        i += n;
    }
    return first == std::string_view::npos ? s.substr(0, 0) : s.substr(first, end - first);
}

const std::string& honorific() {
    static const std::string bytes = text::fromUnicode(u" 様");
    return bytes;
}

// A place the card's columns keep out of: a column over x1..x2 that starts above `bottom` ends
// at or above `top`.
struct Zone {
    double x1, x2, top, bottom;
};

double cellOf(std::int32_t height) {
    return height == 0 ? 40.0 : std::abs(double(height));
}

// The lowest y at which a column [x - width, x] starting at `top` may end.
double limitFor(const std::vector<Zone>& zones, double x, double width, double top) {
    double limit = kCardBottom;
    for (const Zone& z : zones)
        if (x - width < z.x2 && x > z.x1 && top > z.bottom) limit = std::max(limit, z.top);
    return limit;
}

// One text being placed: where it stands at its set size, and its measure there.
struct Column {
    PlacedText placed;
    drawing::ColumnMetrics m; // at the set height; minPitch only once asked for
    std::int32_t setHeight = 0;
    QString face;
    double limit = kCardBottom;

    // Looking at the glyphs' inks costs more than the length: only texts that need fitting do.
    double minPitch() {
        if (!pitchMeasured) {
            const double cell = cellOf(setHeight);
            m.minPitch = drawing::measureColumn(placed.text, face, cell, kInkGap * cell, true,
                                                placed.digitPairs)
                             .minPitch;
            pitchMeasured = true;
        }
        return m.minPitch;
    }
    bool pitchMeasured = false;

    // The length at a height and pitch, from the measure at the set height.
    double lengthAt(double height, double advance) const {
        return height / setHeight * m.lengthAt(advance / height);
    }
    double length() const {
        if (placed.advance == 0 && placed.height == setHeight) return m.length;
        return lengthAt(placed.height, placed.advance == 0 ? placed.height : placed.advance);
    }
    bool fitsAsSet() const {
        return !m.hasInk || drawing::columnEndAt(placed.y, m.length) >= limit;
    }
};

// `measure`: whether its length is needed at all (to fit it or to tell whether it fits).
Column makeColumn(CardText which, QString text, std::int32_t x, std::int32_t y, std::int32_t height,
                  const QString& face, bool measure, bool digitPairs = false) {
    Column c;
    c.placed = {which, std::move(text), x, y, height, 0, true, digitPairs};
    c.setHeight = height;
    if (!measure) return c;
    c.face = face;
    const double cell = cellOf(height);
    c.m = drawing::measureColumn(c.placed.text, c.face, cell, kInkGap * cell, false, digitPairs);
    return c;
}

std::int32_t pitchAtLeast(double share, std::int32_t height) {
    return std::clamp(static_cast<std::int32_t>(std::ceil(share * height - 1e-9)), 1, height);
}

// Fits columns that share one size and pitch and end level: each starts no higher than its top
// and their common end lies at or above `limit`. Tries the set size at pitches down to where
// the glyphs still stand apart, then smaller sizes with the loosest pitch that fits; the
// smallest allowed setting when none does. Sets heights, pitches and tops; the caller sets x.
bool fitLevel(const std::vector<Column*>& cols, const std::vector<double>& tops, double limit) {
    const std::int32_t h = cols.front()->placed.height;
    double minPitch = kMinPitch;
    for (Column* c : cols)
        minPitch = std::max(minPitch, c->minPitch());
    const auto levelEnd = [&](std::int32_t h2, std::int32_t a2) {
        double end = std::numeric_limits<double>::infinity();
        for (std::size_t k = 0; k < cols.size(); ++k)
            end = std::min(end, tops[k] - cols[k]->lengthAt(h2, a2));
        return end;
    };
    const auto fits = [&](std::int32_t h2, std::int32_t a2) {
        return drawing::columnEndAt(levelEnd(h2, a2), 0) >= limit;
    };

    std::int32_t height = h, advance = h;
    bool fitted = fits(h, h);
    for (std::int32_t a = h - 1; !fitted && a >= pitchAtLeast(minPitch, h); --a)
        if (fits(h, a)) {
            advance = a;
            fitted = true;
        }
    const std::int32_t hMin =
        std::max<std::int32_t>(1, static_cast<std::int32_t>(std::ceil(kMinScale * h - 1e-9)));
    for (std::int32_t h2 = h - 1; !fitted && h2 >= hMin; --h2) {
        std::int32_t a2 = pitchAtLeast(minPitch, h2);
        if (!fits(h2, a2)) continue;
        while (a2 < h2 && fits(h2, a2 + 1))
            ++a2;
        height = h2;
        advance = a2;
        fitted = true;
    }
    if (!fitted) {
        height = hMin;
        advance = pitchAtLeast(minPitch, hMin);
    }

    const double end = levelEnd(height, advance);
    for (std::size_t k = 0; k < cols.size(); ++k) {
        PlacedText& p = cols[k]->placed;
        p.height = height;
        p.advance = advance == height ? 0 : advance;
        p.y = clamp32(std::ceil(end + cols[k]->lengthAt(height, advance) - 1e-9));
        p.fits = fitted;
    }
    return fitted;
}

bool fittable(const Column& c) {
    return c.m.hasInk && c.placed.height >= 1 && c.placed.height <= kMaxFitHeight;
}

// A column alone: kept when it fits, else fitted about its own centre line.
void placeSingle(Column& c, const std::vector<Zone>& zones, bool fitText) {
    c.limit = limitFor(zones, c.placed.x, cellOf(c.placed.height), c.placed.y);
    c.placed.fits = c.fitsAsSet();
    if (c.placed.fits || !fitText || !fittable(c)) return;
    const std::int32_t h = c.placed.height;
    fitLevel({&c}, {double(c.placed.y)}, c.limit);
    c.placed.x = clamp32(double(c.placed.x) - (h - c.placed.height) / 2);
}

// Two names side by side, the second one column left of the first. As set, the second starts
// where the byte lengths put it; fitted, both end level and the second starts no higher than
// `secondTop` (as set too when `secondMustStayBelowTop`). Either may be missing.
void placePair(Column* first, Column* second, const std::vector<Zone>& zones, bool fitText,
               double secondTop, bool secondMustStayBelowTop) {
    Column* any = first ? first : second;
    if (!any) return;
    const std::int32_t x =
        first ? first->placed.x : wrapAdd(second->placed.x, second->placed.height);
    const std::int32_t h = any->placed.height;
    const double cell = cellOf(h);
    bool asSet = true;
    double limit = kCardBottom;
    if (first) {
        first->limit = limitFor(zones, x, cell, first->placed.y);
        first->placed.fits = first->fitsAsSet();
        asSet = asSet && first->placed.fits;
        limit = std::max(limit, first->limit);
    }
    if (second) {
        second->limit = limitFor(zones, double(x) - cell, cell, second->placed.y);
        second->placed.fits =
            second->fitsAsSet() && (!secondMustStayBelowTop || second->placed.y <= secondTop);
        asSet = asSet && second->placed.fits;
        limit = std::max(limit, second->limit);
    }
    if (asSet || !fitText) return;

    std::vector<Column*> cols;
    std::vector<double> tops;
    if (first && fittable(*first)) {
        cols.push_back(first);
        tops.push_back(first->placed.y);
    }
    if (second && fittable(*second)) {
        cols.push_back(second);
        tops.push_back(first ? secondTop : std::min<double>(second->placed.y, secondTop));
    }
    if (cols.empty()) return;
    fitLevel(cols, tops, limit);
    // A pair keeps its middle, a name alone its own.
    const std::int32_t h2 = cols.front()->placed.height;
    const double shrink = h - h2;
    if (first && second) {
        first->placed.x = clamp32(double(x) - shrink);
        second->placed.x = clamp32(double(x) - shrink - h2);
    } else if (first) {
        first->placed.x = clamp32(double(x) - shrink / 2);
    } else {
        second->placed.x = clamp32(double(x) - cell - shrink / 2);
    }
}

void addColumnZone(std::vector<Zone>& zones, const Column& c) {
    if (!c.m.hasInk) return;
    const PlacedText& p = c.placed;
    zones.push_back({double(p.x) - cellOf(p.height), double(p.x), double(p.y), p.y - c.length()});
}

std::vector<Zone> lotteryZones(int cardType) {
    if (cardType != 0) return {};
    return {{kStepLeft, kStepX, kStepLowY, kNoBottom}, {kStepX, kStepRight, kStepHighY, kNoBottom}};
}

// `judge`: tell whether the texts fit even when they are not to be fitted.
TextPlan placeTexts(const CardInputs& in, bool judge) {
    const bool measure = in.fitText || judge;
    const settings::CardLayout& L = in.layout;
    // The face the columns are drawn in, whatever their height.
    const QString face = measure ? drawing::faceOf(verticalFont(1, in.faceIndex)) : QString();
    TextPlan plan;
    std::vector<Zone> zones = lotteryZones(in.cardType);
    const bool pairs = in.numbers == NumberStyle::Upright;

    // The sender block first: where it lies, the recipient's texts must not go.
    if (in.printSender) {
        const std::int32_t o = in.cardType == 0 ? 0 : -150;
        const auto& s = in.sender;
        const SenderBoxes& boxes = senderBoxes(in.cardType);
        std::vector<Zone> senderZones = zones;
        senderZones.push_back(
            {double(boxes.box1x1), double(boxes.box2x2), double(boxes.top), double(boxes.bottom)});
        // The sender's lines are drawn as typed, unless the digits are to stand another way.
        const auto senderAddress = [&](const std::string& cell) {
            const QString t = text::toUnicode(cell);
            return in.numbers == NumberStyle::Kanji ? t : toVerticalText(t, in.numbers);
        };
        Column a1 = makeColumn(CardText::SenderAddress1, senderAddress(s[2]), 280, o - 600, 30,
                               face, measure, pairs);
        Column a2 = makeColumn(CardText::SenderAddress2, senderAddress(s[3]), 250, o - 800, 30,
                               face, measure, pairs);
        Column remark = makeColumn(CardText::SenderRemark, text::toUnicode(s[6]), 70, o - 800, 22,
                                   face, measure);
        Column n1 = makeColumn(CardText::SenderName1, text::toUnicode(s[4]), 200, o - 800, 60, face,
                               measure);
        Column n2 = makeColumn(CardText::SenderName2, text::toUnicode(s[5]), 140,
                               wrapSub(o - 800, NameShift(s[4].size(), s[5].size(), 60)), 60, face,
                               measure);
        for (Column* c : {&a1, &a2, &remark})
            placeSingle(*c, senderZones, in.fitText);
        placePair(n1.m.hasInk ? &n1 : nullptr, n2.m.hasInk ? &n2 : nullptr, senderZones, in.fitText,
                  o - 800, false);
        for (Column* c : {&a1, &a2, &remark, &n1, &n2}) {
            addColumnZone(zones, *c);
            plan.sender.push_back(c->placed);
        }
        zones.push_back(
            {double(boxes.box1x1), double(boxes.box2x2), double(boxes.top), double(boxes.bottom)});
        const qsizetype digits = text::toUnicode(s[0] + s[1]).size();
        if (digits > 0) {
            const double left = in.cardType == 0 ? 60 : 70;
            zones.push_back(
                {left, left + 40.0 * double(digits) + 10, double(o - 1230), double(o - 1270)});
        }
    }

    // Address lines. A cell of blanks only stays as it is: nothing of it shows.
    const auto addressText = [&](const std::string& cell) {
        const std::string_view t = trimBlanks(cell);
        return toVerticalText(text::toUnicode(t.empty() ? std::string_view(cell) : t), in.numbers);
    };
    Column a1 = makeColumn(CardText::Address1, addressText(in.address1), L.Address1X, L.Address1Y,
                           L.AddressSize, face, measure, pairs);
    Column a2 = makeColumn(CardText::Address2, addressText(in.address2), L.Address2X, L.Address2Y,
                           L.AddressSize, face, measure, pairs);
    placeSingle(a1, zones, in.fitText);
    placeSingle(a2, zones, in.fitText);
    plan.recipient.push_back(a1.placed);
    plan.recipient.push_back(a2.placed);

    // Names. Blanks around a name do not move its honorific; a name 1 of blanks only still
    // draws the honorific alone, a name 2 of blanks only draws nothing.
    const std::string_view name1 =
        trimBlanks(in.name1).empty() ? std::string_view(in.name1) : trimBlanks(in.name1);
    const std::string_view name2 = trimBlanks(in.name2);
    const bool drawName1 = !in.name1.empty();
    const bool drawName2 = in.printName2 && !name2.empty();
    Column n1, n2;
    if (drawName1)
        n1 = makeColumn(CardText::Name1, text::toUnicode(std::string(name1) + honorific()), L.NameX,
                        L.NameY, L.NameSize, face, measure);
    if (drawName2)
        n2 = makeColumn(CardText::Name2,
                        toVerticalText(text::toUnicode(std::string(name2) + honorific())),
                        wrapSub(L.NameX, L.NameSize),
                        wrapSub(L.NameY, NameShift(name1.size(), name2.size(), L.NameSize)),
                        L.NameSize, face, measure);
    placePair(drawName1 ? &n1 : nullptr, drawName2 ? &n2 : nullptr, zones, in.fitText,
              kPostalBoxesBottom, true);
    if (drawName1) plan.recipient.push_back(n1.placed);
    if (drawName2) plan.recipient.push_back(n2.placed);
    return plan;
}

} // namespace

TextPlan planTexts(const CardInputs& in) {
    return placeTexts(in, false);
}

std::vector<CardText> unfittedTexts(const CardInputs& in) {
    const TextPlan plan = placeTexts(in, true);
    std::vector<CardText> out;
    for (const auto* list : {&plan.recipient, &plan.sender})
        for (const PlacedText& p : *list)
            if (!p.fits) out.push_back(p.which);
    return out;
}

bool textsFit(const CardInputs& in) {
    return unfittedTexts(in).empty();
}

QString cardTextName(CardText which) {
    switch (which) {
    case CardText::Address1:
        return QStringLiteral("住所1");
    case CardText::Address2:
        return QStringLiteral("住所2");
    case CardText::Name1:
        return QStringLiteral("名前1");
    case CardText::Name2:
        return QStringLiteral("名前2");
    case CardText::SenderAddress1:
        return QStringLiteral("差出人の住所1");
    case CardText::SenderAddress2:
        return QStringLiteral("差出人の住所2");
    case CardText::SenderRemark:
        return QStringLiteral("差出人の備考");
    case CardText::SenderName1:
        return QStringLiteral("差出人の名前1");
    case CardText::SenderName2:
        return QStringLiteral("差出人の名前2");
    }
    return {};
}

} // namespace rinova::card
