#include "widgets/column_map_dialog.h"

#include "addresses/list_layout.h"
#include "text/cp932.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace rinova::widgets {

using namespace addresses;

ColumnMapDialog::ColumnMapDialog(const HeaderQuestion& q, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("列の割り当て"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("見出しの分からない列があります。各列をどこに読み込むか選んでください。\n"
                       "選んだ割り当ては同じ見出しのファイルに次からも使います。"),
        this));
    header_ = new QCheckBox(QStringLiteral("1 行目は見出しです（宛名として印刷しません）"), this);
    header_->setChecked(q.reading.header || q.reading.maybe);
    layout->addWidget(header_);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("見出し"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("1 件目"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("読み込む列"), this), 0, 2);
    for (std::size_t i = 0; i < q.titles.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        grid->addWidget(new QLabel(text::toUnicode(q.titles[i]), this), row, 0);
        grid->addWidget(
            new QLabel(i < q.sample.size() ? text::toUnicode(q.sample[i]) : QString(), this), row,
            1);
        auto* box = new QComboBox(this);
        box->addItem(QStringLiteral("（読み込まない）"), 0);
        for (int col = Name1Column; col < kAllColumns; ++col)
            box->addItem(columnTitle(col), col);
        const std::vector<int>& guessed = q.reading.layout.fields;
        const int guess = i < guessed.size() ? guessed[i] : columnForTitle(q.titles[i]);
        box->setCurrentIndex(std::max(0, box->findData(guess)));
        grid->addWidget(box, row, 2);
        columns_.push_back(box);
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

ListLayout ColumnMapDialog::layout() const {
    if (!header_->isChecked()) return ListLayout::positional();
    ListLayout l;
    l.header = true;
    for (const QComboBox* box : columns_)
        l.fields.push_back(box->currentData().toInt());
    return l;
}

} // namespace rinova::widgets
