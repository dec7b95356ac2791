#include "addresses/row_check.h"

#include "addresses/address_grid.h"
#include "postal/code_question.h"
#include "text/cp932.h"

#include <string_view>

namespace rinova::addresses {
namespace {

enum Column { Name1 = 1, Postal = 3, Address1 = 4, Address2 = 5, Remark = 6 };

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

std::optional<Finding> postalProblem(int digits) {
    const QString kind = QStringLiteral("postal-digits");
    if (digits == 7) return std::nullopt;
    if (digits == 0)
        return Finding{QStringLiteral("postal-missing"), QStringLiteral("郵便番号がありません")};
    if (digits == 6)
        return Finding{kind, QStringLiteral("郵便番号が 6 桁です（先頭の 0 が落ちていませんか）")};
    return Finding{kind, QStringLiteral("郵便番号が %1 桁です（7 桁ではありません）").arg(digits)};
}

// The postal data's question about the row's code and address, when it has one.
void askAboutPostalCode(const AddressGrid& grid, int row, const PostalQuestion& postalQuestion,
                        RowFindings& f) {
    if (!postalQuestion) return;
    const QString address =
        text::toUnicode(grid.cell(row, Address1)) + text::toUnicode(grid.cell(row, Address2));
    if (std::optional<Finding> q = postalQuestion(text::toUnicode(grid.cell(row, Postal)), address))
        f.problems.push_back(std::move(*q));
}

QString questionKind(postal::Question::Kind kind) {
    switch (kind) {
    case postal::Question::Kind::NotHeld:
        return QStringLiteral("postal-not-held");
    case postal::Question::Kind::OtherPlace:
        return QStringLiteral("postal-other-place");
    case postal::Question::Kind::SixDigits:
        return QStringLiteral("postal-six-digits");
    }
    return {};
}

} // namespace

QStringList RowFindings::texts() const {
    QStringList list;
    for (const Finding& p : problems)
        list << p.text;
    return list;
}

PostalQuestion postalQuestions(const postal::Directory& directory) {
    if (directory.empty()) return {};
    return [&directory](const QString& code, const QString& address) -> std::optional<Finding> {
        const std::optional<postal::Question> q = postal::askAboutCode(directory, code, address);
        if (!q) return std::nullopt;
        Finding f(questionKind(q->kind), q->text());
        f.code = q->code;
        f.dataSays = q->dataSays;
        f.rowSays = q->rowSays;
        for (const postal::CodePlace& c : q->fitting)
            f.suggestions.push_back({c.code, c.place.address()});
        return f;
    };
}

std::vector<RowFindings> checkRows(const AddressGrid& grid, int first, int last,
                                   const TextDoesNotFit& textDoesNotFit,
                                   const PostalQuestion& postalQuestion) {
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
            f.problems.push_back({QStringLiteral("empty-row"), QStringLiteral("空の行です")});
        } else if (row == 1 && looksLikeHeader(grid, row)) {
            f.problems.push_back(
                {QStringLiteral("header-row"), QStringLiteral("見出しの行のようです")});
        } else {
            if (isBlankCell(grid.cell(row, Name1)))
                f.problems.push_back(
                    {QStringLiteral("name1-empty"), QStringLiteral("名前1が空です")});
            if (std::optional<Finding> postal = postalProblem(digitCount(grid.cell(row, Postal)))) {
                postal->code = text::toUnicode(grid.cell(row, Postal)).trimmed();
                f.problems.push_back(std::move(*postal));
            }
            askAboutPostalCode(grid, row, postalQuestion, f);
            if (textDoesNotFit && textDoesNotFit(row))
                f.problems.push_back({QStringLiteral("text-does-not-fit"),
                                      QStringLiteral("縮めても枠に収まらない文字があります")});
        }
        for (Finding& problem : listProblems(grid, row))
            f.problems.push_back(std::move(problem));
        if (!f.problems.empty()) found.push_back(std::move(f));
    }
    return found;
}

std::vector<Finding> listProblems(const AddressGrid& grid, int row) {
    std::vector<Finding> problems;
    const std::string_view lost = "\x81\xAC"; // 〓
    for (int col = Name1; col < Remark; ++col) {
        const std::string_view cell = grid.cell(row, col);
        bool found = false;
        for (std::size_t i = 0; i + 1 < cell.size() && !found; i += text::charLength(cell, i))
            found = cell.substr(i, 2) == lost;
        if (found) {
            problems.push_back({QStringLiteral("lost-character"),
                                QStringLiteral("変換できなかった文字（〓）があります")});
            break;
        }
    }
    switch (grid.nulCut(row)) {
    case CutInside:
        problems.push_back(
            {QStringLiteral("nul-cut"),
             QStringLiteral("NUL 文字で途切れています（その後ろは読み込まれていません）")});
        break;
    case CutAfter:
        problems.push_back({QStringLiteral("nul-cut-after"),
                            QStringLiteral("この行の後ろは NUL 文字のため読み込まれていません")});
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
                      .arg(findings[i].texts().join(QStringLiteral("、")));
    if (findings.size() > listed)
        report += QStringLiteral("\nほか %1 行").arg(findings.size() - listed);
    return report;
}

} // namespace rinova::addresses
