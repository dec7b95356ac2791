#include "addresses/row_check.h"

#include "addresses/address_grid.h"
#include "text/cp932.h"

#include <string_view>

namespace rinova::addresses {
namespace {

enum { Name1 = 1, Postal = 3, Remark = 6 };

// The digits a postal code gives, half-width 0-9 or full-width ０-９ (0x824F to 0x8258).
int digitCount(std::string_view cell) {
    int digits = 0;
    for (std::size_t i = 0; i < cell.size(); i += text::charLength(cell, i)) {
        const auto b = static_cast<unsigned char>(cell[i]);
        if (b >= '0' && b <= '9') {
            ++digits;
        } else if (b == 0x82 && i + 1 < cell.size()) {
            const auto t = static_cast<unsigned char>(cell[i + 1]);
            if (t >= 0x4F && t <= 0x58) ++digits;
        }
    }
    return digits;
}

bool looksLikeHeader(const AddressGrid& grid, int row) {
    if (digitCount(grid.cell(row, Postal)) > 0) return false;
    static const char16_t* const kTitles[] = {u"名前", u"氏名",    u"宛名", u"住所",
                                              u"郵便", u"〒",      u"敬称", u"備考",
                                              u"name", u"address", u"zip",  u"postal"};
    for (int col = Name1; col <= Remark; ++col) {
        const QString cell = text::toUnicode(grid.cell(row, col));
        for (const char16_t* title : kTitles)
            if (cell.contains(QStringView(title), Qt::CaseInsensitive)) return true;
    }
    return false;
}

QString postalProblem(int digits) {
    if (digits == 7) return {};
    if (digits == 0) return QStringLiteral("郵便番号がありません");
    if (digits == 6) return QStringLiteral("郵便番号が 6 桁です（先頭の 0 が落ちていませんか）");
    return QStringLiteral("郵便番号が %1 桁です（7 桁ではありません）").arg(digits);
}

} // namespace

std::vector<RowFindings> checkRows(const AddressGrid& grid, int first, int last,
                                   const TextDoesNotFit& textDoesNotFit) {
    std::vector<RowFindings> found;
    first = std::max(first, 1);
    last = std::min(last, grid.rowCountWithHeader() - 1);
    for (int row = first; row <= last; ++row) {
        if (!printsRow(grid, row)) continue;
        RowFindings f{row, {}};
        bool empty = true;
        for (int col = Name1; col < Remark && empty; ++col)
            empty = isBlankCell(grid.cell(row, col));
        if (empty) {
            f.problems << QStringLiteral("空の行です");
        } else if (row == 1 && looksLikeHeader(grid, row)) {
            f.problems << QStringLiteral("見出しの行のようです");
        } else {
            if (isBlankCell(grid.cell(row, Name1))) f.problems << QStringLiteral("名前1が空です");
            const QString postal = postalProblem(digitCount(grid.cell(row, Postal)));
            if (!postal.isEmpty()) f.problems << postal;
            if (textDoesNotFit && textDoesNotFit(row))
                f.problems << QStringLiteral("縮めても枠に収まらない文字があります");
        }
        f.problems << listProblems(grid, row);
        if (!f.problems.isEmpty()) found.push_back(std::move(f));
    }
    return found;
}

QStringList listProblems(const AddressGrid& grid, int row) {
    QStringList problems;
    const std::string_view lost = "\x81\xAC"; // 〓
    for (int col = Name1; col < Remark; ++col) {
        const std::string_view cell = grid.cell(row, col);
        bool found = false;
        for (std::size_t i = 0; i + 1 < cell.size() && !found; i += text::charLength(cell, i))
            found = cell.substr(i, 2) == lost;
        if (found) {
            problems << QStringLiteral("変換できなかった文字（〓）があります");
            break;
        }
    }
    switch (grid.nulCut(row)) {
    case CutInside:
        problems << QStringLiteral("NUL 文字で途切れています（その後ろは読み込まれていません）");
        break;
    case CutAfter:
        problems << QStringLiteral("この行の後ろは NUL 文字のため読み込まれていません");
        break;
    default:
        break;
    }
    return problems;
}

bool printsRow(const AddressGrid& grid, int row) {
    return !printMarkOff(grid.cell(row, PrintColumn));
}

std::vector<int> rowsToPrint(const AddressGrid& grid, int first, int last) {
    std::vector<int> rows;
    first = std::max(first, 1);
    last = std::min(last, grid.rowCountWithHeader() - 1);
    for (int row = first; row <= last; ++row)
        if (printsRow(grid, row)) rows.push_back(row);
    return rows;
}

QString nothingToPrint(int first, int last) {
    if (last < first || last < 1) return QStringLiteral("印刷する行がありません");
    return QStringLiteral("印刷する行がありません（選んだ行はどれも「印刷しない」です）");
}

QString skippedRowsSentence(int skipped) {
    return skipped > 0 ? QStringLiteral("「印刷しない」の %1 行は印刷しません。").arg(skipped)
                       : QString();
}

QString skippedRowsMessage(const std::vector<int>& rows) {
    if (rows.empty()) return {};
    return QStringLiteral("「印刷しない」の行は印刷しません: ") + listedRows(rows);
}

QString listedRows(const std::vector<int>& rows) {
    constexpr std::size_t kListed = 20;
    QStringList listed;
    for (std::size_t i = 0; i < rows.size() && i < kListed; ++i)
        listed << QString::number(rows[i]);
    QString text = listed.join(QStringLiteral("、")) + QStringLiteral(" 行目");
    if (rows.size() > kListed) text += QStringLiteral("ほか %1 行").arg(rows.size() - kListed);
    return text;
}

QString findingsReport(const std::vector<RowFindings>& findings, std::size_t listed) {
    if (findings.empty()) return {};
    QString report = QStringLiteral("次の行を確かめてください:");
    for (std::size_t i = 0; i < findings.size() && i < listed; ++i)
        report += QStringLiteral("\n%1 行目: %2")
                      .arg(findings[i].row)
                      .arg(findings[i].problems.join(QStringLiteral("、")));
    if (findings.size() > listed)
        report += QStringLiteral("\nほか %1 行").arg(findings.size() - listed);
    return report;
}

} // namespace rinova::addresses
