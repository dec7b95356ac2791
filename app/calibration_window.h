// The window "印刷位置の調整": where the current printer puts the card and the postal code,
// in 0.1 mm steps, stored for that printer the moment a value changes; and its test sheet.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace rinova::settings {
class SettingsModel;
}

namespace rinova::app {

class CalibrationWindow : public QWidget {
    Q_OBJECT
public:
    // currentPrinter: the name of the printer cards go to now (throws when there is none);
    // printTest: prints its test sheet.
    CalibrationWindow(settings::SettingsModel& model, std::function<QString()> currentPrinter,
                      std::function<void()> printTest, QWidget* parent = nullptr);

    // Shows the current printer's shifts; the spin boxes are off when there is no printer.
    void showCurrentPrinter();
    const QString& printer() const { return printer_; }

    // Card X, card Y, postal X, postal Y, in millimetres; for tests that drive the window.
    std::array<QDoubleSpinBox*, 4>& spins() { return spins_; }
    QPushButton& testButton() { return *testButton_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void store();

    settings::SettingsModel& model_;
    std::function<QString()> currentPrinter_;
    std::function<void()> printTest_;
    QString printer_;
    QLabel* printerLabel_ = nullptr;
    std::array<QDoubleSpinBox*, 4> spins_{};
    QPushButton* testButton_ = nullptr;
    bool filling_ = false;
};

} // namespace rinova::app
