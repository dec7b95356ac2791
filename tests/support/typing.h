// Types text as key events, one per character: QTest's key clicks take only ASCII.
#pragma once

#include <QKeyEvent>
#include <QString>
#include <QTest>
#include <QWidget>

namespace rinova::testing {

inline void typeText(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString ch = text.mid(i, 1);
        if (text[i].isHighSurrogate() && i + 1 < text.size()) ch = text.mid(i++, 2);
        const ushort u = ch[0].unicode();
        if (u < 0x80 && ch.size() == 1) {
            QTest::keyClicks(widget, ch);
            continue;
        }
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, ch, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, ch, Qt::NoModifier);
    }
}

} // namespace rinova::testing
