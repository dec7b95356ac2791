#include "app/row_dialog.h"

#include "addresses/list_layout.h"
#include "postal/address_text.h"
#include "postal/directory.h"
#include "text/cp932.h"
#include "widgets/prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
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

RowDialog::RowDialog(const RowCells& cells, QWidget* parent, const postal::Directory* postal)
    : QDialog(parent), cells_(cells), postal_(postal ? *postal : postal::installedDirectory()) {
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
    // Typing a code offers its address, typing an address offers its code; nothing is put in
    // a field until the user takes it.
    offer_ = new QLabel(this);
    offer_->setObjectName(QStringLiteral("postalOffer"));
    take_ = new QPushButton(QStringLiteral("入れる"), this);
    take_->setObjectName(QStringLiteral("postalTake"));
    take_->setAutoDefault(false);
    auto* offerRow = new QHBoxLayout;
    offerRow->addWidget(offer_, 1);
    offerRow->addWidget(take_);
    form->insertRow(form->rowCount(), QString(), offerRow);
    offer(QString(), nullptr, QString());
    connect(take_, &QPushButton::clicked, this, [this] {
        if (!offerInto_) return;
        offerInto_->setText(offerValue_);
        offer(QString(), nullptr, QString());
    });
    connect(fields_[PostalColumn], &QLineEdit::textEdited, this, [this] { offerAddressForCode(); });
    connect(fields_[Address1Column], &QLineEdit::textEdited, this,
            [this] { offerCodeForAddress(); });

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

void RowDialog::offer(const QString& text, QLineEdit* into, const QString& value) {
    offer_->setText(text);
    offerInto_ = into;
    offerValue_ = value;
    offer_->setVisible(into != nullptr);
    take_->setVisible(into != nullptr);
}

void RowDialog::offerAddressForCode() {
    const QString digits = postal::codeDigits(fields_[PostalColumn]->text());
    const QString address = fields_[Address1Column]->text();
    const std::vector<postal::Place> places =
        digits.size() == 7 ? postal_.places(digits) : std::vector<postal::Place>{};
    // An address that already fits the code needs no offer.
    if (places.empty() || (!address.isEmpty() && postal_.fit(places.front(), address) > 0))
        return offer(QString(), nullptr, QString());
    const QString found = places.front().address();
    offer(QStringLiteral("〒%1 の住所: %2").arg(postal::displayCode(digits), found),
          fields_[Address1Column], found);
}

void RowDialog::offerCodeForAddress() {
    const QString address = fields_[Address1Column]->text();
    const QString digits = postal::codeDigits(fields_[PostalColumn]->text());
    const std::vector<postal::CodePlace> codes =
        address.isEmpty() ? std::vector<postal::CodePlace>{} : postal_.codesFor(address, 1);
    if (codes.empty() || codes.front().code == digits) return offer(QString(), nullptr, QString());
    const QString code = postal::displayCode(codes.front().code);
    offer(QStringLiteral("%1 の郵便番号: %2").arg(codes.front().place.address(), code),
          fields_[PostalColumn], code);
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
