#include "app/row_dialog.h"

#include "addresses/list_layout.h"
#include "text/cp932.h"
#include "widgets/prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace rinova::app {

using namespace addresses;

namespace {

// A cell as the user sees it: a blank cell (" " keeps an empty field) shows empty.
QString shown(std::string_view cell) {
    return cell == " " ? QString() : text::toUnicode(cell);
}

} // namespace

RowDialog::RowDialog(const RowCells& cells, QWidget* parent) : QDialog(parent), cells_(cells) {
    setWindowTitle(QStringLiteral("行の編集"));
    auto* form = new QFormLayout;
    for (int col : {Name1Column, Name2Column, Joint1Column, Joint2Column, PostalColumn,
                    Address1Column, Address2Column, RemarkColumn}) {
        auto* edit = new QLineEdit(shown(cells[std::size_t(col)]), this);
        edit->setObjectName(QStringLiteral("column%1").arg(col));
        fields_[std::size_t(col)] = edit;
        form->addRow(columnTitle(col), edit);
        if (col == Name2Column) {
            honorific_ = new QComboBox(this);
            honorific_->setEditable(true);
            // The default first: a blank honorific prints as 様. 御中 is for the user to choose.
            honorific_->addItems({QString(), QStringLiteral("様"), QStringLiteral("御中"),
                                  QStringLiteral("殿"), QStringLiteral("先生")});
            honorific_->lineEdit()->setPlaceholderText(QStringLiteral("様"));
            honorific_->setEditText(shown(cells[HonorificColumn]));
            form->addRow(columnTitle(HonorificColumn), honorific_);
        }
    }
    printMark_ = new QCheckBox(QStringLiteral("印刷する"), this);
    printMark_->setChecked(!printMarkOff(cells[PrintColumn]));
    form->addRow(columnTitle(PrintColumn), printMark_);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &RowDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RowDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    fields_[Name1Column]->setFocus();
    fields_[Name1Column]->selectAll();
}

QLineEdit* RowDialog::field(int column) const {
    return column >= 0 && column < kAllColumns ? fields_[std::size_t(column)] : nullptr;
}

void RowDialog::accept() {
    RowCells typed = cells_;
    const auto take = [&](int col, const QString& text) {
        // Unchanged text keeps the cell's own bytes (a blank stays as the file had it).
        if (text == shown(cells_[std::size_t(col)])) return true;
        const TypedCell cell = typedCell(text);
        if (!cell.refused.isEmpty()) {
            widgets::Prompts::current().message(
                columnTitle(col) + QStringLiteral("に住所録に書けない文字があります: ") +
                cell.refused);
            return false;
        }
        typed[std::size_t(col)] = cell.bytes;
        return true;
    };
    for (int col = Name1Column; col < kAllColumns; ++col)
        if (fields_[std::size_t(col)] && !take(col, fields_[std::size_t(col)]->text())) {
            fields_[std::size_t(col)]->setFocus();
            return;
        }
    if (!take(HonorificColumn, honorific_->currentText())) return;
    // A mark changes only when the box does: a blank mark that prints stays blank.
    if (printMark_->isChecked() == printMarkOff(cells_[PrintColumn]))
        typed[PrintColumn] = text::fromUnicode(printMark_->isChecked() ? QStringLiteral("する")
                                                                       : QStringLiteral("しない"));
    cells_ = typed;
    QDialog::accept();
}

} // namespace rinova::app
