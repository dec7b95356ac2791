// TForm2, the character-settings window "文字設定".
#pragma once

#include "settings/form1_link.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <exception>
#include <string>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace rinova::widgets {
class ByteLimitedEdit;
class CompletingComboBox;
class SpinEdit;
} // namespace rinova::widgets

namespace rinova::settings {

class TForm2 : public QWidget {
    Q_OBJECT
public:
    // Builds the window hidden; FormCreate runs separately, once the main window is complete.
    explicit TForm2(Form1Link& form1, QWidget* parent = nullptr);
    ~TForm2() override;

    void FormCreate();

    // What the card renderer reads on every drawing.
    int fontIndex() const;                          // ComboBox2's item index, -1 for none
    bool printSender() const;                       // CheckBox1
    int cardType() const;                           // RadioGroup1's item index
    std::array<std::string, 7> senderTexts() const; // Edit1 .. Edit7 as Shift-JIS

    struct Controls {
        QGroupBox* GroupBox1;
        QLabel *Label1, *Label2, *Label3, *Label4;
        widgets::CompletingComboBox* ComboBox1;
        widgets::SpinEdit *SpinEdit1, *SpinEdit2, *SpinEdit3;
        widgets::CompletingComboBox* ComboBox2;
        QPushButton* Button1;
        QGroupBox* GroupBox2;
        QCheckBox* CheckBox1;
        QGroupBox* RadioGroup1;
        QButtonGroup* RadioGroup1Items; // ids 0 年賀状, 1 官製はがき
        std::array<QRadioButton*, 2> RadioGroup1Buttons;
        QLabel *Label5, *Label6, *Label7, *Label8, *Label9, *Label10, *Label11;
        std::array<widgets::ByteLimitedEdit*, 7> Edits; // Edit1 .. Edit7
    };
    Controls& controls(); // for tests that drive the window

    // The handlers. They throw Failure; the controls' signals run them through guarded(), and
    // the spin edits' handlers run nested inside FormCreate and ComboBox1Change hand their
    // failure on to the outer handler.
    void ComboBox1Change();
    void SpinEdit1Change() { spinEditChange(1); }
    void SpinEdit2Change() { spinEditChange(2); }
    void SpinEdit3Change() { spinEditChange(3); }
    void ComboBox2Change() { redraw(); }
    void CheckBox1Click() { redraw(); }
    void RadioGroup1Click() { redraw(); }
    void Button1Click();
    void FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Keys FormClose writes, in its order.
    enum Stored { FontKey, SashiPrintKey, CardTypeKey, FirstSenderKey, StoredCount = 10 };

    void build();
    void connectHandlers();
    void spinEditChange(int spin);
    void onSpinChanged(int spin);
    void setSpinNested(widgets::SpinEdit* spin, std::int32_t value);
    void redraw() { form1_.StringGrid1Click(); }

    Form1Link& form1_;
    Controls* c_;
    int nested_ = 0;
    std::exception_ptr nestedFailure_;
    // True while a control shows its initial state rather than the file's value (FormCreate did
    // not get to set it) and the user has not changed it: FormClose leaves such keys alone.
    std::array<bool, StoredCount> keepStored_;
    // Sender texts as set from the file: while an edit still shows them, the original bytes are
    // what is kept, even those the code page cannot turn into text and back.
    std::array<std::string, 7> loadedBytes_;
    std::array<QString, 7> loadedTexts_;
};

} // namespace rinova::settings
