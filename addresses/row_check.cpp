#include "addresses/row_check.h"

#include "addresses/address_grid.h"
#include "text/cp932.h"

#include <string_view>

namespace rinova::addresses {
namespace {

enum Column { Name1 = 1, Postal = 3, Remark = 6 };

// Nothing but half-width or full-width spaces and control characters.
bool isBlank(std::string_view cell) {
    for (std::size_t i = 0; i < cell.size(); i += text::charLength(cell, i)) {
        const auto b = static_cast<unsigned char>(cell[i]);
        const bool fullWidthSpace =
            b == 0x81 && i + 1 < cell.size() && static_cast<unsigned char>(cell[i + 1]) == 0x40;
        if (b > 0x20 && !fullWidthSpace) return false;
    }
    return true;
}

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
        RowFindings f{row, {}};
        bool empty = true;
        for (int col = Name1; col < Remark && empty; ++col)
            empty = isBlank(grid.cell(row, col));
        if (empty) {
            f.problems << QStringLiteral("空の行です");
        } else if (row == 1 && looksLikeHeader(grid, row)) {
            f.problems << QStringLiteral("見出しの行のようです");
        } else {
            if (isBlank(grid.cell(row, Name1))) f.problems << QStringLiteral("名前1が空です");
            const QString postal = postalProblem(digitCount(grid.cell(row, Postal)));
            if (!postal.isEmpty()) f.problems << postal;
            if (textDoesNotFit && textDoesNotFit(row))
                f.problems << QStringLiteral("縮めても枠に収まらない文字があります");
        }
        if (!f.problems.isEmpty()) found.push_back(std::move(f));
    }
    return found;
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
