#include "postal/directory.h"

#include "files/file_read.h"
#include "postal/address_text.h"
#include "postal/euc_jis_2004.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <algorithm>

namespace rinova::postal {
namespace {

constexpr std::uint16_t kNoCity = 0xFFFF;
constexpr std::uint64_t kLargestDictionary = 64u << 20;
constexpr const char* kAreaFile = "SKK-JISYO.zipcode";
constexpr const char* kBusinessFile = "SKK-JISYO.office.zipcode";

QStringView view(const std::u16string& s, std::size_t start, std::size_t length) {
    return QStringView(s.data() + start, qsizetype(length));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// 7 ASCII digits as a number, or -1.
long codeNumber(QStringView digits) {
    if (digits.size() != 7) return -1;
    long n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

QString codeText(std::uint32_t code) {
    return QStringLiteral("%1").arg(code, 7, 10, QLatin1Char('0'));
}

// "Time-stamp: <04 May 2022>" (or an ISO date) in a comment line.
QDate stampDate(std::string_view line) {
    const std::size_t at = line.find("Time-stamp: <");
    if (at == std::string_view::npos) return {};
    const std::size_t from = at + 13, to = line.find('>', from);
    if (to == std::string_view::npos || to - from > 40) return {};
    const QStringList words = QString::fromLatin1(line.data() + from, qsizetype(to - from))
                                  .split(u' ', Qt::SkipEmptyParts);
    const QLocale c = QLocale::c();
    const QDate day = c.toDate(words.mid(0, 3).join(u' '), QStringLiteral("d MMM yyyy"));
    return day.isValid() ? day : c.toDate(words.value(0), QStringLiteral("yyyy-MM-dd"));
}

// The comparison form of a town for matching: without a leading 字, and up to the first
// parenthesis the data leaves in building names; a business's street address up to its numbers.
QString townKey(QStringView town, bool business) {
    QString key = comparisonForm(town);
    if (key.startsWith(u'字')) key.remove(0, 1);
    qsizetype end = key.size();
    for (qsizetype i = 0; i < key.size() && end == key.size(); ++i)
        if (key[i] == u'(' || key[i] == u')' || (business && key[i].isDigit())) end = i;
    key.truncate(end);
    return key;
}

// The name at the end of a town the data writes with its street (京都's 河原町通御池下る
// 下丸屋町), which lists often give alone; empty for other towns.
QString streetTownTail(const QString& town) {
    if (!town.contains(u'通')) return {};
    const qsizetype at = std::max(town.lastIndexOf(u'る'), town.lastIndexOf(u'入'));
    return at > 0 && at + 1 < town.size() ? town.mid(at + 1) : QString();
}

QString restKey(QStringView rest) {
    return rest.startsWith(u'字') ? rest.sliced(1).toString() : rest.toString();
}

// Where the rest of the comparison form `key` begins after prefecture and city, or -1: the
// prefecture may be left out, and so may a 郡.
qsizetype cityEndIn(const QString& key, QStringView prefecture, const QString& city,
                    const QString& cityWithoutGun) {
    qsizetype best = -1;
    for (const QString* name : {&city, &cityWithoutGun}) {
        if (name->isEmpty()) continue;
        if (key.startsWith(prefecture) &&
            QStringView(key).sliced(prefecture.size()).startsWith(*name))
            best = std::max(best, prefecture.size() + name->size());
        else if (key.startsWith(*name))
            best = std::max(best, name->size());
    }
    return best;
}

// The 郡 before a 町 or 村 (not the 郡 inside a city's name such as 郡山市).
qsizetype gunLength(QStringView city) {
    const qsizetype gun = city.indexOf(u'郡');
    const bool townOrVillage = city.endsWith(u'町') || city.endsWith(u'村');
    return townOrVillage && gun > 0 && gun + 1 < city.size() ? gun + 1 : 0;
}

// Calls piece(std::string_view) for each piece of the text between separators; a separator at
// the very end starts no further piece.
template <class Fn> void forEachPiece(std::string_view text, char separator, Fn&& piece) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(separator, pos);
        if (end == std::string_view::npos) end = text.size();
        piece(text.substr(pos, end - pos));
        pos = end + 1;
    }
}

} // namespace

Directory::Read Directory::addDictionary(std::string_view bytes, Kind kind) {
    Read read;
    std::u16string decoded;
    forEachPiece(bytes, '\n', [&](std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && line.front() == ';') {
            if (!read.date.isValid()) read.date = stampDate(line);
            return;
        }
        if (line.size() < 9 || line[7] != ' ' || line[8] != '/' ||
            !std::all_of(line.begin(), line.begin() + 7, isDigit))
            return;
        std::uint32_t code = 0;
        for (int i = 0; i < 7; ++i)
            code = code * 10 + static_cast<std::uint32_t>(line[i] - '0');
        bool any = false;
        forEachPiece(line.substr(9), '/', [&](std::string_view candidate) {
            // An annotation follows ";"; a candidate in parentheses is an expression, not text.
            candidate = candidate.substr(0, candidate.find(';'));
            if (candidate.empty() || candidate.front() == '(') return;
            decoded.clear();
            appendEucJis2004(candidate, decoded);
            Record r{code, 0, 0, 0, 0, kNoCity, kind == Kind::Business};
            std::size_t name = 0, nameLength = 0, address = 0;
            if (r.business) {
                const std::size_t at = decoded.find(u" @ ");
                if (at != std::u16string::npos) {
                    nameLength = at;
                    address = at + 3;
                }
            }
            const std::size_t addressLength = decoded.size() - address;
            if (addressLength == 0 || addressLength > 0xFFFF || nameLength > 0xFFFF ||
                pool_.size() + decoded.size() > 0xFFFFFFFFu)
                return;
            r.start = static_cast<std::uint32_t>(pool_.size() + address);
            r.length = static_cast<std::uint16_t>(addressLength);
            r.name = static_cast<std::uint32_t>(pool_.size() + name);
            r.nameLength = static_cast<std::uint16_t>(nameLength);
            pool_ += decoded;
            records_.push_back(r);
            any = true;
        });
        if (any) ++read.codes;
    });
    return read;
}

QStringView Directory::text(std::uint32_t start, std::uint16_t length) const {
    return view(pool_, start, length);
}

void Directory::assignCities() {
    cities_.clear();
    QHash<QStringView, std::uint16_t> byName;
    std::size_t longest = 0;
    const auto name = [&](const City& c) { return text(c.start, c.length); };
    const auto add = [&](QStringView address, qsizetype length) -> std::uint16_t {
        const QStringView full = address.first(length);
        if (const auto it = byName.constFind(full); it != byName.constEnd()) return *it;
        const int prefecture = prefectureAt(full);
        if (cities_.size() >= kNoCity || prefecture < 0) return kNoCity;
        const QStringView city = full.sliced(prefectureName(prefecture).size());
        City c{static_cast<std::uint8_t>(prefecture),
               static_cast<std::uint32_t>(full.utf16() - pool_.data()),
               static_cast<std::uint16_t>(length),
               static_cast<std::uint16_t>(gunLength(city)),
               false,
               comparisonForm(city),
               {},
               {}};
        if (c.gunLength) c.keyWithoutGun = comparisonForm(city.sliced(c.gunLength));
        const auto id = static_cast<std::uint16_t>(cities_.size());
        cities_.push_back(std::move(c));
        byName.insert(full, id);
        longest = std::max(longest, std::size_t(length));
        return id;
    };
    // The data names each city once on its own, under a code that ends in 00.
    for (const Record& r : records_)
        if (!r.business && r.code % 100 == 0) add(text(r.start, r.length), r.length);
    // A name that begins another comes right before the names it begins, in sorted order.
    std::vector<std::uint16_t> sorted(cities_.size());
    for (std::size_t i = 0; i < sorted.size(); ++i)
        sorted[i] = static_cast<std::uint16_t>(i);
    std::sort(sorted.begin(), sorted.end(), [&](std::uint16_t a, std::uint16_t b) {
        return name(cities_[a]) < name(cities_[b]);
    });
    for (std::size_t i = 0; i + 1 < sorted.size(); ++i)
        cities_[sorted[i]].hasLonger =
            name(cities_[sorted[i + 1]]).startsWith(name(cities_[sorted[i]]));

    // Each place takes the longest city its address begins with, most often the one before it;
    // a city the data does not name on its own (a village with one code) is found by the rules.
    std::uint16_t last = kNoCity;
    for (Record& r : records_) {
        const QStringView address = text(r.start, r.length);
        if (last != kNoCity && !cities_[last].hasLonger &&
            address.startsWith(name(cities_[last]))) {
            r.city = last;
            continue;
        }
        r.city = kNoCity;
        const int prefecture = prefectureAt(address);
        if (prefecture < 0) continue;
        const qsizetype prefectureLength = prefectureName(prefecture).size();
        for (qsizetype k = std::min<qsizetype>(address.size(), qsizetype(longest));
             k > prefectureLength && r.city == kNoCity; --k)
            if (const auto it = byName.constFind(address.first(k)); it != byName.constEnd())
                r.city = *it;
        if (r.city == kNoCity) {
            const qsizetype byRule = cityLengthByRule(address.sliced(prefectureLength));
            const std::size_t before = cities_.size();
            if (byRule > 0) r.city = add(address, prefectureLength + byRule);
            if (cities_.size() > before)
                for (City& other : cities_) {
                    const QStringView added = name(cities_.back()), otherName = name(other);
                    if (&other == &cities_.back()) continue;
                    if (added.size() > otherName.size() && added.startsWith(otherName))
                        other.hasLonger = true;
                    if (otherName.size() > added.size() && otherName.startsWith(added))
                        cities_.back().hasLonger = true;
                }
        }
        last = r.city;
    }
}

void Directory::finish() {
    std::stable_sort(records_.begin(), records_.end(), [](const Record& a, const Record& b) {
        return a.code != b.code ? a.code < b.code : a.business < b.business;
    });
    assignCities();
    codes_ = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (i == 0 || records_[i].code != records_[i - 1].code) ++codes_;
        if (!records_[i].business && records_[i].city != kNoCity)
            cities_[records_[i].city].records.push_back(static_cast<std::uint32_t>(i));
    }
    records_.shrink_to_fit();
    pool_.shrink_to_fit();
}

std::size_t Directory::memoryBytes() const {
    std::size_t bytes = pool_.capacity() * sizeof(char16_t) + records_.capacity() * sizeof(Record) +
                        cities_.capacity() * sizeof(City);
    for (const City& c : cities_)
        bytes += c.records.capacity() * sizeof(std::uint32_t) +
                 std::size_t(c.key.capacity() + c.keyWithoutGun.capacity()) * sizeof(QChar);
    return bytes;
}

Place Directory::placeOf(const Record& r) const {
    Place p;
    const QStringView address = text(r.start, r.length);
    qsizetype cityEnd = 0;
    if (r.city != kNoCity) {
        const City& c = cities_[r.city];
        p.prefecture = prefectureName(c.prefecture).toString();
        p.city = text(c.start, c.length).sliced(p.prefecture.size()).toString();
        cityEnd = c.length;
    }
    p.town = address.sliced(cityEnd).toString();
    if (r.business) p.office = text(r.name, r.nameLength).toString();
    return p;
}

std::vector<Place> Directory::places(QStringView digits) const {
    std::vector<Place> found;
    const long code = codeNumber(digits);
    if (code < 0) return found;
    const auto range =
        std::equal_range(records_.begin(), records_.end(), static_cast<std::uint32_t>(code),
                         [](const auto& a, const auto& b) {
                             if constexpr (std::is_same_v<std::decay_t<decltype(a)>, Record>)
                                 return a.code < b;
                             else
                                 return a < b.code;
                         });
    for (auto it = range.first; it != range.second; ++it)
        found.push_back(placeOf(*it));
    return found;
}

bool Directory::holds(QStringView digits) const {
    const long code = codeNumber(digits);
    if (code < 0) return false;
    return std::binary_search(records_.begin(), records_.end(),
                              Record{static_cast<std::uint32_t>(code), 0, 0, 0, 0, 0, false},
                              [](const Record& a, const Record& b) { return a.code < b.code; });
}

std::vector<std::pair<std::uint16_t, qsizetype>> Directory::citiesAt(const QString& key) const {
    std::vector<std::pair<std::uint16_t, qsizetype>> found;
    qsizetype best = 0;
    for (std::size_t i = 0; i < cities_.size(); ++i) {
        const City& c = cities_[i];
        const qsizetype end = cityEndIn(key, prefectureName(c.prefecture), c.key, c.keyWithoutGun);
        if (end <= 0 || end < best) continue;
        if (end > best) found.clear();
        best = end;
        found.emplace_back(static_cast<std::uint16_t>(i), end);
    }
    return found;
}

std::vector<CodePlace> Directory::codesFor(QStringView address, std::size_t limit) const {
    const QString key = comparisonForm(address);
    struct Scored {
        qsizetype score;
        std::uint32_t record;
    };
    std::vector<Scored> towns, cities;
    for (const auto& [city, end] : citiesAt(key)) {
        const QString rest = restKey(QStringView(key).sliced(end));
        for (std::uint32_t i : cities_[city].records) {
            const Record& r = records_[i];
            const QString town =
                townKey(text(r.start, r.length).sliced(cities_[city].length), false);
            const QString tail = streetTownTail(town);
            if (town.isEmpty())
                cities.push_back({0, i});
            else if (rest.startsWith(town))
                towns.push_back({town.size(), i});
            else if (!tail.isEmpty() && rest.startsWith(tail))
                towns.push_back({tail.size(), i});
        }
    }
    std::vector<Scored>& chosen = towns.empty() ? cities : towns;
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const Scored& a, const Scored& b) { return a.score > b.score; });
    std::vector<CodePlace> found;
    for (const Scored& s : chosen) {
        if (found.size() >= limit) break;
        const Record& r = records_[s.record];
        found.push_back({codeText(r.code), placeOf(r)});
    }
    return found;
}

int Directory::fit(const Place& place, QStringView address) const {
    const QString key = comparisonForm(address);
    if (place.city.isEmpty()) return key.startsWith(townKey(place.town, false)) ? 2 : 0;
    const qsizetype gun = gunLength(place.city);
    const QString city = comparisonForm(place.city);
    const QString withoutGun =
        gun ? comparisonForm(QStringView(place.city).sliced(gun)) : QString();
    const qsizetype end = cityEndIn(key, place.prefecture, city, withoutGun);
    if (end < 0) return 0;
    const QString rest = restKey(QStringView(key).sliced(end));
    const QString town = townKey(place.town, !place.office.isEmpty());
    const QString tail = streetTownTail(town);
    const bool townFits = town.isEmpty() || rest.isEmpty() || rest.contains(town) ||
                          (!tail.isEmpty() && rest.contains(tail));
    return townFits ? 2 : 1;
}

QString dataFolder() {
    const QString set = qEnvironmentVariable("RINOVA_POSTAL_DIR");
    return set.isEmpty() ? QString::fromLatin1(kInstalledDataFolder) : set;
}

Directory load(const QString& folder) {
    Directory d;
    for (const auto& [file, kind] : {std::pair{kAreaFile, Directory::Kind::Area},
                                     std::pair{kBusinessFile, Directory::Kind::Business}}) {
        Source source;
        source.path = QDir(folder).filePath(QString::fromLatin1(file));
        const files::FileContent content =
            files::readRegularFile(QFile::encodeName(source.path), kLargestDictionary);
        if (content.outcome == files::ReadOutcome::Read) {
            const Directory::Read read = d.addDictionary(content.bytes, kind);
            source.read = true;
            source.codes = read.codes;
            source.date = read.date;
        }
        d.addSource(std::move(source));
    }
    d.finish();
    return d;
}

const Directory& installedDirectory() {
    static const Directory directory = load(dataFolder());
    return directory;
}

QString dataDescription(const Directory& directory) {
    QStringList read;
    QString folder;
    for (const Source& s : directory.sources()) {
        folder = QFileInfo(s.path).absolutePath();
        if (!s.read) continue;
        QString item = QFileInfo(s.path).fileName() + QStringLiteral("（");
        if (s.date.isValid())
            item += QStringLiteral("%1年%2月%3日の版、")
                        .arg(s.date.year())
                        .arg(s.date.month())
                        .arg(s.date.day());
        item += QStringLiteral("%1 件）").arg(QLocale(QLocale::Japanese).toString(s.codes));
        read << item;
    }
    if (read.isEmpty() || directory.empty())
        return QStringLiteral(
                   "郵便番号の辞書が %1 にありません。パッケージ skkdic-extra を入れると、"
                   "郵便番号と住所を照らし合わせます")
            .arg(QDir::toNativeSeparators(folder.isEmpty() ? dataFolder() : folder));
    return QStringLiteral("郵便番号の辞書: %1 の %2")
        .arg(QDir::toNativeSeparators(folder), read.join(QStringLiteral("、")));
}

} // namespace rinova::postal
