// A one-line edit whose limit counts bytes of Shift-JIS (a full-width character counts 2) and
// which takes only characters code page 932 can hold. Both rules bind the user's edits (typing,
// pasting, dropping, composing); a text set from code is shown whole.
#pragma once

#include <QLineEdit>

namespace rinova::widgets {

class ByteLimitedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ByteLimitedEdit(QWidget* parent = nullptr);

    // 0: no limit.
    void setByteLimit(int bytes) { byteLimit_ = bytes; }
    int byteLimit() const { return byteLimit_; }

signals:
    // Part of an edit was refused (after the beep).
    void refused();

private:
    void onTextEdited(const QString& text);

    int byteLimit_ = 0;
    QString current_; // the text as of the last completed change
    bool mending_ = false;
    bool staleChange_ = false;
};

// Shift-JIS length of a text whose characters the code page holds.
int sjisLength(const QString& text);

} // namespace rinova::widgets
