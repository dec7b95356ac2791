// The postal codes of the whole country, read once from the two dictionaries of package
// skkdic-extra (area codes with prefecture, city and town; business codes with the office's name
// and address) into one compact index, and the look-ups the check and the editor need.
#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rinova::postal {

// One address a code is given to. City holds the 郡 with its 町 or 村, and a designated city's
// ward; town is the rest as the data writes it (for a business, its street address).
struct Place {
    QString prefecture, city, town;
    QString office; // the business's name for a business code; empty for an area code
    QString address() const { return prefecture + city + town; }
    bool operator==(const Place&) const = default;
};

// A code with one of its places.
struct CodePlace {
    QString code; // 7 digits
    Place place;
    bool operator==(const CodePlace&) const = default;
};

// A dictionary file as it was read.
struct Source {
    QString path;
    QDate date;    // the data's date, from its time stamp; null when it has none
    int codes = 0; // codes read from it
    bool read = false;
};

class Directory {
public:
    enum class Kind { Area, Business };

    struct Read {
        int codes = 0; // lines that gave a code
        QDate date;    // the data's date, from the time stamp of its comments; null when none
    };
    // Reads the dictionary bytes of one file: lines "1234567 /address/address/" (a business:
    // "/name @ address/"), comments starting with ";". Lines of any other form are passed over.
    Read addDictionary(std::string_view bytes, Kind kind);
    // Builds the index over what was added; until then nothing is found.
    void finish();

    bool empty() const { return records_.empty(); }
    std::size_t codeCount() const { return codes_; }
    // Bytes the index holds, for the benchmark.
    std::size_t memoryBytes() const;

    // The places of a code of 7 digits (area places first), none when the data does not hold it.
    std::vector<Place> places(QStringView digits) const;
    bool holds(QStringView digits) const;

    // The codes whose address begins `address` (compared in the form of comparisonForm; a town
    // the data writes with its street also matches by its name alone): the longest matches
    // first, at most `limit`. With no town of the city matching, the code the city has for the
    // rest of it. Area codes only.
    std::vector<CodePlace> codesFor(QStringView address, std::size_t limit = 10) const;

    // How far `address` fits a place of a code: 0 not at all, 1 its prefecture (which may be
    // left out) and city (whose 郡 may be left out) begin the address, 2 its town is found in the
    // rest as well (or the place has no town, or the address ends at the city). A business's
    // town counts up to its street numbers.
    int fit(const Place& place, QStringView address) const;

    // The files the data came from (see load()).
    const std::vector<Source>& sources() const { return sources_; }
    void addSource(Source source) { sources_.push_back(std::move(source)); }

private:
    struct Record {
        std::uint32_t code;
        std::uint32_t start; // the address in pool_
        std::uint32_t name;  // a business's name in pool_
        std::uint16_t length, nameLength;
        std::uint16_t city;
        bool business;
    };
    struct City {
        std::uint8_t prefecture;
        std::uint32_t start; // prefecture and city in pool_
        std::uint16_t length;
        std::uint16_t gunLength;    // the 郡 part of the city (after the prefecture), 0 when none
        bool hasLonger;             // another city's name begins with this one's
        QString key, keyWithoutGun; // comparison forms, without the prefecture
        std::vector<std::uint32_t> records; // area records, by code
    };

    QStringView text(std::uint32_t start, std::uint16_t length) const;
    Place placeOf(const Record& r) const;
    void assignCities();
    // The cities whose name begins the comparison form `key`, the longest only, with where the
    // rest of `key` begins.
    std::vector<std::pair<std::uint16_t, qsizetype>> citiesAt(const QString& key) const;

    std::u16string pool_;
    std::vector<Record> records_;
    std::vector<City> cities_;
    std::vector<Source> sources_;
    std::size_t codes_ = 0;
};

// Where package skkdic-extra puts the dictionaries.
inline constexpr const char* kInstalledDataFolder = "/usr/share/skk";
// The folder the dictionaries are read from: $RINOVA_POSTAL_DIR when set (a copy of the data
// elsewhere; the tests' own), else kInstalledDataFolder.
QString dataFolder();
// The two dictionary files in `folder`, read into a finished directory. A file that is missing
// or cannot be read leaves its source unread; the directory is then smaller or empty.
Directory load(const QString& folder);
// The directory of dataFolder(), read on first use and kept for the program's life.
const Directory& installedDirectory();

// One line about the data for the help and about texts: the files, their date and codes, or
// that they are missing and which package brings them.
QString dataDescription(const Directory& directory);

} // namespace rinova::postal
