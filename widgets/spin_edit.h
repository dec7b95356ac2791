// A one-line integer field with up and down buttons and no range: any signed 32-bit value, never
// clamped. The value is the text by the settings file's integer rule (0 when it is not one).
#pragma once

#include <QWidget>
#include <cstdint>

class QLineEdit;
class QToolButton;

namespace rinova::widgets {

class SpinEdit : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatIntervalMs = 100;

    explicit SpinEdit(QWidget* parent = nullptr);

    std::int32_t value() const;
    // Replaces the text by the decimal text of v; no change when that text is already shown.
    void setValue(std::int32_t v);
    // value() + steps in 32-bit two's complement: stepping past the end wraps round.
    void stepBy(int steps);
    // Lets go of a held arrow button, so its auto-repeat stops (a step that failed must not be
    // tried again and again while the button is down).
    void stopRepeat();

    QString text() const;
    QLineEdit* lineEdit() const { return edit_; }
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

    QSize sizeHint() const override;

signals:
    // Every change of the text: typed, pasted, stepped or set.
    void changed();
    // A key was refused (after the beep).
    void refused();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool acceptsTyped(const QString& typed) const;
    void refuse();

    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace rinova::widgets
