// The printer set-up dialog: chooses printer, paper and orientation for later jobs, and opens
// the printer's own properties; prints nothing.
#pragma once

#include <QDialog>
#include <QPageSize>

class QComboBox;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace rinova::widgets {

class PrinterSetupDialog : public QDialog {
public:
    // Shows the settings of `printer`; accept() writes the choice back into it.
    PrinterSetupDialog(QPrinter& printer, QWidget* parent = nullptr);

    void accept() override;

    // The printer's papers by their Japanese names, postcard first.
    QComboBox& papers() { return *papers_; }
    QComboBox& printers() { return *printers_; }

private:
    // The paper list of the chosen printer; `keep` stays chosen when the printer has it, else
    // the printer's own default.
    void fillPapers(const QPageSize& keep);
    // The printer's own properties dialog, for the printer and paper chosen so far.
    void showProperties();
    // The choices made so far, written into a printer.
    void applyTo(QPrinter& printer) const;

    QPrinter& printer_;
    QComboBox* printers_;
    QComboBox* papers_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
    QPushButton* properties_;
};

} // namespace rinova::widgets
