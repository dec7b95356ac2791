#include "card/text_fit.h"

#include "card/card_geometry.h"
#include "card/column_breaks.h"
#include "card/to_vertical_text.h"
#include "card/wrap_int.h"
#include "drawing/fonts.h"
#include "drawing/vertical_text.h"
#include "text/cp932.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>

namespace rinova::card {

namespace {

// Texts end 5 mm above the card's bottom edge...
constexpr double kCardBottom = -1430;
// ...and keep 3 mm from the other edges.
constexpr double kEdge = 30;
constexpr double kCardRight = drawing::CardPicture::kWidth;
// Neighbouring characters keep this share of the cell between their inks...
constexpr double kInkGap = 0.04;
// ...and their cells never come closer than this share, so the column keeps its rhythm.
constexpr double kMinPitch = 0.75;
// Down to half its set size a text is still what the user laid out; an address line that needs
// more goes on in a second column first.
constexpr double kMinScale = 0.5;
// The smallest texts still read well: 2.5 mm for the recipient's, 2 mm for the sender's. A
// text the user set smaller is not made smaller still.
constexpr std::int32_t kReadableRecipient = 25, kReadableSender = 20;
// Sizes beyond the card are left as they are.
constexpr std::int32_t kMaxFitHeight = drawing::CardPicture::kHeight;
// A longer line would not be readable in two columns either; it is not broken.
constexpr qsizetype kMaxBreakable = 128;
// A break at a sensible place is kept unless a break by length sets the text this much larger.
constexpr double kSensibleBreakBonus = 1.5;
// ...and a break between two kinds of characters unless one inside a word sets it this much larger.
constexpr double kSeamBonus = 1.08;
constexpr double kNoBottom = -std::numeric_limits<double>::infinity();
constexpr double kNoTop = std::numeric_limits<double>::infinity();

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

bool withinEdges(double x, double width, double top) {
    return x <= kCardRight - kEdge && x - width >= kEdge && top <= -kEdge;
}

// How far a text may shrink: `first` before an address line goes on in a second column, `last`
// for good.
struct Floors {
    std::int32_t first, last;
};

Floors floorsFor(std::int32_t height, std::int32_t readable) {
    const std::int32_t half =
        std::max<std::int32_t>(1, static_cast<std::int32_t>(std::ceil(kMinScale * height - 1e-9)));
    const std::int32_t last = std::min(height, readable);
    return {std::max(half, last), last};
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
        return !m.hasInk || (drawing::columnEndAt(placed.y, m.length) >= limit &&
                             withinEdges(placed.x, cellOf(placed.height), placed.y));
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

struct Setting {
    std::int32_t height, advance;
};

using FitsAt = std::function<bool(std::int32_t height, std::int32_t advance)>;

// Tries the set size at pitches down to where the glyphs still stand apart, then smaller sizes
// down to `floor` with the loosest pitch that fits.
std::optional<Setting> search(std::int32_t h, double minPitch, std::int32_t floor,
                              const FitsAt& fits) {
    if (fits(h, h)) return Setting{h, h};
    for (std::int32_t a = h - 1; a >= pitchAtLeast(minPitch, h); --a)
        if (fits(h, a)) return Setting{h, a};
    for (std::int32_t h2 = h - 1; h2 >= floor; --h2) {
        std::int32_t a2 = pitchAtLeast(minPitch, h2);
        if (!fits(h2, a2)) continue;
        while (a2 < h2 && fits(h2, a2 + 1))
            ++a2;
        return Setting{h2, a2};
    }
    return std::nullopt;
}

// Columns that share one size and pitch and end level, each starting no higher than its top:
// their common end.
double levelEnd(const std::vector<Column*>& cols, const std::vector<double>& tops, Setting s) {
    double end = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < cols.size(); ++k)
        end = std::min(end, tops[k] - cols[k]->lengthAt(s.height, s.advance));
    return end;
}

// Fits columns that end level above `limit` and inside the edges where `xOf` puts them at a
// height; the smallest allowed setting when none fits. Sets heights, pitches and tops; the
// caller sets x.
bool fitLevel(const std::vector<Column*>& cols, const std::vector<double>& tops, double limit,
              std::int32_t floor, const std::function<double(std::size_t, std::int32_t)>& xOf) {
    const std::int32_t h = cols.front()->placed.height;
    double minPitch = kMinPitch;
    for (Column* c : cols)
        minPitch = std::max(minPitch, c->minPitch());
    const std::optional<Setting> found =
        search(h, minPitch, floor, [&](std::int32_t h2, std::int32_t a2) {
            if (drawing::columnEndAt(levelEnd(cols, tops, {h2, a2}), 0) < limit) return false;
            for (std::size_t k = 0; k < cols.size(); ++k)
                if (!withinEdges(xOf(k, h2), h2, tops[k])) return false;
            return true;
        });
    const Setting s = found.value_or(Setting{floor, pitchAtLeast(minPitch, floor)});
    const double end = levelEnd(cols, tops, s);
    for (std::size_t k = 0; k < cols.size(); ++k) {
        PlacedText& p = cols[k]->placed;
        p.height = s.height;
        p.advance = s.advance == s.height ? 0 : s.advance;
        p.y = clamp32(std::ceil(end + cols[k]->lengthAt(s.height, s.advance) - 1e-9));
        p.fits = found.has_value();
    }
    return found.has_value();
}

bool fittable(const Column& c) {
    return c.m.hasInk && c.placed.height >= 1 && c.placed.height <= kMaxFitHeight;
}

// A column alone: kept when it fits, else fitted about its own centre line down to `floor`.
// When nothing fits it is set at `floor` and marked, or with `keepIfNot` left as set. Whether it
// fits.
bool placeSingle(Column& c, const std::vector<Zone>& zones, bool fitText, std::int32_t floor,
                 bool keepIfNot = false) {
    c.limit = limitFor(zones, c.placed.x, cellOf(c.placed.height), c.placed.y);
    c.placed.fits = c.fitsAsSet();
    if (c.placed.fits || !fitText || !fittable(c)) return c.placed.fits;
    const Column asSet = c;
    const std::int32_t h = c.placed.height, x = c.placed.x;
    const auto xOf = [&](std::size_t, std::int32_t h2) { return double(x) - (h - h2) / 2; };
    if (!fitLevel({&c}, {double(c.placed.y)}, c.limit, floor, xOf) && keepIfNot) {
        c = asSet;
        return false;
    }
    c.placed.x = clamp32(double(c.placed.x) - (h - c.placed.height) / 2);
    return c.placed.fits;
}

// Two names side by side, the second one column left of the first. As set, the second starts
// where the byte lengths put it; fitted, both end level and the second starts no higher than
// `secondTop` (as set too when `secondMustStayBelowTop`). Either may be missing.
void placePair(Column* first, Column* second, const std::vector<Zone>& zones, bool fitText,
               std::int32_t readable, double secondTop, bool secondMustStayBelowTop) {
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
    // Fitted, the second may start as high as `secondTop`: what lies below that counts too.
    if (second)
        limit = std::max(limit, limitFor(zones, double(x) - cell, cell,
                                         std::max<double>(second->placed.y, secondTop)));

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
    // A pair keeps its middle, a name alone its own.
    const auto xOf = [&](std::size_t k, std::int32_t h2) {
        const double shrink = h - h2;
        if (first && second) return double(x) - shrink - (cols[k] == second ? h2 : 0);
        return first ? double(x) - shrink / 2 : double(x) - cell - shrink / 2;
    };
    fitLevel(cols, tops, limit, floorsFor(h, readable).last, xOf);
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

// Kinds of characters a line is best broken between: kanji, hiragana, katakana, digits, other.
int kindOf(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= u'0' && u <= u'9') || (u >= 0xFF10 && u <= 0xFF19)) return 3;
    if (u >= 0x3041 && u <= 0x309F) return 1;
    if ((u >= 0x30A0 && u <= 0x30FF) || (u >= 0xFF66 && u <= 0xFF9F)) return 2;
    if ((u >= 0x4E00 && u <= 0x9FFF) || u == u'〇' || u == u'々') return 0;
    return 4;
}

// Where an address line's column may stand: its own place, the other line's, or further on.
struct Place {
    std::int32_t x = 0, y = 0;
    const std::vector<Zone>* zones = nullptr;
};

// A line in two columns at two places, broken where it reads best among the places that let it
// stay largest, down to `floor`. Nothing when no break fits.
std::optional<std::array<Column, 2>> breakLine(Column& line, const Place& a, const Place& b,
                                               std::int32_t floor) {
    const QString& t = line.placed.text;
    if (t.size() > kMaxBreakable || !fittable(line)) return std::nullopt;
    const std::int32_t h = line.setHeight;
    const double minPitch = std::max(kMinPitch, line.minPitch());
    const double cell = cellOf(h);
    const std::array<const Place*, 2> places = {&a, &b};
    std::array<double, 2> limits{};
    for (std::size_t k = 0; k < 2; ++k)
        limits[k] = limitFor(*places[k]->zones, places[k]->x, cell, places[k]->y);
    const auto xOf = [&](std::size_t k, std::int32_t h2) {
        return double(places[k]->x) - (h - h2) / 2;
    };

    struct Tried {
        Setting s;
        std::array<Column, 2> cols;
        bool seam = false; // between two kinds of characters (kana and kanji, say)
    };
    const auto tryAt = [&](qsizetype at) -> std::optional<Tried> {
        std::array<Column, 2> cols = {makeColumn(line.placed.which, beforeBreak(t, at), a.x, a.y, h,
                                                 line.face, true, line.placed.digitPairs),
                                      makeColumn(line.placed.which, afterBreak(t, at), b.x, b.y, h,
                                                 line.face, true, line.placed.digitPairs)};
        if (!cols[0].m.hasInk || !cols[1].m.hasInk) return std::nullopt;
        const std::optional<Setting> s =
            search(h, minPitch, floor, [&](std::int32_t h2, std::int32_t a2) {
                for (std::size_t k = 0; k < 2; ++k) {
                    const double end = places[k]->y - cols[k].lengthAt(h2, a2);
                    if (drawing::columnEndAt(end, 0) < limits[k] ||
                        !withinEdges(xOf(k, h2), h2, places[k]->y))
                        return false;
                }
                return true;
            });
        if (!s) return std::nullopt;
        return Tried{*s, std::move(cols), kindOf(t[at - 1]) != kindOf(t[at])};
    };
    const auto better = [](const std::optional<Tried>& x, const std::optional<Tried>& y) {
        if (!x) return false;
        if (!y) return true;
        if (x->s.height != y->s.height) return x->s.height > y->s.height;
        if (x->seam != y->seam) return x->seam;
        return x->s.advance > y->s.advance;
    };
    std::optional<Tried> sensible, byLength;
    for (const ColumnBreak& br : sensibleBreaks(t))
        if (std::optional<Tried> tried = tryAt(br.at); better(tried, sensible))
            sensible = std::move(tried);
    if (!sensible || sensible->s.height < h) {
        // By length, a break between two kinds of characters (ヒルズ|北一条) reads better than
        // one inside a word (北|一条) that keeps the text a little larger.
        std::vector<Tried> all;
        for (qsizetype at = t.size() - 1; at > 0; --at)
            if (isBreakable(t, at))
                if (std::optional<Tried> tried = tryAt(at)) all.push_back(std::move(*tried));
        for (const Tried& x : all)
            if (better(x, byLength)) byLength = x;
        if (byLength && !byLength->seam) {
            const double nearly = byLength->s.height / kSeamBonus;
            for (const Tried& x : all)
                if (x.seam && x.s.height >= nearly && (!byLength->seam || better(x, byLength)))
                    byLength = x;
        }
    }
    std::optional<Tried>& chosen =
        sensible && (!byLength || sensible->s.height * kSensibleBreakBonus >= byLength->s.height)
            ? sensible
            : byLength;
    if (!chosen) return std::nullopt;
    for (std::size_t k = 0; k < 2; ++k) {
        PlacedText& p = chosen->cols[k].placed;
        p.height = chosen->s.height;
        p.advance = chosen->s.advance == p.height ? 0 : chosen->s.advance;
        p.x = clamp32(xOf(k, p.height));
    }
    return std::move(chosen->cols);
}

// The address lines, in their order, laid into places: a line stays at its own place while it
// fits there; one that does not fit even at half its size goes on in a second column at the
// next place (from the first free one), and the lines after it move one place on; only a line
// that cannot be broken either is made smaller still.
void placeLines(std::array<Column, 2>& lines, const std::vector<Place>& places, bool fitText,
                Floors floors, std::vector<PlacedText>& out,
                std::vector<Zone>* occupied = nullptr) {
    std::size_t next = 0; // the first place no column stands at
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Column& c = lines[i];
        const std::vector<Zone>& ownZones = *places[std::min(i, places.size() - 1)].zones;
        if (!c.m.hasInk || !fitText) {
            placeSingle(c, ownZones, fitText, floors.last);
            out.push_back(c.placed);
            if (occupied) addColumnZone(*occupied, c);
            continue;
        }
        std::size_t at = std::max(next, i);
        if (at >= places.size()) at = i; // nowhere else to go: stays, made smaller
        if (at != i) {
            const Place& p = places[at];
            c = makeColumn(c.placed.which, c.placed.text, p.x, p.y, c.setHeight, c.face, true,
                           c.placed.digitPairs);
        }
        const std::vector<Zone>& zones = *places[at].zones;
        if (placeSingle(c, zones, fitText, floors.first, true)) {
            out.push_back(c.placed);
            if (occupied) addColumnZone(*occupied, c);
            next = at + 1;
            continue;
        }
        // A line whose own place is the second may start at the first when that one is free;
        // the lines after it must still find places of their own.
        const std::size_t from = std::min(next, at);
        const std::size_t after = static_cast<std::size_t>(
            std::count_if(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end(),
                          [](const Column& l) { return l.m.hasInk; }));
        if (from + 2 + after <= places.size())
            if (std::optional<std::array<Column, 2>> two =
                    breakLine(c, places[from], places[from + 1], floors.last)) {
                for (Column& part : *two) {
                    out.push_back(part.placed);
                    if (occupied) addColumnZone(*occupied, part);
                }
                next = from + 2;
                continue;
            }
        placeSingle(c, zones, fitText, floors.last);
        out.push_back(c.placed);
        if (occupied) addColumnZone(*occupied, c);
        next = at + 1;
    }
}

// The recipient's names with a row's own honorific or joint names: one column each, from name
// 1's place leftwards, every honorific at one level. A name given alone (no blank in it) under a
// name 1 that states family and given name apart (山田　太郎) starts where name 1's given name
// starts; other names end at the level, none starting above the postal-code boxes. Name 1 stays
// at its place; an honorific the level moves away from its name is drawn on its own.
class NameGroup {
public:
    struct Name {
        CardText which;
        QString text;
        int place = 0; // columns left of name 1's place
    };

    NameGroup(const settings::CardLayout& layout, const QString& face, const QString& rest,
              const std::vector<Name>& names)
        : L_(layout), face_(face) {
        const std::int32_t s = L_.NameSize;
        rest_ = makeColumn(CardText::Name1, rest, 0, 0, s, face, true);
        for (const Name& n : names) {
            Col c{n.which, n.place, makeColumn(n.which, n.text, 0, 0, s, face, true),
                  makeColumn(n.which, n.text + rest, 0, 0, s, face, true), false};
            cols_.push_back(std::move(c));
        }
        // Family and given name stated apart in name 1.
        const bool anchored = !cols_.empty() && cols_.front().place == 0;
        if (anchored && L_.NameY <= kPostalBoxesBottom) {
            const QString& n1 = names.front().text;
            qsizetype g = 0;
            while (g < n1.size() && !isBlank(n1[g]))
                ++g;
            while (g < n1.size() && isBlank(n1[g]))
                ++g;
            if (g > 0 && g < n1.size()) {
                given_ = makeColumn(CardText::Name1, n1.left(g), 0, 0, s, face, true).m.length;
                for (std::size_t k = 1; k < cols_.size(); ++k)
                    cols_[k].given = !cols_[k].name.placed.text.contains(u' ') &&
                                     !cols_[k].name.placed.text.contains(u'\u3000');
            }
        }
    }

    void place(const std::vector<Zone>& zones, bool fitText, std::vector<PlacedText>& out) {
        if (cols_.empty()) return;
        const std::int32_t s = L_.NameSize;
        const bool canFit =
            fitText && s >= 1 && s <= kMaxFitHeight &&
            std::any_of(cols_.begin(), cols_.end(), [](const Col& c) { return c.merged.m.hasInk; });
        std::optional<Setting> found;
        if (fitsAt(zones, s, s)) {
            found = Setting{s, s};
        } else if (canFit) {
            double minPitch = kMinPitch;
            for (Col& c : cols_)
                minPitch = std::max(minPitch, c.merged.minPitch());
            const auto fits = [&](std::int32_t h, std::int32_t a) { return fitsAt(zones, h, a); };
            const std::int32_t floor = floorsFor(s, kReadableRecipient).last;
            found = search(s, minPitch, floor, fits);
            // Kept about its middle, a group of three or four may reach into the sender block;
            // name 1 then stays at its place and the others come closer to it.
            if (!found && cols_.size() > 2) {
                keepRight_ = true;
                found = search(s, minPitch, floor, fits);
                keepRight_ = found.has_value();
            }
            if (!found) {
                put({floor, pitchAtLeast(minPitch, floor)}, false, out);
                return;
            }
        }
        put(found.value_or(Setting{s, s}), found.has_value(), out);
    }

private:
    struct Col {
        CardText which;
        int place;
        Column name, merged;
        bool given;
    };
    struct At {
        double x, top, honorific; // honorific: where its honorific would start after the name
    };

    static bool isBlank(QChar c) { return c == u' ' || c == u'\u3000'; }

    // Positions at a height and pitch: each column's, the honorifics' level and the end.
    void geometry(std::int32_t h, std::int32_t a, std::vector<At>& at, double& level,
                  double& end) const {
        const std::int32_t s = L_.NameSize;
        // Places along the column move with the pitch and the size; at the set size and pitch
        // they stand as measured.
        const double u = (h == s && a == s) ? 1.0 : double(a) / s;
        const int first = cols_.front().place, last = cols_.back().place;
        // The group keeps its middle.
        const double middle = double(L_.NameX) - (first + last + 1) * double(s) / 2;
        const double y0 = L_.NameY;
        level = std::numeric_limits<double>::infinity();
        at.assign(cols_.size(), {});
        for (std::size_t k = 0; k < cols_.size(); ++k) {
            const Col& c = cols_[k];
            at[k].x =
                keepRight_
                    ? double(L_.NameX) - first * double(s) - (c.place - first) * double(h)
                    : middle + (last - first + 1) * double(h) / 2 - (c.place - first) * double(h);
            if (c.place == 0 || c.given) {
                at[k].top = c.place == 0 ? y0 : y0 - u * given_;
                at[k].honorific = at[k].top - u * c.name.m.length;
                level = std::min(level, at[k].honorific);
            }
        }
        if (cols_.front().place != 0) level = std::min(level, y0); // no name 1: its place
        for (std::size_t k = 0; k < cols_.size(); ++k)
            if (cols_[k].place != 0 && !cols_[k].given)
                level = std::min(level, kPostalBoxesBottom - u * cols_[k].name.m.length);
        for (std::size_t k = 0; k < cols_.size(); ++k)
            if (cols_[k].place != 0 && !cols_[k].given) {
                at[k].top = level + u * cols_[k].name.m.length;
                at[k].honorific = level;
            }
        end = level - (h == s && a == s ? rest_.m.length : rest_.lengthAt(h, a));
    }

    bool fitsAt(const std::vector<Zone>& zones, std::int32_t h, std::int32_t a) const {
        std::vector<At> at;
        double level = 0, end = 0;
        geometry(h, a, at, level, end);
        const double width = cellOf(h);
        for (std::size_t k = 0; k < cols_.size(); ++k) {
            if (!cols_[k].merged.m.hasInk) continue;
            if (drawing::columnEndAt(end, 0) < limitFor(zones, at[k].x, width, at[k].top) ||
                !withinEdges(at[k].x, width, at[k].top))
                return false;
        }
        return true;
    }

    void put(Setting s, bool fits, std::vector<PlacedText>& out) const {
        std::vector<At> at;
        double level = 0, end = 0;
        geometry(s.height, s.advance, at, level, end);
        const std::int32_t advance = s.advance == s.height ? 0 : s.advance;
        for (std::size_t k = 0; k < cols_.size(); ++k) {
            const Col& c = cols_[k];
            const std::int32_t x = clamp32(std::round(at[k].x));
            const std::int32_t top = clamp32(std::round(at[k].top));
            if (at[k].honorific - level < 0.5) {
                out.push_back(
                    {c.which, c.merged.placed.text, x, top, s.height, advance, fits, false});
                continue;
            }
            out.push_back({c.which, c.name.placed.text, x, top, s.height, advance, fits, false});
            out.push_back({c.which, rest_.placed.text, x, clamp32(std::round(level)), s.height,
                           advance, fits, false});
        }
    }

    settings::CardLayout L_;
    QString face_;
    Column rest_; // the blank and the honorific
    std::vector<Col> cols_;
    double given_ = 0; // where name 1's given name starts, at the set size
    bool keepRight_ = false;
};

// `judge`: tell whether the texts fit even when they are not to be fitted.
TextPlan placeTexts(const CardInputs& in, bool judge) {
    // 様 spelt out is the default honorific.
    std::string_view ownHonorific = trimBlanks(in.honorific);
    if (ownHonorific == trimBlanks(honorific())) ownHonorific = {};
    std::vector<std::string_view> joint;
    for (const std::string& j : in.jointNames)
        if (joint.size() < 2 && !trimBlanks(j).empty()) joint.push_back(trimBlanks(j));
    // Rows with neither their own honorific nor joint names are drawn as they always were.
    const bool ownNames = !ownHonorific.empty() || !joint.empty();
    const bool measure = in.fitText || judge || ownNames;
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
        std::array<Column, 2> lines = {makeColumn(CardText::SenderAddress1, senderAddress(s[2]),
                                                  280, o - 600, 30, face, measure, pairs),
                                       makeColumn(CardText::SenderAddress2, senderAddress(s[3]),
                                                  250, o - 800, 30, face, measure, pairs)};
        Column remark = makeColumn(CardText::SenderRemark, text::toUnicode(s[6]), 70, o - 800, 22,
                                   face, measure);
        Column n1 = makeColumn(CardText::SenderName1, text::toUnicode(s[4]), 200, o - 800, 60, face,
                               measure);
        Column n2 = makeColumn(CardText::SenderName2, text::toUnicode(s[5]), 140,
                               wrapSub(o - 800, NameShift(s[4].size(), s[5].size(), 60)), 60, face,
                               measure);
        const std::vector<Place> places = {{280, o - 600, &senderZones},
                                           {250, o - 800, &senderZones}};
        placeLines(lines, places, in.fitText, floorsFor(30, kReadableSender), plan.sender, &zones);
        placeSingle(remark, senderZones, in.fitText, floorsFor(22, kReadableSender).last);
        placePair(n1.m.hasInk ? &n1 : nullptr, n2.m.hasInk ? &n2 : nullptr, senderZones, in.fitText,
                  kReadableSender, o - 800, false);
        for (Column* c : {&remark, &n1, &n2}) {
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
    std::array<Column, 2> lines = {
        makeColumn(CardText::Address1, addressText(in.address1), L.Address1X, L.Address1Y,
                   L.AddressSize, face, measure, pairs),
        makeColumn(CardText::Address2, addressText(in.address2), L.Address2X, L.Address2Y,
                   L.AddressSize, face, measure, pairs)};
    // Further places at the lines' spacing, right of the names.
    std::vector<Zone> beyond = zones;
    beyond.push_back({kNoBottom, double(L.NameX), kNoTop, kNoBottom});
    std::vector<Place> places = {{L.Address1X, L.Address1Y, &zones},
                                 {L.Address2X, L.Address2Y, &zones}};
    const std::int64_t spacing = std::int64_t(L.Address1X) - L.Address2X;
    if (L.AddressSize > 0 && spacing >= L.AddressSize)
        for (std::int64_t k = 1; k <= 2; ++k)
            if (const std::int64_t x = L.Address2X - k * spacing; x > 0)
                places.push_back({std::int32_t(x), L.Address2Y, &beyond});
    placeLines(lines, places, in.fitText, floorsFor(L.AddressSize, kReadableRecipient),
               plan.recipient);

    // Names. Blanks around a name do not move its honorific; a name 1 of blanks only still
    // draws the honorific alone, a name 2 of blanks only draws nothing.
    const std::string_view name1 =
        trimBlanks(in.name1).empty() ? std::string_view(in.name1) : trimBlanks(in.name1);
    const std::string_view name2 = trimBlanks(in.name2);
    const bool drawName1 = !in.name1.empty();
    const bool drawName2 = in.printName2 && !name2.empty();
    if (ownNames) {
        std::vector<NameGroup::Name> names;
        if (drawName1) names.push_back({CardText::Name1, text::toUnicode(name1), 0});
        int place = 1;
        if (drawName2)
            names.push_back({CardText::Name2, toVerticalText(text::toUnicode(name2)), place++});
        for (std::size_t j = 0; j < joint.size(); ++j)
            names.push_back({j == 0 ? CardText::JointName1 : CardText::JointName2,
                             toVerticalText(text::toUnicode(joint[j])), place++});
        const QString own =
            ownHonorific.empty() ? QStringLiteral(u"様") : text::toUnicode(ownHonorific);
        NameGroup(L, face, QStringLiteral(" ") + own, names)
            .place(zones, in.fitText, plan.recipient);
        return plan;
    }
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
              kReadableRecipient, kPostalBoxesBottom, true);
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
            if (!p.fits && std::find(out.begin(), out.end(), p.which) == out.end())
                out.push_back(p.which);
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
    case CardText::JointName1:
        return QStringLiteral("連名1");
    case CardText::JointName2:
        return QStringLiteral("連名2");
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
