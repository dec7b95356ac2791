// The check before paper over a list of 1,000 real addresses (the business addresses of the
// installed postal data) written the ways lists write them, with 50 planted faults: a wrong code,
// swapped digits, a dropped leading zero, a city's name from before a merger. Every fault must be
// found and at most 1% of the good rows questioned. The list is built from the data with a fixed
// seed; each row's right code is the area code whose address is the longest plain prefix of the
// business address, found here without the postal layer's comparison.
#include "addresses/address_grid.h"
#include "addresses/row_check.h"
#include "postal/address_text.h"
#include "postal/directory.h"
#include "postal/euc_jis_2004.h"
#include "tests/support/test_support.h"
#include "text/cp932.h"

#include <QHash>
#include <QSet>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

using namespace rinova;

namespace {

struct Entry {
    QString code, address;
};

// The entries of one dictionary file, decoded; for businesses the address after " @ ".
std::vector<Entry> entries(const QString& path, bool business) {
    std::vector<Entry> out;
    const std::string bytes = rinova::testing::readBytes(path);
    std::u16string text;
    postal::appendEucJis2004(bytes, text);
    for (const QString& line : QString::fromStdU16String(text).split(u'\n')) {
        if (line.size() < 10 || line.startsWith(u';')) continue;
        for (const QString& candidate : line.mid(9).split(u'/', Qt::SkipEmptyParts)) {
            const qsizetype at = candidate.indexOf(QStringLiteral(" @ "));
            if (business && at < 0) continue;
            out.push_back({line.left(7), business ? candidate.mid(at + 3) : candidate});
        }
    }
    return out;
}

// Mergers: the city's name today and a name it had before.
const std::pair<const char16_t*, const char16_t*> kMergers[] = {
    {u"埼玉県さいたま市浦和区", u"埼玉県浦和市"}, {u"埼玉県さいたま市大宮区", u"埼玉県大宮市"},
    {u"埼玉県さいたま市中央区", u"埼玉県与野市"}, {u"埼玉県さいたま市岩槻区", u"埼玉県岩槻市"},
    {u"静岡県静岡市清水区", u"静岡県清水市"},     {u"静岡県浜松市浜北区", u"静岡県浜北市"},
    {u"東京都西東京市", u"東京都田無市"},         {u"埼玉県ふじみ野市", u"埼玉県上福岡市"},
    {u"兵庫県丹波篠山市", u"兵庫県篠山市"},       {u"新潟県新潟市秋葉区", u"新潟県新津市"},
    {u"千葉県匝瑳市", u"千葉県八日市場市"},       {u"茨城県常総市", u"茨城県水海道市"},
    {u"長野県千曲市", u"長野県更埴市"},           {u"福島県南相馬市", u"福島県原町市"},
};

struct Row {
    QString code, address1, address2;
    bool fault = false;
    QString what; // the kind of fault
};

class ListMaker {
public:
    explicit ListMaker(unsigned seed) : random_(seed) {}
    unsigned pick(std::size_t n) { return static_cast<unsigned>(random_() % n); }
    bool chance(int percent) { return pick(100) < unsigned(percent); }

    // The row as a list writes it: code with or without hyphen, 〒 or full-width digits, the
    // prefecture or a 郡 left out, half-width digits, other dashes, kanji counts, spaces, ヶ, the
    // address cut into two fields.
    Row written(const QString& code, QString address) {
        Row r;
        const QString shown = postal::displayCode(code);
        switch (pick(4)) {
        case 0:
            r.code = code;
            break;
        case 1:
            r.code = shown;
            break;
        case 2:
            r.code = QStringLiteral("〒") + shown;
            break;
        default:
            r.code = fullWidth(shown);
            break;
        }
        const int prefecture = postal::prefectureAt(address);
        const qsizetype prefectureLength =
            prefecture < 0 ? 0 : postal::prefectureName(prefecture).size();
        const qsizetype city =
            postal::cityLengthByRule(QStringView(address).sliced(prefectureLength));
        const qsizetype gun = address.indexOf(u'郡', prefectureLength);
        const bool townOrVillage =
            city > 0 && QStringLiteral("町村").contains(address[prefectureLength + city - 1]);
        if (townOrVillage && gun > prefectureLength && gun < prefectureLength + city && chance(50))
            address.remove(prefectureLength, gun + 1 - prefectureLength);
        if (chance(20)) address.remove(0, prefectureLength);
        if (chance(50)) address = halfWidthDigits(address);
        if (chance(30)) address.replace(u'−', pick(2) ? u'-' : u'ー');
        if (chance(20)) address.replace(QStringLiteral("１丁目"), QStringLiteral("一丁目"));
        if (chance(20)) address.replace(u'ケ', u'ヶ');
        if (chance(10)) address.insert(std::min(address.size(), qsizetype(5)), u'　');
        const qsizetype cut = chance(25) ? address.size() * 2 / 3 : address.size();
        r.address1 = address.left(cut);
        r.address2 = address.mid(cut);
        return r;
    }

private:
    static QString fullWidth(QString s) {
        for (QChar& c : s)
            if (c.unicode() >= u'0' && c.unicode() <= u'9')
                c = QChar(c.unicode() + 0xFEE0);
            else if (c == u'-')
                c = u'－';
        return s;
    }
    static QString halfWidthDigits(QString s) {
        for (QChar& c : s)
            if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) c = QChar(c.unicode() - 0xFEE0);
        return s;
    }
    std::mt19937 random_;
};

} // namespace

TEST(PostalCheckOfARealList, FindsEveryPlantedFaultAndQuestionsFewGoodRows) {
    // The installed data itself, whatever the tests' environment names.
    const QString folder = QString::fromLatin1(postal::kInstalledDataFolder);
    const postal::Directory directory = postal::load(folder);
    if (directory.empty() || directory.sources().size() < 2 || !directory.sources()[1].read)
        GTEST_SKIP() << "the postal data is not installed (package skkdic-extra) in "
                     << folder.toStdString();
    const std::vector<Entry> areas = entries(folder + QStringLiteral("/SKK-JISYO.zipcode"), false);
    const std::vector<Entry> businesses =
        entries(folder + QStringLiteral("/SKK-JISYO.office.zipcode"), true);
    QHash<QString, QString> areaCode; // address -> its code (the first)
    QHash<QString, QStringList> addressesOf;
    for (const Entry& e : areas) {
        if (!areaCode.contains(e.address)) areaCode.insert(e.address, e.code);
        addressesOf[e.code] << e.address;
    }
    for (const Entry& e : businesses)
        addressesOf[e.code] << e.address;
    const auto rightArea = [&](const QString& address) {
        for (qsizetype n = address.size(); n > 2; --n)
            if (const auto it = areaCode.constFind(address.left(n)); it != areaCode.constEnd())
                return *it;
        return QString();
    };
    // A code is right for an address when one of its addresses begins it.
    const auto rightFor = [&](const QString& code, const QString& address) {
        for (const QString& a : addressesOf.value(code))
            if (address.startsWith(a) || a == address) return true;
        return false;
    };

    ListMaker maker(20220504);
    std::vector<Row> rows;
    QSet<int> used;
    const auto draw = [&](auto&& accept) {
        for (int tries = 0; tries < 100000; ++tries) {
            const int i = int(maker.pick(businesses.size()));
            if (used.contains(i) || rightArea(businesses[i].address).isEmpty()) continue;
            if (!accept(businesses[i])) continue;
            used.insert(i);
            return i;
        }
        return -1;
    };
    const auto anyEntry = [](const Entry&) { return true; };
    // Stale city names: rows from the merged cities, written with the old name.
    for (int n = 0; n < 12; ++n) {
        const auto& [today, before] = kMergers[n % std::size(kMergers)];
        const QString now = QString::fromUtf16(today);
        const int i = draw([&](const Entry& e) { return e.address.startsWith(now); });
        ASSERT_GE(i, 0) << now.toStdString();
        Row r = maker.written(rightArea(businesses[i].address),
                              QString::fromUtf16(before) + businesses[i].address.mid(now.size()));
        r.fault = true;
        r.what = QStringLiteral("stale city");
        rows.push_back(r);
    }
    // Dropped leading zeros.
    for (int n = 0; n < 12; ++n) {
        const int i = draw([&](const Entry& e) { return rightArea(e.address).startsWith(u'0'); });
        ASSERT_GE(i, 0);
        Row r = maker.written(rightArea(businesses[i].address).mid(1), businesses[i].address);
        r.fault = true;
        r.what = QStringLiteral("dropped zero");
        rows.push_back(r);
    }
    // Swapped neighbouring digits that make a code wrong for the address.
    for (int n = 0; n < 13; ++n) {
        QString swapped;
        const int i = draw([&](const Entry& e) {
            QString code = rightArea(e.address);
            const int at = int(maker.pick(6));
            if (code[at] == code[at + 1]) return false;
            std::swap(code[at], code[at + 1]);
            if (rightFor(code, e.address)) return false;
            swapped = code;
            return true;
        });
        ASSERT_GE(i, 0);
        Row r = maker.written(swapped, businesses[i].address);
        r.fault = true;
        r.what = QStringLiteral("swapped digits");
        rows.push_back(r);
    }
    // Wrong codes: another business's area code, from another prefecture.
    for (int n = 0; n < 13; ++n) {
        const int i = draw(anyEntry);
        ASSERT_GE(i, 0);
        const int prefecture = postal::prefectureAt(businesses[i].address);
        const int other =
            draw([&](const Entry& e) { return postal::prefectureAt(e.address) != prefecture; });
        ASSERT_GE(other, 0);
        Row r = maker.written(rightArea(businesses[other].address), businesses[i].address);
        r.fault = true;
        r.what = QStringLiteral("wrong code");
        rows.push_back(r);
    }
    // Good rows: the area code, or now and then the business's own code.
    while (rows.size() < 1000) {
        const int i = draw(anyEntry);
        ASSERT_GE(i, 0);
        const QString code =
            maker.chance(30) ? businesses[i].code : rightArea(businesses[i].address);
        rows.push_back(maker.written(code, businesses[i].address));
    }
    // Shuffled into one list, as an address file.
    for (std::size_t i = rows.size() - 1; i > 0; --i)
        std::swap(rows[i], rows[maker.pick(i + 1)]);
    std::string content;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QString line = QStringLiteral("宛名%1,様,%2,%3,%4,")
                                 .arg(i + 1)
                                 .arg(rows[i].code, rows[i].address1, rows[i].address2);
        content += text::fromUnicode(line) + "\r\n";
    }
    addresses::AddressGrid grid;
    grid.importContent(content);
    ASSERT_EQ(grid.rowCountWithHeader() - 1, 1000);

    const std::vector<addresses::RowFindings> findings =
        addresses::checkRows(grid, 1, 1000, {}, addresses::postalQuestions(directory));
    std::vector<bool> questioned(rows.size(), false);
    for (const addresses::RowFindings& f : findings)
        questioned[std::size_t(f.row - 1)] = true;
    int faults = 0, found = 0, good = 0, flagged = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        if (r.fault) {
            ++faults;
            found += questioned[i];
            EXPECT_TRUE(questioned[i]) << r.what.toStdString() << ": " << r.code.toStdString()
                                       << " " << (r.address1 + r.address2).toStdString();
        } else {
            ++good;
            flagged += questioned[i];
            if (questioned[i])
                for (const addresses::RowFindings& f : findings)
                    if (f.row == int(i + 1))
                        std::cout << "good row questioned: " << r.code.toStdString() << " "
                                  << (r.address1 + r.address2).toStdString() << ": "
                                  << f.texts().join(u' ').toStdString() << "\n";
        }
    }
    std::cout << "planted faults found: " << found << " of " << faults
              << "; good rows questioned: " << flagged << " of " << good << "\n";
    RecordProperty("faults_found", found);
    RecordProperty("good_rows_questioned", flagged);
    EXPECT_EQ(faults, 50);
    EXPECT_EQ(found, faults);
    EXPECT_LE(flagged * 100, good); // at most 1%
}
