#include "printing/paper.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <utility>

namespace rinova::printing {
namespace {

// Half a millimetre either way: sizes given in whole points still count.
constexpr double kTolerance = 0.5;

bool near(QSizeF mm, double width, double height) {
    return std::abs(mm.width() - width) <= kTolerance &&
           std::abs(mm.height() - height) <= kTolerance;
}

bool isPostcard(const QPageSize& size) {
    return size.isValid() && near(size.size(QPageSize::Millimeter), 100, 148);
}

bool isDoublePostcard(const QPageSize& size) {
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return size.isValid() && (near(mm, 200, 148) || near(mm, 148, 200));
}

// A word of two or more letters with a small letter in it: "Letter", "in"; codes such as "A4",
// "JIS", "RA0" or "11x17" are read the same in Japanese and stay.
bool hasEnglishWord(const QString& name) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]*[a-z][A-Za-z]*"));
    for (auto it = word.globalMatch(name); it.hasNext();)
        if (it.next().capturedLength() >= 2) return true;
    return false;
}

// The printer's (or the toolkit's) English name said in Japanese, word by word; empty when a
// word is left that has no Japanese.
QString translated(QString name) {
    static const std::pair<const char*, const char16_t*> phrases[] = {
        {"\\bEnv(elope)? Chou ?(\\d+)\\b", u"長形\\2号"},
        {"\\bEnv(elope)? Kaku ?(\\d+)\\b", u"角形\\2号"},
        {"\\bEnv(elope)? You ?(\\d+)\\b", u"洋形\\2号"},
        {"^(\\d+(\\.\\d+)?)x(\\d+(\\.\\d+)?)$", u"\\1 × \\3 in"},
        {"(\\d) ?x ?(\\d)", u"\\1 × \\2"},
        {"\\bUS ", u""},
        {"\\bFan-fold\\b", u"連続用紙"},
    };
    static const std::pair<const char*, const char16_t*> words[] = {
        {"Envelope", u"封筒"},
        {"Env", u"封筒"},
        {"Letter", u"レター"},
        {"Legal", u"リーガル"},
        {"Executive", u"エグゼクティブ"},
        {"Ledger", u"レジャー"},
        {"Tabloid", u"タブロイド"},
        {"Extra", u"エクストラ"},
        {"Plus", u"プラス"},
        {"Small", u"スモール"},
        {"Arch", u"アーキテクト"},
        {"Architect", u"アーキテクト"},
        {"Monarch", u"モナーク"},
        {"Personal", u"パーソナル"},
        {"Invite", u"招待状"},
        {"Italian", u"イタリア"},
        {"Folio", u"フォリオ"},
        {"Quarto", u"クォート"},
        {"Note", u"ノート"},
        {"Statement", u"ステートメント"},
        {"Super", u"スーパー"},
        {"German", u"ドイツ"},
        {"Big", u"大"},
        {"Postcard", u"ポストカード"},
        {"Double", u"ダブル"},
        {"Custom", u"ユーザー定義"},
        {"in", u"インチ"},
    };
    for (const auto& [pattern, japanese] : phrases)
        name.replace(QRegularExpression(QLatin1String(pattern)), QString::fromUtf16(japanese));
    for (const auto& [english, japanese] : words)
        name.replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(QLatin1String(english))),
                     QString::fromUtf16(japanese));
    name = name.simplified();
    return hasEnglishWord(name) ? QString() : name;
}

// A length in millimetres with at most one decimal: "100", "215.9".
QString mm(double value) {
    return QString::number(std::round(value * 10) / 10, 'f', 1).remove(QStringLiteral(".0"));
}

} // namespace

QString japanesePaperName(const QPageSize& size) {
    // The size decides for the cards' own papers, whatever name the printer gives them.
    if (isPostcard(size)) return QStringLiteral("はがき");
    if (isDoublePostcard(size)) return QStringLiteral("往復はがき");
    for (const QString& name : {size.name(), QPageSize::name(size.id())}) {
        const QString japanese = translated(name);
        if (!japanese.isEmpty()) return japanese;
    }
    return QStringLiteral("ユーザー定義");
}

QString paperLabel(const QPageSize& size) {
    const QSizeF s = size.size(QPageSize::Millimeter);
    return QStringLiteral("%1 %2 × %3 mm")
        .arg(japanesePaperName(size), mm(s.width()), mm(s.height()));
}

bool isPostcardPage(const QPageLayout& layout) {
    return layout.isValid() && near(layout.fullRect(QPageLayout::Millimeter).size(), 100, 148);
}

QString paperNotice(const QPageLayout& layout) {
    if (isPostcardPage(layout)) return {};
    QString paper = paperLabel(layout.pageSize());
    if (layout.orientation() == QPageLayout::Landscape) paper += QStringLiteral(" (横向き)");
    return QStringLiteral("用紙が「%1」に設定されています。\nはがき (100 × 148 mm) ではありません")
        .arg(paper);
}

QList<QPageSize> papersForList(QList<QPageSize> papers) {
    auto rank = [](const QPageSize& size) {
        return isPostcard(size) ? 0 : isDoublePostcard(size) ? 1 : 2;
    };
    std::stable_sort(papers.begin(), papers.end(),
                     [&](const QPageSize& a, const QPageSize& b) { return rank(a) < rank(b); });
    return papers;
}

std::unique_ptr<QPrinter> printerFor(const QPrinterInfo& info) {
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // The toolkit starts every printer on its own default paper; the queue's default is the
    // one its owner set.
    const QPageSize paper = info.defaultPageSize();
    if (paper.isValid()) printer->setPageSize(paper);
    return printer;
}

std::optional<QPageSize> findPaper(const QPrinterInfo& info, const QString& name) {
    const QString wanted = name.trimmed();
    for (const QPageSize& size : info.supportedPageSizes()) {
        for (const QString& known :
             {size.key(), size.name(), japanesePaperName(size), paperLabel(size)})
            if (known.compare(wanted, Qt::CaseInsensitive) == 0) return size;
    }
    return std::nullopt;
}

} // namespace rinova::printing
