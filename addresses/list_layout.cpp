#include "addresses/list_layout.h"

#include "text/cp932.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <array>
#include <charconv>

namespace rinova::addresses {
namespace {

// A title as it is compared: compatibility forms folded (full-width letters and digits become
// half-width), blanks removed, letters in lower case.
QString folded(std::string_view title) {
    static const QRegularExpression blanks(QStringLiteral("\\s"));
    QString t = text::toUnicode(title).normalized(QString::NormalizationForm_KC);
    t.remove(blanks);
    return t.toLower();
}

// What a title stands for: the columns it may fill, in order of preference (the first free one
// is taken), or a column whose parts it is (joined in the fields' order), or a field that is
// understood but not shown.
struct Title {
    const char16_t* text;
    std::array<int, 3> columns; // 0 ends the list
    bool part = false;          // one part of its column: taken even when the column is taken
};

constexpr int kKnownOnly = -1; // understood, fills nothing

// clang-format off
const Title kTitles[] = {
    {u"名前", {Name1Column}}, {u"名前1", {Name1Column}}, {u"氏名", {Name1Column}},
    {u"氏名1", {Name1Column}}, {u"お名前", {Name1Column}}, {u"宛名", {Name1Column}},
    {u"宛名1", {Name1Column}}, {u"姓名", {Name1Column}}, {u"name", {Name1Column}},
    {u"name1", {Name1Column}}, {u"fullname", {Name1Column}},
    {u"姓", {Name1Column}, true}, {u"名字", {Name1Column}, true}, {u"苗字", {Name1Column}, true},
    {u"名", {Name1Column}, true}, {u"下の名前", {Name1Column}, true},
    {u"名前2", {Name2Column}}, {u"氏名2", {Name2Column}}, {u"宛名2", {Name2Column}},
    {u"name2", {Name2Column}},
    {u"連名", {Name2Column, Joint1Column, Joint2Column}},
    {u"連名1", {Joint1Column}}, {u"連名2", {Joint2Column}},
    {u"敬称", {HonorificColumn}},
    {u"郵便番号", {PostalColumn}}, {u"〒", {PostalColumn}}, {u"郵便", {PostalColumn}},
    {u"〒番号", {PostalColumn}}, {u"zip", {PostalColumn}}, {u"zipcode", {PostalColumn}},
    {u"postal", {PostalColumn}}, {u"postalcode", {PostalColumn}}, {u"postcode", {PostalColumn}},
    {u"住所", {Address1Column, Address2Column}}, {u"address", {Address1Column, Address2Column}},
    {u"住所1", {Address1Column}}, {u"address1", {Address1Column}},
    {u"都道府県", {Address1Column}, true}, {u"市区町村", {Address1Column}, true},
    {u"市町村", {Address1Column}, true}, {u"町名", {Address1Column}, true},
    {u"町域", {Address1Column}, true}, {u"番地", {Address1Column}, true},
    {u"丁目番地", {Address1Column}, true}, {u"町名番地", {Address1Column}, true},
    {u"住所2", {Address2Column}, true}, {u"住所3", {Address2Column}, true},
    {u"建物", {Address2Column}, true}, {u"建物名", {Address2Column}, true},
    {u"建物名・部屋番号", {Address2Column}, true}, {u"マンション名", {Address2Column}, true},
    {u"ビル名", {Address2Column}, true}, {u"部屋番号", {Address2Column}, true},
    {u"address2", {Address2Column}, true}, {u"address3", {Address2Column}, true},
    {u"備考", {RemarkColumn}}, {u"メモ", {RemarkColumn}}, {u"コメント", {RemarkColumn}},
    {u"note", {RemarkColumn}}, {u"notes", {RemarkColumn}}, {u"memo", {RemarkColumn}},
    {u"remark", {RemarkColumn}},
    {u"印刷", {PrintColumn}}, {u"印刷する", {PrintColumn}}, {u"送付", {PrintColumn}},
    {u"print", {PrintColumn}},
    {u"番号", {kKnownOnly}}, {u"no", {kKnownOnly}}, {u"no.", {kKnownOnly}},
    {u"id", {kKnownOnly}}, {u"通し番号", {kKnownOnly}}, {u"連名3", {kKnownOnly}},
    {u"フリガナ", {kKnownOnly}}, {u"ふりがな", {kKnownOnly}}, {u"よみがな", {kKnownOnly}},
    {u"読み", {kKnownOnly}}, {u"カナ", {kKnownOnly}}, {u"電話", {kKnownOnly}},
    {u"電話番号", {kKnownOnly}}, {u"tel", {kKnownOnly}}, {u"fax", {kKnownOnly}},
    {u"携帯", {kKnownOnly}}, {u"携帯電話", {kKnownOnly}}, {u"メール", {kKnownOnly}},
    {u"メールアドレス", {kKnownOnly}}, {u"e-mail", {kKnownOnly}}, {u"email", {kKnownOnly}},
    {u"誕生日", {kKnownOnly}}, {u"生年月日", {kKnownOnly}}, {u"グループ", {kKnownOnly}},
    {u"分類", {kKnownOnly}}, {u"性別", {kKnownOnly}}, {u"続柄", {kKnownOnly}},
};
// clang-format on

const Title* findTitle(std::string_view title) {
    const QString t = folded(title);
    if (t.isEmpty()) return nullptr;
    for (const Title& known : kTitles)
        if (t == QStringView(known.text)) return &known;
    return nullptr;
}

// Digits, half- or full-width, in a field.
int digits(std::string_view s) {
    const QString t = text::toUnicode(s);
    return static_cast<int>(std::count_if(t.begin(), t.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９');
    }));
}

bool isEmptyPart(std::string_view part) {
    return part.empty() || part == " ";
}

} // namespace

QString columnTitle(int column) {
    static const char16_t* const kGridTitles[kAllColumns] = {u"番号",  u"名前1", u"名前2", u"〒",
                                                             u"住所1", u"住所2", u"備考",  u"敬称",
                                                             u"連名1", u"連名2", u"印刷"};
    return column >= 0 && column < kAllColumns ? QString::fromUtf16(kGridTitles[column])
                                               : QString();
}

ListLayout ListLayout::positional() {
    ListLayout l;
    l.fields = {Name1Column,    Name2Column,    PostalColumn,
                Address1Column, Address2Column, RemarkColumn};
    return l;
}

bool ListLayout::hasColumn(int column) const {
    return partsOf(column) > 0;
}

int ListLayout::partsOf(int column) const {
    return static_cast<int>(std::count(fields.begin(), fields.end(), column));
}

int columnForTitle(std::string_view title) {
    const Title* t = findTitle(title);
    return t && t->columns[0] > 0 ? t->columns[0] : 0;
}

HeaderReading readHeader(const std::vector<std::string>& titles) {
    HeaderReading r;
    r.layout.header = true;
    r.layout.titles = titles;
    int known = 0, unknown = 0;
    bool anyDigit = false, number = false;
    for (const std::string& title : titles) {
        const int d = digits(title);
        anyDigit = anyDigit || d > 0;
        number = number || d >= 3; // a postal code or a house number: an address, not a title
        const Title* t = findTitle(title);
        int column = 0;
        if (!t) {
            if (!folded(title).isEmpty()) ++unknown;
        } else {
            ++known;
            for (int c : t->columns) {
                if (c <= 0) break;
                if (t->part || !r.layout.hasColumn(c)) {
                    column = c;
                    break;
                }
            }
        }
        r.layout.fields.push_back(column);
    }
    r.header = !number && (known >= 2 || (known == 1 && titles.size() == 1));
    r.maybe = !r.header && known == 1 && !anyDigit;
    r.complete = r.header && unknown == 0 && r.layout.hasColumn(Name1Column);
    return r;
}

std::string_view partSeparator(int column) {
    return column == Name1Column || column == Name2Column || column == Joint1Column ||
                   column == Joint2Column
               ? std::string_view("\x81\x40", 2)
               : std::string_view();
}

std::string joinParts(int column, const std::vector<std::string_view>& parts) {
    if (parts.empty()) return {};
    if (parts.size() == 1) return std::string(parts.front());
    const std::string_view sep = partSeparator(column);
    std::string out;
    bool any = false;
    for (std::string_view p : parts) {
        if (isEmptyPart(p)) continue;
        if (any) out += sep;
        out += p;
        any = true;
    }
    return any ? out : std::string(" ");
}

std::vector<std::string> splitParts(int column, std::string_view value, std::size_t count,
                                    const std::vector<std::string>& original) {
    std::vector<std::string> parts(count, std::string(" "));
    if (count == 0) return parts;
    if (count == 1 || isEmptyPart(value)) {
        parts[0] = std::string(value.empty() ? " " : value);
        return parts;
    }
    const auto joins = [&](const std::vector<std::string>& p) {
        std::vector<std::string_view> views(p.begin(), p.end());
        return joinParts(column, views) == value;
    };
    if (original.size() == count && joins(original)) return original;

    const std::string_view sep = partSeparator(column);
    std::string_view rest = value;
    std::size_t i = 0;
    // The original parts that still begin the value stay as they were.
    for (; i + 1 < count && i < original.size(); ++i) {
        const std::string& o = original[i];
        if (isEmptyPart(o) || !rest.starts_with(o)) break;
        std::string_view after = rest.substr(o.size());
        if (!sep.empty()) {
            if (!after.empty() && !after.starts_with(sep)) break;
            if (!after.empty()) after.remove_prefix(sep.size());
        }
        parts[i] = o;
        rest = after;
    }
    // The rest: a name at its spaces, an address whole in the next part.
    for (; i < count && !rest.empty(); ++i) {
        const std::size_t at =
            sep.empty() || i + 1 == count ? std::string_view::npos : rest.find(sep);
        parts[i] = std::string(rest.substr(0, at));
        rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + sep.size());
    }
    if (joins(parts)) return parts;
    std::vector<std::string> whole(count, std::string(" "));
    whole[0] = std::string(value);
    return whole;
}

std::string choiceText(const ListLayout& layout) {
    if (!layout.header) return "-";
    std::string out;
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        if (i) out += ',';
        out += std::to_string(layout.fields[i]);
    }
    return out;
}

std::optional<ListLayout> layoutFromChoice(std::string_view text) {
    if (text == "-") return ListLayout::positional();
    ListLayout layout;
    layout.header = true;
    std::size_t from = 0;
    while (!text.empty() && from <= text.size()) {
        std::size_t comma = text.find(',', from);
        if (comma == std::string_view::npos) comma = text.size();
        const std::string_view item = text.substr(from, comma - from);
        int column = -1;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), column);
        if (error != std::errc() || end != item.data() + item.size() || column < 0 ||
            column >= kAllColumns)
            return std::nullopt;
        layout.fields.push_back(column);
        from = comma + 1;
    }
    if (layout.fields.empty()) return std::nullopt;
    return layout;
}

std::string headerText(const std::vector<std::string>& titles) {
    std::string out;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (i) out += ',';
        out += titles[i];
    }
    return out;
}

bool isBlankCell(std::string_view cell) {
    for (std::size_t i = 0; i < cell.size(); i += text::charLength(cell, i)) {
        const auto b = static_cast<unsigned char>(cell[i]);
        const bool fullWidthSpace =
            b == 0x81 && i + 1 < cell.size() && static_cast<unsigned char>(cell[i + 1]) == 0x40;
        if (b > 0x20 && !fullWidthSpace) return false;
    }
    return true;
}

bool printMarkOff(std::string_view cell) {
    if (isBlankCell(cell)) return false;
    static const char16_t* const kOff[] = {u"しない", u"×",      u"✕",    u"x",    u"0",  u"no",
                                           u"false",  u"いいえ", u"不要", u"なし", u"無", u"off"};
    const QString t = folded(cell);
    return std::any_of(std::begin(kOff), std::end(kOff),
                       [&](const char16_t* off) { return t == QStringView(off); });
}

} // namespace rinova::addresses
