#include "widgets/spin_edit.h"

#include "settings/int_text.h"
#include "text/cp932.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>

namespace rinova::widgets {

namespace {

constexpr int kButtonWidth = 15;

QToolButton* makeButton(Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(SpinEdit::kRepeatDelayMs);
    button->setAutoRepeatInterval(SpinEdit::kRepeatIntervalMs);
    return button;
}

} // namespace

SpinEdit::SpinEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(QStringLiteral("0"), this)),
      up_(makeButton(Qt::UpArrow, this)), down_(makeButton(Qt::DownArrow, this)) {
    setFocusProxy(edit_);
    setFocusPolicy(edit_->focusPolicy());
    // A number field takes no composed text; every typed character goes through the filter.
    edit_->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::textChanged, this, &SpinEdit::changed);
    // A press steps at once; the auto-repeat presses again after the delay, then at each interval.
    connect(up_, &QToolButton::pressed, this, [this] { stepBy(1); });
    connect(down_, &QToolButton::pressed, this, [this] { stepBy(-1); });
}

std::int32_t SpinEdit::value() const {
    return settings::parseIntText(text::fromUnicode(edit_->text())).value_or(0);
}

void SpinEdit::setValue(std::int32_t v) {
    const QString shown = QString::number(v);
    if (edit_->text() != shown) edit_->setText(shown);
}

void SpinEdit::stepBy(int steps) {
    setValue(static_cast<std::int32_t>(static_cast<std::uint32_t>(value()) +
                                       static_cast<std::uint32_t>(steps)));
}

void SpinEdit::stopRepeat() {
    up_->setDown(false);
    down_->setDown(false);
}

QString SpinEdit::text() const {
    return edit_->text();
}

QSize SpinEdit::sizeHint() const {
    return {49, 21};
}

bool SpinEdit::acceptsTyped(const QString& typed) const {
    const QString decimal = QLocale().decimalPoint();
    for (QChar c : typed) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || u == 0x7F;
        const bool digit = u >= '0' && u <= '9';
        if (!(control || digit || u == '+' || u == '-' || decimal.contains(c))) return false;
    }
    return true;
}

void SpinEdit::refuse() {
    QApplication::beep();
    emit refused();
}

bool SpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            stepBy(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            refuse();
            return true;
        }
        // Control-key combinations (copy, cut, paste, undo) are control characters: allowed.
        if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
        if (!key->text().isEmpty() && !acceptsTyped(key->text())) {
            refuse();
            return true;
        }
    } else if (event->type() == QEvent::InputMethod) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        if (!acceptsTyped(im->commitString())) {
            refuse();
            return true;
        }
    }
    return false;
}

void SpinEdit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width(), h = height();
    const int bw = qMin(kButtonWidth, w / 2);
    edit_->setGeometry(0, 0, w - bw, h);
    up_->setGeometry(w - bw, 0, bw, h / 2);
    down_->setGeometry(w - bw, h / 2, bw, h - h / 2);
}

} // namespace rinova::widgets
