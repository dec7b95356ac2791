// The character-settings window "文字設定": edits the settings model and writes the file through
// it.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <exception>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace rinova::settings {
class SettingsModel;
}
namespace rinova::widgets {
class ByteLimitedEdit;
class CompletingComboBox;
class SpinEdit;
} // namespace rinova::widgets

namespace rinova::app {

class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    // Builds the window hidden; loadFromSettings runs separately, once the main window has
    // loaded the settings.
    explicit SettingsWindow(settings::SettingsModel& model, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Fills the controls from the settings; throws the first failure (the controls filled so
    // far keep their values).
    void loadFromSettings();

    struct Controls {
        QGroupBox* recipientGroup = nullptr;
        widgets::CompletingComboBox* elementCombo = nullptr; // 住所1, 住所2, 名前
        widgets::SpinEdit* xSpin = nullptr;
        widgets::SpinEdit* ySpin = nullptr;
        widgets::SpinEdit* sizeSpin = nullptr;
        widgets::CompletingComboBox* faceCombo = nullptr;
        QComboBox* numbersCombo = nullptr; // how the digits of addresses stand
        QPushButton* closeButton = nullptr;
        QGroupBox* senderGroup = nullptr;
        QCheckBox* printSenderCheck = nullptr;
        QGroupBox* cardTypeGroup = nullptr;
        QButtonGroup* cardTypeButtons = nullptr; // ids 0 年賀状, 1 官製はがき
        std::array<QRadioButton*, 2> cardTypeRadios{};
        widgets::ByteLimitedEdit* senderPostal1 = nullptr;
        widgets::ByteLimitedEdit* senderPostal2 = nullptr;
        widgets::ByteLimitedEdit* senderAddress1 = nullptr;
        widgets::ByteLimitedEdit* senderAddress2 = nullptr;
        widgets::ByteLimitedEdit* senderName1 = nullptr;
        widgets::ByteLimitedEdit* senderName2 = nullptr;
        widgets::ByteLimitedEdit* senderRemark = nullptr;
        // The seven sender edits in the order of their keys.
        std::array<widgets::ByteLimitedEdit*, 7> senderEdits() const {
            return {senderPostal1, senderPostal2, senderAddress1, senderAddress2,
                    senderName1,   senderName2,   senderRemark};
        }
    };
    Controls& controls() { return c_; } // for tests that drive the window

    // The handlers. They throw text::Failure; the controls' signals run them through guarded(), and
    // the spin edits' handlers run nested inside loadFromSettings and onElementChosen hand
    // their failure on to the outer handler.
    void onElementChosen();
    void onXChanged() { spinChanged(1); }
    void onYChanged() { spinChanged(2); }
    void onSizeChanged() { spinChanged(3); }
    void onFaceChosen();
    void onNumbersChosen();
    void onPrintSenderToggled();
    void onCardTypeChosen();
    // Stores the window's choices; a failed write keeps the window open.
    void saveOnClose();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Tab and Shift+Tab go round the window's own stops, whatever Qt's focus chain holds.
    bool focusNextPrevChild(bool next) override;

private:
    void build();
    void buildNumbers();
    void connectHandlers();
    void spinChanged(int spin);
    void onSpinSignal(int spin);
    void setSpinNested(widgets::SpinEdit* spin, std::int32_t value);
    // The controls Tab visits, in order; the card type is one stop, its checked button.
    std::vector<QWidget*> tabStops() const;

    settings::SettingsModel& model_;
    Controls c_;
    int nested_ = 0;
    std::exception_ptr nestedFailure_;
};

} // namespace rinova::app
