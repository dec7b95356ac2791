#include "widgets/completing_combo_box.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace rinova::widgets {

CompletingComboBox::CompletingComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completion is ours: Qt's completer would complete without choosing the item.
    setCompleter(nullptr);
    lineEdit()->installEventFilter(this);
    // Qt chooses an item whose text matches exactly when editing finishes; a text the user
    // shortened must keep no item chosen, so that choice is left out.
    disconnect(lineEdit(), SIGNAL(editingFinished()), this, nullptr);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CompletingComboBox::onTextEdited);
    connect(this, &QComboBox::activated, this, &CompletingComboBox::changed);
}

void CompletingComboBox::noteKey(const QKeyEvent* key) {
    deleting_ = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                key->matches(QKeySequence::Cut) || key->matches(QKeySequence::DeleteStartOfWord) ||
                key->matches(QKeySequence::DeleteEndOfWord) ||
                key->matches(QKeySequence::DeleteEndOfLine) ||
                key->matches(QKeySequence::DeleteCompleteLine);
}

bool CompletingComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::KeyPress)
        noteKey(static_cast<QKeyEvent*>(event));
    return QComboBox::eventFilter(watched, event);
}

// The keys a user types arrive here, at the box that has the focus; the box hands them to its
// edit directly, past the edit's event filters.
void CompletingComboBox::keyPressEvent(QKeyEvent* event) {
    noteKey(event);
    QComboBox::keyPressEvent(event);
}

void CompletingComboBox::onTextEdited(const QString& text) {
    const bool deleting = deleting_;
    deleting_ = false;
    int found = -1;
    if (!deleting && !text.isEmpty()) {
        for (int i = 0; i < count(); ++i) {
            if (itemText(i).startsWith(text, Qt::CaseInsensitive)) {
                found = i;
                break;
            }
        }
    }
    if (found >= 0) {
        const QString item = itemText(found);
        {
            const QSignalBlocker block(this);
            setCurrentIndex(found);
        }
        // The item's whole text, with the part the user has not typed selected, so that typing
        // on replaces it.
        lineEdit()->setText(item);
        lineEdit()->setSelection(text.size(), item.size() - text.size());
    } else {
        setIndexKeepingText(-1);
    }
    emit changed();
}

void CompletingComboBox::setIndexKeepingText(int index) {
    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    {
        const QSignalBlocker block(this);
        setCurrentIndex(index);
    }
    if (edit->text() != text) {
        edit->setText(text);
        edit->setCursorPosition(cursor);
    }
}

} // namespace rinova::widgets
