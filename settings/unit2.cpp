#include "settings/unit2.h"

#include "settings/int_text.h"
#include "settings/window_choices.h"
#include "text/cp932.h"
#include "widgets/byte_limited_edit.h"
#include "widgets/completing_combo_box.h"
#include "widgets/prompts.h"
#include "widgets/spin_edit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

namespace rinova::settings {

namespace {

const QString kUiFace = QStringLiteral("ＭＳ Ｐゴシック");

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

TForm2::TForm2(Form1Link& form1, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      form1_(form1), c_(new Controls{}) {
    // Until FormCreate has set them, the controls hold no stored value worth writing.
    keepStored_.fill(true);
    build();
    connectHandlers();
}

TForm2::~TForm2() {
    delete c_;
}

TForm2::Controls& TForm2::controls() {
    return *c_;
}

void TForm2::build() {
    setWindowTitle(QStringLiteral("文字設定"));
    QFont::insertSubstitutions(kUiFace,
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("IPAexGothic"), QStringLiteral("Noto Sans CJK JP")});
    QFont font(kUiFace);
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(345, 469);
    move(36, 72);

    Controls& c = *c_;
    c.GroupBox1 = place(new QGroupBox(QStringLiteral("宛名文字　位置・大きさ・フォント"), this), 21,
                        8, 300, 137);
    c.Label1 = label(c.GroupBox1, QStringLiteral("左右"), 104, 16);
    c.Label2 = label(c.GroupBox1, QStringLiteral("上下"), 168, 16);
    c.Label3 = label(c.GroupBox1, QStringLiteral("大きさ"), 232, 16);
    c.ComboBox1 = place(new widgets::CompletingComboBox(c.GroupBox1), 16, 37, 65, 20);
    c.ComboBox1->addItems(
        {QStringLiteral("住所1"), QStringLiteral("住所2"), QStringLiteral("名前")});
    c.ComboBox1->setCurrentIndex(0);
    c.SpinEdit1 = place(new widgets::SpinEdit(c.GroupBox1), 96, 36, 49, 21);
    c.SpinEdit2 = place(new widgets::SpinEdit(c.GroupBox1), 160, 36, 49, 21);
    c.SpinEdit3 = place(new widgets::SpinEdit(c.GroupBox1), 224, 36, 49, 21);
    c.Label4 = label(c.GroupBox1, QStringLiteral("フォント変更"), 16, 80);
    c.ComboBox2 = place(new widgets::CompletingComboBox(c.GroupBox1), 16, 101, 137, 20);
    c.ComboBox2->addItems({QStringLiteral("@ＤＦ行書体"), QStringLiteral("@ＭＳ 明朝"),
                           QStringLiteral("@ＭＳ ゴシック"), QStringLiteral("@HG行書体"),
                           QStringLiteral("@HG創英角ﾎﾟｯﾌﾟ体")});
    c.ComboBox2->setCurrentIndex(0);

    c.Button1 = place(new QPushButton(QStringLiteral("閉じる"), this), 135, 432, 75, 25);

    c.GroupBox2 = place(new QGroupBox(QStringLiteral("差出人印刷"), this), 21, 160, 300, 257);
    c.CheckBox1 =
        place(new QCheckBox(QStringLiteral("差出人印刷する"), c.GroupBox2), 16, 24, 105, 17);
    // The caption fills the box's 105 pixels only with the narrower gap of the classic check box.
    c.CheckBox1->setStyleSheet(QStringLiteral("QCheckBox { spacing: 4px; }"));
    c.RadioGroup1 = place(new QGroupBox(QStringLiteral("選択"), c.GroupBox2), 152, 16, 97, 57);
    c.RadioGroup1Items = new QButtonGroup(c.RadioGroup1);
    const QString items[2] = {QStringLiteral("年賀状"), QStringLiteral("官製はがき")};
    for (int i = 0; i < 2; ++i) {
        // Items share the box below its caption in equal rows, as a radio group lays them out.
        c.RadioGroup1Buttons[i] =
            place(new QRadioButton(items[i], c.RadioGroup1), 8, 16 + 18 * i, 87, 18);
        c.RadioGroup1Items->addButton(c.RadioGroup1Buttons[i], i);
    }
    c.RadioGroup1Buttons[0]->setChecked(true);

    c.Label5 = label(c.GroupBox2, QStringLiteral("〒"), 8, 66, 16);
    c.Label6 = label(c.GroupBox2, QStringLiteral("-"), 72, 64, 16);
    c.Label7 = label(c.GroupBox2, QStringLiteral("住所1"), 8, 99);
    c.Label8 = label(c.GroupBox2, QStringLiteral("住所2"), 8, 132);
    c.Label9 = label(c.GroupBox2, QStringLiteral("名前1"), 8, 164);
    c.Label10 = label(c.GroupBox2, QStringLiteral("名前2"), 8, 196);
    c.Label11 = label(c.GroupBox2, QStringLiteral("備考"), 8, 228);
    struct EditPlace {
        int left, top, width, limit;
    };
    constexpr EditPlace edits[7] = {{32, 64, 33, 0},    {88, 64, 33, 0},   {40, 96, 233, 40},
                                    {40, 128, 153, 26}, {40, 160, 89, 14}, {40, 192, 89, 14},
                                    {40, 224, 233, 40}};
    for (int i = 0; i < 7; ++i) {
        c.Edits[i] = place(new widgets::ByteLimitedEdit(c.GroupBox2), edits[i].left, edits[i].top,
                           edits[i].width, 20);
        c.Edits[i]->setByteLimit(edits[i].limit);
    }
    // The postal code parts are 33 pixels wide; the edit's own inner margins would cut the
    // fourth digit of the part after the hyphen.
    c.Edits[0]->setTextMargins(-2, 0, -2, 0);
    c.Edits[1]->setTextMargins(-2, 0, -2, 0);

    QWidget* order[] = {c.ComboBox1,
                        c.SpinEdit1->lineEdit(),
                        c.SpinEdit2->lineEdit(),
                        c.SpinEdit3->lineEdit(),
                        c.ComboBox2,
                        c.Button1,
                        c.CheckBox1,
                        c.Edits[0],
                        c.Edits[1],
                        c.Edits[2],
                        c.Edits[3],
                        c.Edits[4],
                        c.Edits[5],
                        c.Edits[6],
                        c.RadioGroup1Buttons[0],
                        c.RadioGroup1Buttons[1]};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TForm2::connectHandlers() {
    Controls& c = *c_;
    connect(c.ComboBox1, &widgets::CompletingComboBox::changed, this,
            [this] { guarded([this] { ComboBox1Change(); }); });
    connect(c.SpinEdit1, &widgets::SpinEdit::changed, this, [this] { onSpinChanged(1); });
    connect(c.SpinEdit2, &widgets::SpinEdit::changed, this, [this] { onSpinChanged(2); });
    connect(c.SpinEdit3, &widgets::SpinEdit::changed, this, [this] { onSpinChanged(3); });
    // The user's own changes also mark a choice as worth storing (see keepStored_).
    connect(c.ComboBox2, &widgets::CompletingComboBox::changed, this, [this] {
        keepStored_[FontKey] = false;
        guarded([this] { ComboBox2Change(); });
    });
    connect(c.CheckBox1, &QCheckBox::clicked, this, [this] { keepStored_[SashiPrintKey] = false; });
    connect(c.CheckBox1, &QCheckBox::toggled, this,
            [this] { guarded([this] { CheckBox1Click(); }); });
    connect(c.RadioGroup1Items, &QButtonGroup::idClicked, this,
            [this] { keepStored_[CardTypeKey] = false; });
    connect(c.RadioGroup1Items, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) guarded([this] { RadioGroup1Click(); });
    });
    for (int i = 0; i < 7; ++i)
        connect(c.Edits[i], &QLineEdit::textEdited, this,
                [this, i] { keepStored_[FirstSenderKey + i] = false; });
    connect(c.Button1, &QPushButton::clicked, this,
            [this] { guarded([this] { Button1Click(); }); });
}

void TForm2::FormCreate() {
    Controls& c = *c_;
    const RawSettings& raw = form1_.rawSettings();
    // Throws for a "FontName" that is not an integer before any control is set.
    const WindowChoices choices = windowChoices(raw);
    c.ComboBox2->setCurrentIndex(choices.fontIndex);
    keepStored_[FontKey] = false;
    c.CheckBox1->setChecked(choices.printSender);
    keepStored_[SashiPrintKey] = false;
    c.RadioGroup1Buttons[choices.cardType]->setChecked(true);
    keepStored_[CardTypeKey] = false;
    for (int i = 0; i < 7; ++i) {
        loadedBytes_[i] = choices.senderTexts[i];
        loadedTexts_[i] = text::toUnicode(loadedBytes_[i]);
        c.Edits[i]->setText(loadedTexts_[i]);
        keepStored_[FirstSenderKey + i] = false;
    }
    // Element 0 is chosen: a non-zero offset runs its spin edit's handler, which writes the key
    // back in decimal form.
    setSpinNested(c.SpinEdit1, StrToInt(raw[Key::Edit1Value0]));
    setSpinNested(c.SpinEdit2, StrToInt(raw[Key::Edit2Value0]));
    setSpinNested(c.SpinEdit3, StrToInt(raw[Key::Edit3Value01]));
}

void TForm2::ComboBox1Change() {
    Controls& c = *c_;
    SettingsStore store(form1_.settingsPath());
    const int p = c.ComboBox1->currentIndex();
    if (p >= Address1 && p <= Names) {
        RawSettings& raw = form1_.rawSettings();
        store.rereadElement(p, raw);
        setSpinNested(c.SpinEdit1, StrToInt(raw[offsetSlot(p, Horizontal).key]));
        setSpinNested(c.SpinEdit2, StrToInt(raw[offsetSlot(p, Vertical).key]));
        setSpinNested(c.SpinEdit3, StrToInt(raw[offsetSlot(p, Size).key]));
        c.SpinEdit3->setEnabled(p != Address2);
    }
    redraw();
}

void TForm2::spinEditChange(int spin) {
    Controls& c = *c_;
    widgets::SpinEdit* edits[] = {c.SpinEdit1, c.SpinEdit2, c.SpinEdit3};
    SettingsStore store(form1_.settingsPath());
    const int p = c.ComboBox1->currentIndex();
    if (p >= Address1 && p <= Names)
        store.storeOffset(p, static_cast<Spin>(spin), edits[spin - 1]->value(),
                          form1_.cardLayout());
    redraw();
}

// A spin edit's handler runs inside the signal of its text change. On its own it reports its
// failure itself; nested in another handler it must end that handler too, so the failure is
// kept and thrown again once the setter has returned (it may not pass through Qt).
void TForm2::onSpinChanged(int spin) {
    if (nested_ == 0) {
        guarded([&] { spinEditChange(spin); });
        return;
    }
    if (nestedFailure_) return;
    try {
        spinEditChange(spin);
    } catch (...) {
        nestedFailure_ = std::current_exception();
    }
}

void TForm2::setSpinNested(widgets::SpinEdit* spin, std::int32_t value) {
    ++nested_;
    spin->setValue(value);
    --nested_;
    if (nestedFailure_) std::rethrow_exception(std::exchange(nestedFailure_, nullptr));
}

void TForm2::Button1Click() {
    close();
}

void TForm2::FormClose() {
    SettingsStore store(form1_.settingsPath());
    const std::array<std::string, 7> senders = senderTexts();
    const std::string values[StoredCount] = {IntToStr(fontIndex()),
                                             printSender() ? "1" : "0",
                                             IntToStr(cardType()),
                                             senders[0],
                                             senders[1],
                                             senders[2],
                                             senders[3],
                                             senders[4],
                                             senders[5],
                                             senders[6]};
    const Key keys[StoredCount] = {Key::FontName,  Key::SashiPrint, Key::CardType,  kSenderKeys[0],
                                   kSenderKeys[1], kSenderKeys[2],  kSenderKeys[3], kSenderKeys[4],
                                   kSenderKeys[5], kSenderKeys[6]};
    for (int i = 0; i < StoredCount; ++i)
        if (!keepStored_[i]) store.write(keys[i], values[i]);
}

void TForm2::closeEvent(QCloseEvent* event) {
    // The window only hides (it lives as long as the application), and only once its keys are
    // stored; a failed write keeps it open.
    if (guarded([this] { FormClose(); }))
        event->accept();
    else
        event->ignore();
}

int TForm2::fontIndex() const {
    return c_->ComboBox2->currentIndex();
}

bool TForm2::printSender() const {
    return c_->CheckBox1->isChecked();
}

int TForm2::cardType() const {
    return c_->RadioGroup1Items->checkedId();
}

std::array<std::string, 7> TForm2::senderTexts() const {
    std::array<std::string, 7> texts;
    for (int i = 0; i < 7; ++i) {
        const QString shown = c_->Edits[i]->text();
        texts[i] = shown == loadedTexts_[i] ? loadedBytes_[i] : text::fromUnicode(shown);
    }
    return texts;
}

} // namespace rinova::settings
