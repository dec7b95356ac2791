#include "app/calibration_window.h"

#include "drawing/fonts.h"
#include "settings/settings_model.h"
#include "text/failure.h"
#include "widgets/prompts.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace rinova::app {

namespace {

QDoubleSpinBox* millimetres(QWidget* parent) {
    auto* spin = new QDoubleSpinBox(parent);
    spin->setDecimals(1);
    spin->setSingleStep(0.1);
    spin->setRange(-settings::kCalibrationLimit / 10.0, settings::kCalibrationLimit / 10.0);
    spin->setSuffix(QStringLiteral(" mm"));
    spin->setAccelerated(true);
    return spin;
}

std::int32_t units(const QDoubleSpinBox* spin) {
    return static_cast<std::int32_t>(std::lround(spin->value() * 10));
}

} // namespace

CalibrationWindow::CalibrationWindow(settings::SettingsModel& model,
                                     std::function<QString()> currentPrinter,
                                     std::function<void()> printTest, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), currentPrinter_(std::move(currentPrinter)),
      printTest_(std::move(printTest)) {
    setWindowTitle(QStringLiteral("印刷位置の調整"));
    setFont(drawing::windowFont());
    auto* layout = new QVBoxLayout(this);
    printerLabel_ = new QLabel(this);
    layout->addWidget(printerLabel_);

    const QString groups[2] = {QStringLiteral("はがき全体"),
                               QStringLiteral("郵便番号（はがき全体に加えて）")};
    for (int g = 0; g < 2; ++g) {
        auto* box = new QGroupBox(groups[g], this);
        auto* grid = new QGridLayout(box);
        const QString captions[2] = {QStringLiteral("左右"), QStringLiteral("上下")};
        for (int i = 0; i < 2; ++i) {
            QDoubleSpinBox*& spin = spins_[static_cast<std::size_t>(g * 2 + i)];
            spin = millimetres(box);
            grid->addWidget(new QLabel(captions[i], box), 0, i);
            grid->addWidget(spin, 1, i);
            connect(spin, &QDoubleSpinBox::valueChanged, this, [this] {
                if (!filling_) widgets::guarded([this] { store(); });
            });
        }
        layout->addWidget(box);
    }
    auto* note = new QLabel(
        QStringLiteral("＋で右へ・上へ、0.1 mm 単位。値はこのプリンタに印刷するときだけ使い、\n"
                       "プレビューは設計どおりのはがきを表示します。"),
        this);
    layout->addWidget(note);

    auto* buttons = new QHBoxLayout;
    testButton_ = new QPushButton(QStringLiteral("テスト印刷..."), this);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    buttons->addWidget(testButton_);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(testButton_, &QPushButton::clicked, this, [this] {
        widgets::guarded([this] { printTest_(); });
        showCurrentPrinter(); // the print dialog may have chosen another printer
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

void CalibrationWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showCurrentPrinter();
}

void CalibrationWindow::showCurrentPrinter() {
    printer_.clear();
    try {
        printer_ = currentPrinter_();
    } catch (const text::Failure&) {
    }
    const settings::Calibration shifts =
        printer_.isEmpty() ? settings::Calibration{} : model_.calibration(printer_);
    filling_ = true;
    const std::int32_t values[4] = {shifts.cardX, shifts.cardY, shifts.postalX, shifts.postalY};
    for (std::size_t i = 0; i < spins_.size(); ++i) {
        spins_[i]->setValue(values[i] / 10.0);
        spins_[i]->setEnabled(!printer_.isEmpty());
    }
    filling_ = false;
    printerLabel_->setText(printer_.isEmpty()
                               ? QStringLiteral("プリンタ: なし（プリンタを設定してください）")
                               : QStringLiteral("プリンタ: ") + printer_);
    testButton_->setEnabled(!printer_.isEmpty());
}

void CalibrationWindow::store() {
    if (printer_.isEmpty()) return;
    model_.setCalibration(printer_,
                          {units(spins_[0]), units(spins_[1]), units(spins_[2]), units(spins_[3])});
}

} // namespace rinova::app
