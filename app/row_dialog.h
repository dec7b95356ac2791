// The dialog that edits one address row: a field for each column, Tab from one to the next,
// Enter keeps the row, Escape leaves it as it was.
#pragma once

#include "addresses/list_records.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace rinova::postal {
class Directory;
}

namespace rinova::app {

class RowDialog : public QDialog {
    Q_OBJECT
public:
    // `cells`: the row as the grid has it (Shift-JIS, columns 0 to 10). `postal`: the codes
    // that a typed code or address is looked up in; the installed data when none is given.
    RowDialog(const addresses::RowCells& cells, QWidget* parent = nullptr,
              const postal::Directory* postal = nullptr);

    // The row as typed. Call after accept(); a text that no address file can hold (a control
    // character, a character without a Shift-JIS form) keeps the dialog open with a message.
    const addresses::RowCells& cells() const { return cells_; }
    QLineEdit* field(int column) const;
    QComboBox* honorific() const { return honorific_; }
    QCheckBox* printMark() const { return printMark_; }
    // What the postal data offers for the code or address typed last, and the button that
    // takes it; hidden while there is nothing to offer.
    QLabel* postalOffer() const { return offer_; }
    QPushButton* postalTake() const { return take_; }

    void accept() override;

private:
    void offerAddressForCode();
    void offerCodeForAddress();
    void offer(const QString& text, QLineEdit* into, const QString& value);

    addresses::RowCells cells_;
    const postal::Directory& postal_;
    QLabel* offer_ = nullptr;
    QPushButton* take_ = nullptr;
    QLineEdit* offerInto_ = nullptr;
    QString offerValue_;
    std::array<QLineEdit*, addresses::kAllColumns> fields_{};
    QComboBox* honorific_ = nullptr;
    QCheckBox* printMark_ = nullptr;
};

} // namespace rinova::app
