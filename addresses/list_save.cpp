#include "addresses/list_save.h"

#include "files/file_name.h"
#include "files/replacement.h"
#include "text/cp932.h"

namespace rinova::addresses {

void saveList(AddressGrid& grid, const QString& path, FileFormat format, const ListLayout& layout,
              const QStringList& inputs) {
    saveList(grid, path, grid.saved(format, layout), inputs);
}

void saveList(AddressGrid& grid, const QString& path, SavedList list, const QStringList& inputs) {
    QList<QByteArray> read;
    for (const QString& input : inputs)
        if (!input.isEmpty()) read << files::existingFileName(input);
    files::Replacement out(files::existingFileName(path), files::displayFileName(path), read);
    out.write(QByteArrayView(list.bytes().data(), static_cast<qsizetype>(list.bytes().size())));
    out.commit();
    grid.adoptSaved(std::move(list));
}

QString lossesMessage(const std::vector<CellLoss>& losses) {
    QStringList lines;
    for (const CellLoss& l : losses) {
        lines << QStringLiteral("%1 行目 %2: 「%3」→「%4」")
                     .arg(l.row)
                     .arg(columnTitle(l.column), text::toUnicode(l.cell),
                          text::toUnicode(l.readBack == " " ? std::string() : l.readBack));
    }
    return lines.join(u'\n');
}

} // namespace rinova::addresses
