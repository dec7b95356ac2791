#include "postal/code_question.h"

#include "postal/address_text.h"

#include <QStringList>
#include <algorithm>

namespace rinova::postal {
namespace {

constexpr std::size_t kFitting = 3;
constexpr qsizetype kShownAddress = 30;
constexpr qsizetype kShownPlaces = 3;

QString shortened(QStringView text) {
    const QString t = text.trimmed().toString();
    return t.size() > kShownAddress ? t.left(kShownAddress) + u'…' : t;
}

QString placeText(const Place& p) {
    return p.office.isEmpty()
               ? p.address()
               : p.address() + QStringLiteral("（") + p.office + QStringLiteral("）");
}

QString fittingCodes(const std::vector<CodePlace>& fitting) {
    QStringList codes;
    for (const CodePlace& c : fitting)
        codes << displayCode(c.code);
    return codes.join(QStringLiteral("、"));
}

// The codes that fit `address`, other than `code`.
std::vector<CodePlace> fittingOthers(const Directory& d, QStringView address, const QString& code) {
    std::vector<CodePlace> found = d.codesFor(address, kFitting + 1);
    std::erase_if(found, [&](const CodePlace& c) { return c.code == code; });
    if (found.size() > kFitting) found.resize(kFitting);
    return found;
}

std::optional<Question> sevenDigits(const Directory& d, const QString& code, QStringView address) {
    const std::vector<Place> places = d.places(code);
    Question q;
    q.code = code;
    q.rowSays = shortened(address);
    if (places.empty()) {
        q.kind = Question::Kind::NotHeld;
        q.fitting = fittingOthers(d, address, code);
        return q;
    }
    if (comparisonForm(address).isEmpty()) return std::nullopt;
    for (const Place& p : places)
        if (d.fit(p, address) == 2) return std::nullopt;
    q.kind = Question::Kind::OtherPlace;
    QStringList said;
    for (const Place& p : places)
        if (!said.contains(placeText(p))) said << placeText(p);
    q.dataSays = said.mid(0, kShownPlaces).join(QStringLiteral("、"));
    if (said.size() > kShownPlaces)
        q.dataSays += QStringLiteral(" ほか %1 件").arg(said.size() - kShownPlaces);
    q.fitting = fittingOthers(d, address, code);
    return q;
}

// The 7-digit codes a digit more makes of `digits` (a lost leading 0 first), those whose place
// fits the address best first.
std::optional<Question> sixDigits(const Directory& d, const QString& digits, QStringView address) {
    if (comparisonForm(address).isEmpty()) return std::nullopt;
    struct Candidate {
        int fit;
        CodePlace code;
    };
    std::vector<Candidate> candidates;
    QStringList tried;
    for (qsizetype at = 0; at <= digits.size(); ++at)
        for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
            const QString code = digits.left(at) + QChar(digit) + digits.mid(at);
            if (tried.contains(code)) continue;
            tried << code;
            int best = 0;
            Place bestPlace;
            for (const Place& p : d.places(code))
                if (const int f = d.fit(p, address); f > best) {
                    best = f;
                    bestPlace = p;
                }
            if (best > 0) candidates.push_back({best, {code, bestPlace}});
        }
    if (candidates.empty()) return std::nullopt;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.fit > b.fit; });
    Question q;
    q.kind = Question::Kind::SixDigits;
    q.code = digits;
    q.rowSays = shortened(address);
    for (const Candidate& c : candidates)
        if (q.fitting.size() < kFitting && c.fit == candidates.front().fit)
            q.fitting.push_back(c.code);
    return q;
}

} // namespace

QString Question::text() const {
    const QString fits = fittingCodes(fitting);
    const QString suggestion =
        fits.isEmpty() ? QString() : QStringLiteral("（住所に合う番号: %1）").arg(fits);
    switch (kind) {
    case Kind::NotHeld:
        return QStringLiteral("郵便番号 %1 は辞書にありません").arg(displayCode(code)) + suggestion;
    case Kind::OtherPlace:
        return QStringLiteral("郵便番号 %1 は「%2」の番号で、住所は「%3」です")
                   .arg(displayCode(code), dataSays, rowSays) +
               suggestion;
    case Kind::SixDigits:
        return QStringLiteral("住所に合う 7 桁の番号は %1 です").arg(fits);
    }
    return {};
}

std::optional<Question> askAboutCode(const Directory& directory, QStringView code,
                                     QStringView address) {
    if (directory.empty()) return std::nullopt;
    const QString digits = codeDigits(code);
    if (digits.size() == 7) return sevenDigits(directory, digits, address);
    if (digits.size() == 6) return sixDigits(directory, digits, address);
    return std::nullopt;
}

} // namespace rinova::postal
