// An editable drop-down list that completes typed text to the first item it begins, chooses that
// item, and reports every pick and every edit through changed(). Positions set from code are
// silent.
#pragma once

#include <QComboBox>

namespace rinova::widgets {

class CompletingComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CompletingComboBox(QWidget* parent = nullptr);

signals:
    // An item was picked (list, arrow keys, wheel) or the text was edited by the user.
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onTextEdited(const QString& text);
    // Sets the position while the edit keeps its text, cursor and selection.
    void setIndexKeepingText(int index);

    // Whether a key removes text: the edit it makes is never completed.
    void noteKey(const QKeyEvent* key);

    bool deleting_ = false; // the edit in progress removes text: never complete it
};

} // namespace rinova::widgets
