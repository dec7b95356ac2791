#include "drawing/vertical_text.h"

#include "drawing/fonts.h"

#include <QColor>
#include <QCoreApplication>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <climits>
#include <cmath>
#include <hb-ot.h>
#include <hb.h>
#include <memory>
#include <unordered_map>

namespace rinova::drawing {

namespace {

// Anything larger cannot be meant; glyph rasterisers would choke on it.
constexpr double kMaxCellPx = 100000.0;
// A dash drawn as a bar: where it starts and ends down its cell, and its width, in cells.
constexpr double kBarFrom = 0.08, kBarTo = 0.92, kBarWidth = 0.07;
// A recorded pitch wider than this is not spacing any more.
constexpr double kMaxPitch = 10.0;
// Lengths are sums of scaled font units; a rounding error must not cost a whole card unit.
constexpr double kEndTolerance = 1e-6;

std::int32_t clampedInt32(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<std::int32_t>(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

struct CharInfo {
    bool usable = false;      // the face has a glyph with ink (or the character is a space)
    bool hasVertForm = false; // vertical shaping gives another glyph than the horizontal one
    // Dashes: the vertical glyph's ink is taller than wide (some faces map a dash onto another
    // flat glyph); the horizontal glyph's ink is wider than tall, so that turned it stands.
    bool vertFormStands = false;
    bool turnedStands = false;
};

// One font file opened for shaping, with the sized raw fonts Qt draws it with.
struct ShapeFace {
    QString family;
    hb_blob_t* blob = nullptr;
    hb_face_t* face = nullptr;
    hb_font_t* font = nullptr;
    double upem = 1000;
    double ascent = 880, descent = 120; // the em above and below the baseline, font units
    std::unordered_map<char32_t, CharInfo> chars;
    std::unordered_map<hb_codepoint_t, hb_glyph_extents_t> extents; // empty ones included
    QHash<qint64, QRawFont> raw;                                    // by em size in 1/64 pixel
    int qtAgrees = -1; // Qt's font for the family numbers glyphs as this file does

    ShapeFace() = default;
    ShapeFace(const ShapeFace&) = delete;
    ShapeFace& operator=(const ShapeFace&) = delete;
    ~ShapeFace() {
        hb_font_destroy(font);
        hb_face_destroy(face);
        hb_blob_destroy(blob);
    }
};

// Never destroyed at exit: the sized raw fonts in it own font engines that must go while Qt's
// font globals still exist, so the cache is emptied when the application object goes.
QHash<QString, std::shared_ptr<ShapeFace>>& faceCache() {
    static auto* const cache = [] {
        qAddPostRoutine(clearTextCaches);
        return new QHash<QString, std::shared_ptr<ShapeFace>>;
    }();
    return *cache;
}

hb_buffer_t* sharedBuffer() {
    static std::unique_ptr<hb_buffer_t, decltype(&hb_buffer_destroy)> buffer(hb_buffer_create(),
                                                                             hb_buffer_destroy);
    return buffer.get();
}

hb_language_t japanese() {
    static const hb_language_t ja = hb_language_from_string("ja", -1);
    return ja;
}

// Cached by family: a family always comes with the same file.
ShapeFace* shapeFace(const Font& font) {
    const QString& family = font.family;
    const FontFile& file = font.file;
    auto& cache = faceCache();
    auto it = cache.find(family);
    if (it != cache.end()) return it->get();
    std::shared_ptr<ShapeFace> f;
    if (!file.path.isEmpty()) {
        hb_blob_t* blob = hb_blob_create_from_file_or_fail(file.path.constData());
        if (blob) {
            f = std::make_shared<ShapeFace>();
            f->family = family;
            f->blob = blob;
            f->face = hb_face_create(blob, static_cast<unsigned>(file.index));
            f->font = hb_font_create(f->face);
            f->upem = std::max(1u, hb_face_get_upem(f->face));
            // Where the baseline lies within the em: ascender and descender of the face.
            hb_position_t a = 0, d = 0;
            hb_ot_metrics_get_position(f->font, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &a);
            hb_ot_metrics_get_position(f->font, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &d);
            if (a > 0 && d <= 0 && a - d > 0) {
                f->ascent = a;
                f->descent = -d;
            } else {
                f->ascent = 0.88 * f->upem;
                f->descent = 0.12 * f->upem;
            }
        }
    }
    ShapeFace* result = f.get();
    cache.insert(family, std::move(f));
    return result;
}

// Glyph ids from HarfBuzz are only meaningful to the same font file; Qt picks its font by
// family, so check once that both agree, and else draw from the file's own bytes.
bool qtAgrees(ShapeFace& f, const QRawFont& raw) {
    if (f.qtAgrees < 0) {
        bool same = raw.isValid();
        for (const char32_t c : {U'あ', U'漢', U'A', U'1'}) {
            hb_codepoint_t glyph = 0;
            if (!same || !hb_font_get_nominal_glyph(f.font, c, &glyph)) continue;
            const QList<quint32> ids = raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
            same = ids.size() == 1 && ids[0] == glyph;
        }
        f.qtAgrees = same ? 1 : 0;
    }
    return f.qtAgrees == 1;
}

QRawFont rawFont(ShapeFace& f, double emPx) {
    const qint64 key = std::llround(emPx * 64);
    auto it = f.raw.find(key);
    if (it != f.raw.end()) return *it;
    QFont font(f.family);
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(emPx))));
    QRawFont raw = QRawFont::fromFont(font);
    if (qtAgrees(f, raw)) {
        raw.setPixelSize(emPx);
    } else {
        unsigned length = 0;
        const char* data = hb_blob_get_data(f.blob, &length);
        raw = QRawFont(QByteArray(data, static_cast<qsizetype>(length)), emPx);
    }
    if (f.raw.size() > 64) f.raw.clear();
    f.raw.insert(key, raw);
    return raw;
}

bool isHalfWidth(char32_t c) {
    return (c >= 0x20 && c <= 0x7E) || (c >= 0xFF61 && c <= 0xFF9F);
}

// Characters that lie on their side in a column: a face without a vertical form for them gets
// its horizontal glyph turned clockwise.
bool turnsWithoutVerticalForm(char32_t c) {
    return (c >= 0x2010 && c <= 0x2015) || c == 0x2025 || c == 0x2026 ||
           (c >= 0x3008 && c <= 0x3011) || (c >= 0x3014 && c <= 0x301C) || c == 0x30A0 ||
           c == 0x30FC || c == 0xFF08 || c == 0xFF09 || c == 0xFF0D ||
           (c >= 0xFF1C && c <= 0xFF1E) || c == 0xFF3B || c == 0xFF3D || c == 0xFF3F ||
           (c >= 0xFF5B && c <= 0xFF5E) || c == 0xFFE3;
}

// Dashes, long-vowel marks and wave dashes: in a column each must stand as a vertical stroke,
// whatever the face makes of it.
bool isDashLike(char32_t c) {
    return (c >= 0x2010 && c <= 0x2015) || c == 0x2043 || c == 0x2053 || c == 0x2212 ||
           c == 0x223C || c == 0x2500 || c == 0x2501 || c == 0x2E3A || c == 0x2E3B || c == 0x301C ||
           c == 0x3030 || c == 0x30FC || c == 0xFE58 || c == 0xFE63 || c == 0xFF0D || c == 0xFF5E;
}

// Hyphens and minus signs between the numbers of an address read as one full-width dash in a
// column; their own glyphs are short ticks, some in half a cell.
bool isShortDash(char32_t c) {
    return (c >= 0x2010 && c <= 0x2013) || c == 0x2043 || c == 0x2212 || c == 0xFE63;
}

// Commas and stops sit in the top-right quarter of a vertical cell.
bool movesWithoutVerticalForm(char32_t c) {
    return c == 0x3001 || c == 0x3002 || c == 0xFF0C || c == 0xFF0E;
}

bool isSpaceLike(char32_t c) {
    if (c == 0x20 || c == 0x3000 || c == 0xA0 || (c >= 0x2000 && c <= 0x200F) || c == 0xFEFF)
        return true;
    return QChar::category(c) == QChar::Separator_Space;
}

// Joins the character before it: marks, variation selectors, joiners.
bool extendsCluster(char32_t c) {
    if ((c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) || c == 0x200D ||
        (c >= 0x1F3FB && c <= 0x1F3FF))
        return true;
    const QChar::Category cat = QChar::category(c);
    return cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining ||
           cat == QChar::Mark_Enclosing;
}

const CharInfo& charInfo(ShapeFace& f, char32_t c) {
    auto it = f.chars.find(c);
    if (it != f.chars.end()) return it->second;
    CharInfo info;
    hb_codepoint_t glyph = 0;
    if (hb_font_get_nominal_glyph(f.font, c, &glyph) && glyph != 0) {
        info.usable = true;
        if (!isSpaceLike(c)) {
            hb_glyph_extents_t ext{};
            if (!hb_font_get_glyph_extents(f.font, glyph, &ext) || ext.width == 0 ||
                ext.height == 0)
                info.usable = false;
        }
        if (info.usable &&
            (isDashLike(c) || turnsWithoutVerticalForm(c) || movesWithoutVerticalForm(c))) {
            hb_buffer_t* buf = sharedBuffer();
            hb_buffer_clear_contents(buf);
            hb_buffer_set_content_type(buf, HB_BUFFER_CONTENT_TYPE_UNICODE);
            hb_buffer_add(buf, c, 0);
            hb_buffer_set_direction(buf, HB_DIRECTION_TTB);
            hb_buffer_set_script(buf, HB_SCRIPT_HAN);
            hb_buffer_set_language(buf, japanese());
            hb_shape(f.font, buf, nullptr, 0);
            unsigned n = 0;
            const hb_glyph_info_t* out = hb_buffer_get_glyph_infos(buf, &n);
            info.hasVertForm = n == 1 && out[0].codepoint != glyph;
            hb_glyph_extents_t h{}, v{};
            hb_font_get_glyph_extents(f.font, glyph, &h);
            if (info.hasVertForm) hb_font_get_glyph_extents(f.font, out[0].codepoint, &v);
            info.vertFormStands = info.hasVertForm && -v.height > std::abs(v.width);
            info.turnedStands = std::abs(h.width) > -h.height;
        }
    }
    return f.chars.emplace(c, info).first->second;
}

// Code points of a UTF-16 text with the index of their first unit; lone surrogates become
// U+FFFD and C0 controls are dropped.
struct CodePoint {
    char32_t c;
    int index;
};

std::vector<CodePoint> codePoints(const QString& text) {
    std::vector<CodePoint> out;
    out.reserve(static_cast<std::size_t>(text.size()));
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        char32_t c = u;
        const int at = static_cast<int>(i);
        if (QChar::isHighSurrogate(u) && i + 1 < n &&
            QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            c = QChar::surrogateToUcs4(u, text.at(i + 1).unicode());
            ++i;
        } else if (QChar::isSurrogate(u)) {
            c = 0xFFFD;
        }
        if (c < 0x20 || c == 0x7F) continue;
        out.push_back({c, at});
    }
    return out;
}

bool isAsciiDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

// The half-width digits of the number that code point i belongs to, as [begin, end); empty
// when it is no digit.
std::pair<std::size_t, std::size_t> digitRun(const std::vector<CodePoint>& cps, std::size_t i) {
    if (!isAsciiDigit(cps[i].c)) return {i, i};
    std::size_t b = i, e = i + 1;
    while (b > 0 && isAsciiDigit(cps[b - 1].c))
        --b;
    while (e < cps.size() && isAsciiDigit(cps[e].c))
        ++e;
    return {b, e};
}

// A digit of a number short enough to stand side by side in one cell.
bool inDigitPair(const std::vector<CodePoint>& cps, std::size_t i) {
    const auto [b, e] = digitRun(cps, i);
    return e > b && e - b <= 2;
}

// In a column the short dashes become the full-width dash, and so does a half-width hyphen
// that stands among full-width text (一-二-三); one inside a run of half-width text turns with
// that run instead.
void standDashes(std::vector<CodePoint>& cps, bool digitPairs) {
    const auto turnsAlong = [&](std::size_t i) {
        const char32_t c = cps[i].c;
        return isHalfWidth(c) && c != U' ' && c != U'-' && !(digitPairs && inDigitPair(cps, i));
    };
    std::vector<bool> full(cps.size(), false);
    for (std::size_t i = 0; i < cps.size(); ++i) {
        if (isShortDash(cps[i].c)) {
            full[i] = true;
        } else if (cps[i].c == U'-') {
            std::size_t j = i, k = i + 1;
            while (j > 0 && cps[j - 1].c == U'-')
                --j;
            while (k < cps.size() && cps[k].c == U'-')
                ++k;
            full[i] = !(j > 0 && turnsAlong(j - 1)) && !(k < cps.size() && turnsAlong(k));
        }
    }
    for (std::size_t i = 0; i < cps.size(); ++i) {
        if (full[i]) cps[i].c = 0xFF0D;
        // The em dash of other code pages is the horizontal bar of code page 932, which faces
        // give a full cell.
        if (cps[i].c == 0x2014) cps[i].c = 0x2015;
    }
}

// A stretch of characters drawn with one face in one orientation.
struct Segment {
    std::size_t begin = 0, end = 0; // into the code points
    int face = 0;
    bool rotated = false;
    bool moved = false;
    bool bar = false;  // a dash no face stands upright: drawn as a bar of its own
    bool pair = false; // one or two digits upright side by side in one cell
};

struct LayoutContext {
    std::vector<ShapeFace*> faces; // the face first, then the fallbacks
};

LayoutContext contextFor(const QString& face) {
    LayoutContext ctx;
    const FontSet& fonts = fontSetFor(face);
    if (ShapeFace* f = shapeFace(fonts.primary)) ctx.faces.push_back(f);
    for (const Font& fallback : fonts.fallbacks)
        if (ShapeFace* f = shapeFace(fallback)) ctx.faces.push_back(f);
    return ctx;
}

// The first face that has every character of the cluster (variation selectors and joiners
// aside); else the first that has its base; else the face itself.
int faceForCluster(LayoutContext& ctx, const std::vector<CodePoint>& cps, std::size_t b,
                   std::size_t e) {
    for (std::size_t k = 0; k < ctx.faces.size(); ++k) {
        bool all = true;
        for (std::size_t i = b; i < e && all; ++i) {
            const char32_t c = cps[i].c;
            if (i > b &&
                ((c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) || c == 0x200D))
                continue;
            all = charInfo(*ctx.faces[k], c).usable;
        }
        if (all) return static_cast<int>(k);
    }
    for (std::size_t k = 0; k < ctx.faces.size(); ++k)
        if (charInfo(*ctx.faces[k], cps[b].c).usable) return static_cast<int>(k);
    return 0;
}

std::vector<Segment> segment(LayoutContext& ctx, const std::vector<CodePoint>& cps, bool vertical,
                             bool digitPairs) {
    std::vector<Segment> segments;
    std::size_t i = 0;
    while (i < cps.size()) {
        std::size_t e = i + 1;
        while (e < cps.size() && (extendsCluster(cps[e].c) || cps[e - 1].c == 0x200D))
            ++e;
        Segment s;
        s.begin = i;
        s.end = e;
        if (vertical && digitPairs && inDigitPair(cps, i)) {
            s.end = digitRun(cps, i).second;
            s.face = faceForCluster(ctx, cps, i, s.end);
            s.pair = true;
            segments.push_back(s);
            i = s.end;
            continue;
        }
        s.face = faceForCluster(ctx, cps, i, e);
        if (vertical) {
            const char32_t base = cps[i].c;
            if (isHalfWidth(base)) {
                s.rotated = true;
            } else if (isDashLike(base)) {
                const CharInfo& info = charInfo(*ctx.faces[static_cast<std::size_t>(s.face)], base);
                s.rotated = !info.vertFormStands && info.turnedStands;
                s.bar = !info.vertFormStands && !info.turnedStands;
            } else if (turnsWithoutVerticalForm(base) || movesWithoutVerticalForm(base)) {
                const CharInfo& info = charInfo(*ctx.faces[static_cast<std::size_t>(s.face)], base);
                if (!info.hasVertForm) {
                    s.rotated = turnsWithoutVerticalForm(base);
                    s.moved = !s.rotated;
                }
            }
        }
        if (!segments.empty() && !s.moved && !segments.back().moved && !s.bar &&
            !segments.back().bar && !segments.back().pair && segments.back().face == s.face &&
            segments.back().rotated == s.rotated)
            segments.back().end = e;
        else
            segments.push_back(s);
        i = e;
    }
    return segments;
}

// A text shaped once, in font units: shaping does not depend on the size, and every redraw
// (and the measure that fits a text before it) lays out the same texts again.
struct ShapedSegment {
    ShapeFace* face = nullptr; // lives in faceCache, which is only emptied with this cache
    bool rotated = false;
    bool moved = false;
    bool bar = false;  // one cell, no glyphs
    bool pair = false; // one cell, its glyphs shaped across
    std::vector<hb_glyph_info_t> infos;
    std::vector<hb_glyph_position_t> positions;
};

struct Shaped {
    std::vector<ShapedSegment> segments;
    bool blank = true; // every character is a blank
};

constexpr qsizetype kMaxShapedTexts = 2048;

QHash<QString, std::shared_ptr<const Shaped>>& shapedCache() {
    static auto* const cache = new QHash<QString, std::shared_ptr<const Shaped>>;
    return *cache;
}

// Nothing when no face can be opened.
std::shared_ptr<const Shaped> shaped(const QString& text, const QString& face, bool vertical,
                                     bool digitPairs) {
    digitPairs = digitPairs && vertical;
    QString key;
    key.reserve(face.size() + text.size() + 2);
    key += face;
    key += QChar(digitPairs ? u'\x03' : vertical ? u'\x01' : u'\x02');
    key += text;
    auto& cache = shapedCache();
    if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;

    LayoutContext ctx = contextFor(face);
    if (ctx.faces.empty()) return nullptr;
    std::vector<CodePoint> cps = codePoints(text);
    if (vertical) standDashes(cps, digitPairs);
    hb_buffer_t* buf = sharedBuffer();
    auto out = std::make_shared<Shaped>();
    out->blank =
        std::all_of(cps.begin(), cps.end(), [](const CodePoint& c) { return isSpaceLike(c.c); });
    for (const Segment& seg : segment(ctx, cps, vertical, digitPairs)) {
        ShapeFace& f = *ctx.faces[static_cast<std::size_t>(seg.face)];
        if (seg.bar) {
            ShapedSegment bar;
            bar.face = &f;
            bar.bar = true;
            out->segments.push_back(std::move(bar));
            continue;
        }
        hb_buffer_clear_contents(buf);
        hb_buffer_set_content_type(buf, HB_BUFFER_CONTENT_TYPE_UNICODE);
        for (std::size_t i = seg.begin; i < seg.end; ++i)
            hb_buffer_add(buf, cps[i].c, static_cast<unsigned>(cps[i].index));
        const bool ttb = vertical && !seg.rotated && !seg.pair;
        hb_buffer_set_direction(buf, ttb ? HB_DIRECTION_TTB : HB_DIRECTION_LTR);
        hb_buffer_set_language(buf, japanese());
        hb_buffer_guess_segment_properties(buf);
        // Punctuation alone has no script of its own, and faces file their vertical forms
        // under the Japanese scripts only.
        const hb_script_t script = hb_buffer_get_script(buf);
        if (ttb && (script == HB_SCRIPT_INVALID || script == HB_SCRIPT_COMMON ||
                    script == HB_SCRIPT_INHERITED || script == HB_SCRIPT_UNKNOWN))
            hb_buffer_set_script(buf, HB_SCRIPT_HAN);
        hb_shape(f.font, buf, nullptr, 0);
        unsigned n = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buf, &n);
        const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, &n);
        ShapedSegment shapedSeg;
        shapedSeg.face = &f;
        shapedSeg.rotated = seg.rotated;
        shapedSeg.moved = seg.moved;
        shapedSeg.bar = seg.bar;
        shapedSeg.pair = seg.pair;
        shapedSeg.infos.assign(infos, infos + n);
        shapedSeg.positions.assign(pos, pos + n);
        out->segments.push_back(std::move(shapedSeg));
    }
    if (cache.size() >= kMaxShapedTexts) cache.clear();
    cache.insert(key, out);
    return out;
}

const hb_glyph_extents_t& glyphExtents(ShapeFace& f, hb_codepoint_t glyph) {
    auto it = f.extents.find(glyph);
    if (it != f.extents.end()) return it->second;
    hb_glyph_extents_t ext{};
    if (!hb_font_get_glyph_extents(f.font, glyph, &ext)) ext = {};
    return f.extents.emplace(glyph, ext).first->second;
}

// Where one character's cell starts along the line and where its ink lies, at pitch 1.
struct ClusterInk {
    double start = 0;
    double inkFrom = 0, inkTo = 0; // along the line; empty when inkFrom >= inkTo

    // Takes in one glyph's ink from `from` to `to`.
    void widen(double from, double to) {
        if (inkFrom >= inkTo) {
            inkFrom = from;
            inkTo = to;
        } else {
            inkFrom = std::min(inkFrom, from);
            inkTo = std::max(inkTo, to);
        }
    }
};

// What a measure gathers instead of drawable runs: each character's place and, when asked,
// its ink.
struct Gather {
    bool inks = false;
    std::vector<ClusterInk> clusters;
    bool blank = true;
};

// Digits side by side in the column's cell that starts at `pen` (pixels at pitch 1): as large as
// the face sets them, narrowed to the cell when wider, centred across it and down it.
void layoutPair(const ShapedSegment& seg, double cellPx, double pen, double squeeze,
                TextLayout& result, Gather* gather) {
    ShapeFace& f = *seg.face;
    double width = 0; // font units
    for (const hb_glyph_position_t& p : seg.positions)
        width += p.x_advance;
    const double emPx = width > f.upem ? cellPx * f.upem / width : cellPx;
    const double scale = emPx / f.upem;
    const double top = pen - squeeze * pen;
    const double baseline = top + (cellPx - emPx) / 2 + emPx * f.ascent / (f.ascent + f.descent);
    double penX = -cellPx / 2 - width * scale / 2;
    if (gather) gather->clusters.push_back({pen, 0, 0});
    GlyphRunPart part;
    if (!gather) part.font = rawFont(f, emPx);
    part.family = f.family;
    for (std::size_t g = 0; g < seg.infos.size(); ++g) {
        const hb_glyph_position_t& p = seg.positions[g];
        const QPointF at(penX + p.x_offset * scale, baseline - p.y_offset * scale);
        penX += p.x_advance * scale;
        if (gather) {
            if (!gather->inks) continue;
            const hb_glyph_extents_t& ext = glyphExtents(f, seg.infos[g].codepoint);
            if (ext.width == 0 || ext.height == 0) continue;
            // Down the column at pitch 1.
            const double from = at.y() + squeeze * pen - ext.y_bearing * scale;
            const double to = from - ext.height * scale;
            gather->clusters.back().widen(from, to);
            continue;
        }
        part.glyphs.append(seg.infos[g].codepoint);
        part.positions.append(at);
        part.clusters.append(static_cast<int>(seg.infos[g].cluster));
    }
    if (part.font.isValid() && !part.glyphs.isEmpty()) result.runs.push_back(std::move(part));
}

// `pitch` scales the distance of each character's cell from the start of the line; glyphs keep
// their size and their place within the cell, so a character of several glyphs stays whole.
// With `gather` nothing is made for drawing.
TextLayout layout(const QString& text, const QString& face, double cellPx, bool vertical,
                  double pitch, bool digitPairs = false, Gather* gather = nullptr) {
    TextLayout result;
    result.vertical = vertical;
    if (!std::isfinite(cellPx) || cellPx <= 0 || cellPx > kMaxCellPx) return result;
    if (!std::isfinite(pitch) || pitch <= 0) pitch = 1;
    result.cell = cellPx;
    const std::shared_ptr<const Shaped> shapedText = shaped(text, face, vertical, digitPairs);
    if (!shapedText) return result;
    if (gather) gather->blank = shapedText->blank;
    double pen = 0;       // pixels along the line, at pitch 1
    double lastStart = 0; // where the last character's cell starts, at pitch 1
    // How far a place at pitch 1 moves up the line when its character starts at `start`.
    const double squeeze = 1 - pitch;

    for (const ShapedSegment& seg : shapedText->segments) {
        if (seg.bar) {
            // A stroke down the middle of one cell, as a face's own vertical dash stands.
            lastStart = pen;
            const double from = pen + kBarFrom * cellPx, to = pen + kBarTo * cellPx;
            if (gather)
                gather->clusters.push_back({pen, from, to});
            else
                result.bars.push_back(QRectF(-cellPx * (1 + kBarWidth) / 2, from - squeeze * pen,
                                             cellPx * kBarWidth, to - from));
            pen += cellPx;
            continue;
        }
        if (seg.pair) {
            layoutPair(seg, cellPx, pen, squeeze, result, gather);
            lastStart = pen;
            pen += cellPx;
            continue;
        }
        ShapeFace& f = *seg.face;
        // The cell height is the em, as in the faces the card was made for (their ascent and
        // descent add up to the em): a full-width character advances one cell down a column,
        // which is what the card's layout counts on.
        const double emPx = cellPx;
        const double scale = emPx / f.upem;
        const double descentPx = cellPx * f.descent / (f.ascent + f.descent);
        const bool ttb = vertical && !seg.rotated;
        const unsigned n = static_cast<unsigned>(seg.infos.size());
        const hb_glyph_info_t* infos = seg.infos.data();
        const hb_glyph_position_t* pos = seg.positions.data();

        GlyphRunPart part;
        if (!gather) part.font = rawFont(f, emPx);
        part.family = f.family;
        part.rotated = seg.rotated;
        part.glyphs.reserve(static_cast<qsizetype>(n));
        part.positions.reserve(static_cast<qsizetype>(n));
        part.clusters.reserve(static_cast<qsizetype>(n));
        double penX = 0, penY = 0; // font units, y up
        double clusterStart = 0;   // pixels from the segment's start, at pitch 1
        for (unsigned g = 0; g < n; ++g) {
            const double along = ttb ? -penY * scale : penX * scale;
            if (g == 0 || infos[g].cluster != infos[g - 1].cluster) {
                clusterStart = along;
                lastStart = pen + along;
                if (gather) gather->clusters.push_back({pen + along, 0, 0});
            }
            const double gx = (penX + pos[g].x_offset) * scale;
            const double gy = -(penY + pos[g].y_offset) * scale;
            QPointF at;
            if (ttb) {
                at = QPointF(-cellPx / 2 + gx, pen + gy - squeeze * (pen + clusterStart));
                if (seg.moved) // the horizontal glyph's ink sits low left; lift it to the top right
                    at += QPointF(0.6 * emPx, -0.6 * emPx);
            } else if (vertical) {
                at = QPointF(gx - squeeze * clusterStart, gy);
            } else {
                at = QPointF(pen + gx - squeeze * (pen + clusterStart), cellPx - descentPx + gy);
            }
            if (gather) {
                penX += pos[g].x_advance;
                penY += pos[g].y_advance;
                if (!gather->inks) continue;
                const hb_glyph_extents_t& ext = glyphExtents(f, infos[g].codepoint);
                if (ext.width != 0 && ext.height != 0) {
                    // Along the line at pitch 1: down a column, or along a (turned) baseline.
                    double from, to;
                    if (ttb) {
                        const double y = at.y() + squeeze * (pen + clusterStart);
                        from = y - ext.y_bearing * scale;
                        to = y - (ext.y_bearing + ext.height) * scale;
                    } else {
                        const double x =
                            (vertical ? pen + gx : at.x() + squeeze * (pen + clusterStart));
                        from = x + ext.x_bearing * scale;
                        to = x + (ext.x_bearing + ext.width) * scale;
                    }
                    if (from > to) std::swap(from, to);
                    gather->clusters.back().widen(from, to);
                }
                continue;
            }
            part.glyphs.append(infos[g].codepoint);
            part.positions.append(at);
            part.clusters.append(static_cast<int>(infos[g].cluster));
            penX += pos[g].x_advance;
            penY += pos[g].y_advance;
        }
        if (vertical && seg.rotated) {
            part.origin = QPointF(-cellPx + descentPx, pen - squeeze * pen);
            pen += penX * scale;
        } else if (ttb) {
            pen += -penY * scale;
        } else {
            pen += penX * scale;
        }
        if (part.font.isValid() && !part.glyphs.isEmpty()) result.runs.push_back(std::move(part));
    }
    // The last character's cell keeps its length; only the places of the cells move up.
    result.advance = pen - squeeze * lastStart;
    return result;
}

} // namespace

TextLayout layoutColumn(const QString& text, const QString& face, double cellPx, double pitch,
                        bool digitPairs) {
    return layout(text, face, cellPx, true, pitch, digitPairs);
}

TextLayout layoutLine(const QString& text, const QString& face, double cellPx, double pitch) {
    return layout(text, face, cellPx, false, pitch);
}

ColumnMetrics measureColumn(const QString& text, const QString& face, double cellPx, double gapPx,
                            bool withPitch, bool digitPairs) {
    Gather gather;
    gather.inks = withPitch;
    const TextLayout lay = layout(text, face, cellPx, true, 1, digitPairs, &gather);
    const std::vector<ClusterInk>& inks = gather.clusters;
    ColumnMetrics m;
    m.length = lay.advance;
    m.hasInk = !gather.blank;
    if (!inks.empty()) m.lastStart = inks.back().start;
    if (!withPitch) {
        m.minPitch = 1;
        return m;
    }
    // At pitch p a character starting at s moves to p * s; its ink keeps its offset from there.
    // Neighbours with ink keep gapPx between them when p * (s2 - s1) >= gap + (to1 - s1) -
    // (from2 - s2).
    const ClusterInk* prev = nullptr;
    double minPitch = 0;
    for (const ClusterInk& c : inks) {
        if (c.inkFrom >= c.inkTo) continue;
        if (prev && c.start > prev->start) {
            const double need = (gapPx + (prev->inkTo - prev->start) - (c.inkFrom - c.start)) /
                                (c.start - prev->start);
            minPitch = std::max(minPitch, need);
        }
        prev = &c;
    }
    m.minPitch = std::min(1.0, minPitch);
    return m;
}

namespace {

// Qt keeps some glyphs (bitmap strikes, faces with unreliable outlines) as images in its glyph
// cache whatever their size, and a glyph tens of thousands of pixels tall then needs gigabytes.
// Beyond any size a card shows whole, glyphs are filled as outlines instead. PDF and printer
// pages keep glyphs as text at any size, so their fonts stay embedded and pages stay small.
constexpr double kLargestCachedGlyphPx = 1024;

bool keepsGlyphsAsText(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    return engine && engine->type() == QPaintEngine::Pdf;
}

void drawRun(QPainter& painter, QPointF at, const GlyphRunPart& part) {
    // A size the font engine could not take (FreeType stops at 65535 pixels per em) leaves the
    // raw font without one; Qt would then cache its glyphs at any size.
    const double px = part.font.pixelSize();
    if (!(px > 0)) return;
    if (px <= kLargestCachedGlyphPx || keepsGlyphsAsText(painter)) {
        QGlyphRun run;
        run.setRawFont(part.font);
        run.setGlyphIndexes(part.glyphs);
        run.setPositions(part.positions);
        painter.drawGlyphRun(at, run);
        return;
    }
    QPainterPath outline;
    for (qsizetype i = 0; i < part.glyphs.size() && i < part.positions.size(); ++i)
        outline.addPath(part.font.pathForGlyph(part.glyphs[i]).translated(at + part.positions[i]));
    painter.fillPath(outline, painter.pen().color());
}

} // namespace

void drawLayout(QPainter& painter, const TextLayout& layout, QPointF reference) {
    for (const QRectF& bar : layout.bars)
        painter.fillRect(bar.translated(reference), painter.pen().color());
    for (const GlyphRunPart& part : layout.runs) {
        if (!part.rotated) {
            drawRun(painter, reference, part);
            continue;
        }
        painter.save();
        painter.translate(reference + part.origin);
        painter.rotate(90);
        drawRun(painter, QPointF(0, 0), part);
        painter.restore();
    }
}

double cellUnits(const TextOp& op) {
    // A zero height asks for the default size; a negative one gives the em, which is the cell
    // here.
    return op.font.height == 0 ? 40.0 : std::abs(double(op.font.height));
}

double pitchOf(const TextOp& op) {
    if (op.advance <= 0) return 1;
    return std::min(kMaxPitch, op.advance / cellUnits(op));
}

std::int32_t columnEndAt(double y, double length) {
    return clampedInt32(std::floor(y - length + kEndTolerance));
}

std::int32_t columnEnd(const TextOp& op) {
    return columnEndAt(
        op.y,
        layoutColumn(op.text, faceOf(op.font), cellUnits(op), pitchOf(op), op.digitPairs).advance);
}

void drawTextOp(QPainter& painter, const TextOp& op, QPointF reference, double pxPerUnitY) {
    if (op.text.isEmpty()) return;
    const QString face = faceOf(op.font);
    const double units = cellUnits(op);
    const double cellPx = units * pxPerUnitY;
    const bool column =
        op.font.escapement == 900 && (face.isEmpty() || face.startsWith(QLatin1Char('@')));
    const double pitch = pitchOf(op);
    const TextLayout lay = column ? layoutColumn(op.text, face, cellPx, pitch, op.digitPairs)
                                  : layoutLine(op.text, face, cellPx, pitch);
    if (lay.runs.empty() && lay.bars.empty() && !op.background) return;

    painter.save();
    painter.translate(reference);
    if (!column && op.font.escapement % 3600 != 0) painter.rotate(-(op.font.escapement / 10.0));
    if (op.background) {
        const QRectF cell = column ? QRectF(-lay.cell, 0, lay.cell, lay.advance)
                                   : QRectF(0, 0, lay.advance, lay.cell);
        painter.fillRect(cell, QColor(QRgb(*op.background)));
    }
    painter.setPen(QColor(QRgb(op.color)));
    drawLayout(painter, lay, QPointF(0, 0));
    painter.restore();
}

void clearTextCaches() {
    shapedCache().clear(); // it points into the faces
    faceCache().clear();
}

} // namespace rinova::drawing
