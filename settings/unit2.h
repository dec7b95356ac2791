// TForm2, the character-settings window "文字設定".
#pragma once

#include "settings/form1_link.h"

#include <QWidget>
#include <array>
#include <string>

namespace rinova::settings {

class TForm2 : public QWidget {
    Q_OBJECT
public:
    // Builds the window hidden; FormCreate runs separately, once the main window is complete.
    explicit TForm2(Form1Link& form1, QWidget* parent = nullptr);
    ~TForm2() override;

    void FormCreate();

    // What the card renderer reads on every drawing.
    int fontIndex() const;                     // ComboBox2's item index, -1 for none
    bool printSender() const;                  // CheckBox1
    int cardType() const;                      // RadioGroup1's item index
    std::array<std::string, 7> senderTexts() const; // Edit1 .. Edit7 as Shift-JIS

    struct Controls;
    Controls& controls(); // for tests that drive the window

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Form1Link& form1_;
    Controls* c_;
};

} // namespace rinova::settings
