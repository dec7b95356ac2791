#include "app/settings_window.h"

#include "drawing/fonts.h"
#include "settings/settings_model.h"
#include "text/cp932.h"
#include "widgets/byte_limited_edit.h"
#include "widgets/completing_combo_box.h"
#include "widgets/prompts.h"
#include "widgets/spin_edit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

namespace rinova::app {

namespace {

template <class W> W* place(W* w, int left, int top, int width, int height) {
    w->setGeometry(left, top, width, height);
    return w;
}

QLabel* label(QWidget* parent, const QString& caption, int left, int top, int pixelSize = 0) {
    auto* l = new QLabel(caption, parent);
    if (pixelSize > 0) {
        QFont f = l->font();
        f.setPixelSize(pixelSize);
        l->setFont(f);
    }
    l->move(left, top);
    l->adjustSize();
    return l;
}

} // namespace

SettingsWindow::SettingsWindow(settings::SettingsModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      model_(model) {
    build();
    connectHandlers();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::build() {
    setWindowTitle(QStringLiteral("文字設定"));
    setFont(drawing::windowFont());
    setFixedSize(345, 469);
    move(36, 72);

    Controls& c = c_;
    c.recipientGroup = place(
        new QGroupBox(QStringLiteral("宛名文字　位置・大きさ・フォント"), this), 21, 8, 300, 137);
    label(c.recipientGroup, QStringLiteral("左右"), 104, 16);
    label(c.recipientGroup, QStringLiteral("上下"), 168, 16);
    label(c.recipientGroup, QStringLiteral("大きさ"), 232, 16);
    c.elementCombo = place(new widgets::CompletingComboBox(c.recipientGroup), 16, 37, 65, 20);
    c.elementCombo->addItems(
        {QStringLiteral("住所1"), QStringLiteral("住所2"), QStringLiteral("名前")});
    c.elementCombo->setCurrentIndex(0);
    c.xSpin = place(new widgets::SpinEdit(c.recipientGroup), 96, 36, 49, 21);
    c.ySpin = place(new widgets::SpinEdit(c.recipientGroup), 160, 36, 49, 21);
    c.sizeSpin = place(new widgets::SpinEdit(c.recipientGroup), 224, 36, 49, 21);
    label(c.recipientGroup, QStringLiteral("フォント変更"), 16, 80);
    c.faceCombo = place(new widgets::CompletingComboBox(c.recipientGroup), 16, 101, 137, 20);
    // Each face tells the font it is really drawn with, and so does the list for its face.
    for (const char16_t* face : drawing::VerticalFaces) {
        c.faceCombo->addItem(QString::fromUtf16(face));
        c.faceCombo->setItemData(c.faceCombo->count() - 1,
                                 QStringLiteral("使用フォント: ") +
                                     drawing::fontInUseText(QString::fromUtf16(face)),
                                 Qt::ToolTipRole);
    }
    const auto tellFace = [combo = c.faceCombo] {
        combo->setToolTip(combo->currentData(Qt::ToolTipRole).toString());
    };
    QObject::connect(c.faceCombo, &QComboBox::currentIndexChanged, c.faceCombo, tellFace);
    c.faceCombo->setCurrentIndex(0);
    tellFace();
    buildNumbers();

    c.closeButton = place(new QPushButton(QStringLiteral("閉じる"), this), 135, 432, 75, 25);

    c.senderGroup = place(new QGroupBox(QStringLiteral("差出人印刷"), this), 21, 160, 300, 257);
    c.printSenderCheck =
        place(new QCheckBox(QStringLiteral("差出人印刷する"), c.senderGroup), 16, 24, 105, 17);
    // The caption fills the box's 105 pixels only with the narrower gap of the classic check box.
    c.printSenderCheck->setStyleSheet(QStringLiteral("QCheckBox { spacing: 4px; }"));
    c.cardTypeGroup = place(new QGroupBox(QStringLiteral("選択"), c.senderGroup), 152, 16, 97, 57);
    c.cardTypeButtons = new QButtonGroup(c.cardTypeGroup);
    const QString items[2] = {QStringLiteral("年賀状"), QStringLiteral("官製はがき")};
    for (int i = 0; i < 2; ++i) {
        // Items share the box below its caption in equal rows, as a radio group lays them out.
        c.cardTypeRadios[i] =
            place(new QRadioButton(items[i], c.cardTypeGroup), 8, 16 + 18 * i, 87, 18);
        c.cardTypeButtons->addButton(c.cardTypeRadios[i], i);
    }
    c.cardTypeRadios[0]->setChecked(true);

    label(c.senderGroup, QStringLiteral("〒"), 8, 66, 16);
    label(c.senderGroup, QStringLiteral("-"), 72, 64, 16);
    label(c.senderGroup, QStringLiteral("住所1"), 8, 99);
    label(c.senderGroup, QStringLiteral("住所2"), 8, 132);
    label(c.senderGroup, QStringLiteral("名前1"), 8, 164);
    label(c.senderGroup, QStringLiteral("名前2"), 8, 196);
    label(c.senderGroup, QStringLiteral("備考"), 8, 228);
    struct EditPlace {
        int left, top, width, limit;
    };
    constexpr EditPlace edits[7] = {{32, 64, 33, 0},    {88, 64, 33, 0},   {40, 96, 233, 40},
                                    {40, 128, 153, 26}, {40, 160, 89, 14}, {40, 192, 89, 14},
                                    {40, 224, 233, 40}};
    auto edit = [&](const EditPlace& at) {
        auto* e = place(new widgets::ByteLimitedEdit(c.senderGroup), at.left, at.top, at.width, 20);
        e->setByteLimit(at.limit);
        return e;
    };
    c.senderPostal1 = edit(edits[0]);
    c.senderPostal2 = edit(edits[1]);
    c.senderAddress1 = edit(edits[2]);
    c.senderAddress2 = edit(edits[3]);
    c.senderName1 = edit(edits[4]);
    c.senderName2 = edit(edits[5]);
    c.senderRemark = edit(edits[6]);
    // The postal code parts are 33 pixels wide; the edit's own inner margins would cut the
    // fourth digit of the part after the hyphen.
    c.senderPostal1->setTextMargins(-2, 0, -2, 0);
    c.senderPostal2->setTextMargins(-2, 0, -2, 0);

    QWidget* order[] = {c.elementCombo,         c.xSpin->lineEdit(), c.ySpin->lineEdit(),
                        c.sizeSpin->lineEdit(), c.faceCombo,         c.numbersCombo,
                        c.closeButton,          c.printSenderCheck,  c.senderPostal1,
                        c.senderPostal2,        c.senderAddress1,    c.senderAddress2,
                        c.senderName1,          c.senderName2,       c.senderRemark,
                        c.cardTypeRadios[0],    c.cardTypeRadios[1]};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    c.elementCombo->setFocus();
}

// Beside the face: how the digits of addresses stand, written to the file at once.
void SettingsWindow::buildNumbers() {
    label(c_.recipientGroup, QStringLiteral("住所の数字"), 168, 80);
    c_.numbersCombo = place(new QComboBox(c_.recipientGroup), 168, 101, 120, 20);
    c_.numbersCombo->addItems({QStringLiteral("漢数字・ゼロは０"),
                               QStringLiteral("漢数字・ゼロは〇"),
                               QStringLiteral("算用数字・縦中横")});
    c_.numbersCombo->setCurrentIndex(0);
}

std::vector<QWidget*> SettingsWindow::tabStops() const {
    const Controls& c = c_;
    std::vector<QWidget*> stops = {c.elementCombo,         c.xSpin->lineEdit(), c.ySpin->lineEdit(),
                                   c.sizeSpin->lineEdit(), c.faceCombo,         c.numbersCombo,
                                   c.closeButton,          c.printSenderCheck};
    for (QWidget* edit : c.senderEdits())
        stops.push_back(edit);
    QAbstractButton* checked = c.cardTypeButtons->checkedButton();
    stops.push_back(checked ? checked : c.cardTypeRadios[0]);
    return stops;
}

// Qt's chain holds the inner parts of the compound controls (the lists' edits, the spin edits'
// frames) as entries of their own, and one entry per radio button; walking it skipped the
// element selector after the first round and entered the card type at 年賀状 whatever was
// checked. The window walks its stops itself.
bool SettingsWindow::focusNextPrevChild(bool next) {
    const std::vector<QWidget*> stops = tabStops();
    const int count = static_cast<int>(stops.size());
    QWidget* focus = focusWidget();
    int at = -1;
    for (int i = 0; i < count && focus; ++i)
        if (stops[i] == focus || stops[i]->isAncestorOf(focus)) at = i;
    for (QRadioButton* radio : c_.cardTypeRadios)
        if (focus == radio) at = count - 1;
    for (int step = 1; step <= count; ++step) {
        const int i = at < 0 ? (next ? step - 1 : count - step)
                             : ((at + (next ? step : -step)) % count + count) % count;
        if (stops[i]->isEnabled() && stops[i]->isVisibleTo(this)) {
            stops[i]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void SettingsWindow::connectHandlers() {
    Controls& c = c_;
    connect(c.elementCombo, &widgets::CompletingComboBox::changed, this,
            [this] { widgets::guarded([this] { onElementChosen(); }); });
    connect(c.xSpin, &widgets::SpinEdit::changed, this, [this] { onSpinSignal(1); });
    connect(c.ySpin, &widgets::SpinEdit::changed, this, [this] { onSpinSignal(2); });
    connect(c.sizeSpin, &widgets::SpinEdit::changed, this, [this] { onSpinSignal(3); });
    connect(c.faceCombo, &widgets::CompletingComboBox::changed, this,
            [this] { widgets::guarded([this] { onFaceChosen(); }); });
    connect(c.numbersCombo, &QComboBox::activated, this,
            [this] { widgets::guarded([this] { onNumbersChosen(); }); });
    connect(c.printSenderCheck, &QCheckBox::toggled, this,
            [this] { widgets::guarded([this] { onPrintSenderToggled(); }); });
    connect(c.cardTypeButtons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) widgets::guarded([this] { onCardTypeChosen(); });
    });
    const auto edits = c.senderEdits();
    // The edit's text rather than the signal's: after a mended edit the signal still carries
    // the text before mending.
    for (int i = 0; i < 7; ++i)
        connect(edits[i], &QLineEdit::textChanged, this,
                [this, i, edit = edits[i]] { model_.setSenderText(i, edit->text()); });
    connect(c.closeButton, &QPushButton::clicked, this, [this] { close(); });
}

void SettingsWindow::loadFromSettings() {
    Controls& c = c_;
    // Throws for a "FontName" that is not an integer before any control is set.
    model_.takeWindowChoices();
    const settings::WindowChoices& choices = model_.choices();
    c.faceCombo->setCurrentIndex(choices.fontIndex);
    c.numbersCombo->setCurrentIndex(model_.numberStyle());
    c.printSenderCheck->setChecked(choices.printSender);
    c.cardTypeRadios[choices.cardType]->setChecked(true);
    const auto edits = c.senderEdits();
    for (int i = 0; i < 7; ++i)
        edits[i]->setText(text::toUnicode(choices.senderTexts[i]));
    // Element 0 is chosen: a non-zero offset runs its spin edit's handler, which writes the key
    // back in decimal form.
    setSpinNested(c.xSpin, model_.offsetValue(settings::Address1, settings::Horizontal));
    setSpinNested(c.ySpin, model_.offsetValue(settings::Address1, settings::Vertical));
    setSpinNested(c.sizeSpin, model_.offsetValue(settings::Address1, settings::Size));
}

void SettingsWindow::onElementChosen() {
    Controls& c = c_;
    const int p = c.elementCombo->currentIndex();
    if (p >= settings::Address1 && p <= settings::Names) {
        model_.rereadElement(p);
        setSpinNested(c.xSpin, model_.offsetValue(p, settings::Horizontal));
        setSpinNested(c.ySpin, model_.offsetValue(p, settings::Vertical));
        setSpinNested(c.sizeSpin, model_.offsetValue(p, settings::Size));
        c.sizeSpin->setEnabled(p != settings::Address2);
    }
    model_.announceChange();
}

void SettingsWindow::spinChanged(int spin) {
    Controls& c = c_;
    widgets::SpinEdit* spins[] = {c.xSpin, c.ySpin, c.sizeSpin};
    const int p = c.elementCombo->currentIndex();
    if (p >= settings::Address1 && p <= settings::Names)
        model_.storeOffset(p, static_cast<settings::Spin>(spin), spins[spin - 1]->value());
    else
        model_.announceChange();
}

// A spin edit's handler runs inside the signal of its text change. On its own it reports its
// failure itself; nested in another handler it must end that handler too, so the failure is
// kept and thrown again once the setter has returned (it may not pass through Qt).
void SettingsWindow::onSpinSignal(int spin) {
    if (nested_ == 0) {
        // A held arrow button steps again every 100 ms; after a failed step it must stop, or
        // every repeat would report the failure again (the box takes the button's release).
        widgets::guarded([&] {
            try {
                spinChanged(spin);
            } catch (...) {
                widgets::SpinEdit* spins[] = {c_.xSpin, c_.ySpin, c_.sizeSpin};
                spins[spin - 1]->stopRepeat();
                throw;
            }
        });
        return;
    }
    if (nestedFailure_) return;
    try {
        spinChanged(spin);
    } catch (...) {
        nestedFailure_ = std::current_exception();
    }
}

void SettingsWindow::setSpinNested(widgets::SpinEdit* spin, std::int32_t value) {
    ++nested_;
    spin->setValue(value);
    --nested_;
    if (nestedFailure_) std::rethrow_exception(std::exchange(nestedFailure_, nullptr));
}

void SettingsWindow::onFaceChosen() {
    model_.setFaceIndex(c_.faceCombo->currentIndex());
}

void SettingsWindow::onNumbersChosen() {
    model_.setNumberStyle(c_.numbersCombo->currentIndex());
}

void SettingsWindow::onPrintSenderToggled() {
    model_.setPrintSender(c_.printSenderCheck->isChecked());
}

void SettingsWindow::onCardTypeChosen() {
    model_.setCardType(c_.cardTypeButtons->checkedId());
}

void SettingsWindow::saveOnClose() {
    model_.saveWindowChoices();
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    // The window only hides (it lives as long as the application), and only once its keys are
    // stored; a failed write keeps it open.
    if (widgets::guarded([this] { saveOnClose(); }))
        event->accept();
    else
        event->ignore();
}

} // namespace rinova::app
