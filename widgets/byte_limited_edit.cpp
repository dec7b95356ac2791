#include "widgets/byte_limited_edit.h"

#include "text/cp932.h"

#include <QApplication>
#include <utility>

namespace rinova::widgets {

namespace {

// Control characters (a pasted line break above all) have no place in a one-line value.
bool storable(QStringView ch) {
    return !(ch.size() == 1 && (ch[0].unicode() < 0x20 || ch[0].unicode() == 0x7F)) &&
           text::canEncode(ch);
}

int unitLength(QChar c) {
    return static_cast<int>(text::encodeUnit(c.unicode()).size());
}

} // namespace

int sjisLength(const QString& text) {
    int n = 0;
    for (QChar c : text)
        n += unitLength(c);
    return n;
}

ByteLimitedEdit::ByteLimitedEdit(QWidget* parent) : QLineEdit(parent) {
    // QLineEdit reports a user's edit through textEdited before textChanged; after a mended edit
    // its textChanged still carries the unmended text, which is not the text any more.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (std::exchange(staleChange_, false)) return;
        current_ = t;
    });
    connect(this, &QLineEdit::textEdited, this, &ByteLimitedEdit::onTextEdited);
}

// The edit has already happened; find what it inserted (the part between the common head and
// tail of the old and new texts) and keep only what may stay.
void ByteLimitedEdit::onTextEdited(const QString& now) {
    if (mending_) return;
    const QString old = current_; // textChanged has not run yet for this edit
    qsizetype head = 0;
    const qsizetype shorter = qMin(old.size(), now.size());
    while (head < shorter && old[head] == now[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && old[old.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    // Never split a surrogate pair between the kept and the inserted part.
    if (head > 0 && now[head - 1].isHighSurrogate()) --head;
    if (tail > 0 && now[now.size() - tail].isLowSurrogate()) --tail;
    const QString inserted = now.mid(head, now.size() - head - tail);

    QString kept;
    int room =
        byteLimit_ > 0 ? byteLimit_ - sjisLength(old.left(head)) - sjisLength(old.right(tail)) : -1;
    for (qsizetype i = 0; i < inserted.size();) {
        const qsizetype n = (inserted[i].isHighSurrogate() && i + 1 < inserted.size() &&
                             inserted[i + 1].isLowSurrogate())
                                ? 2
                                : 1;
        const QStringView ch = QStringView(inserted).mid(i, n);
        i += n;
        if (!storable(ch)) continue;
        if (byteLimit_ > 0) {
            const int len = unitLength(ch[0]);
            if (len > room) break; // cut at a character boundary
            room -= len;
        }
        kept += ch;
    }
    if (kept == inserted) return;

    mending_ = true;
    setText(now.left(head) + kept + now.right(tail));
    setCursorPosition(static_cast<int>(head + kept.size()));
    mending_ = false;
    staleChange_ = true;
    QApplication::beep();
    emit refused();
}

} // namespace rinova::widgets
