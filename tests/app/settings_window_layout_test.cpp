// The window's frame, font, control placement and tab order, and a look at it on a real screen
// (RINOVA_SCREENSHOT=path.png saves what the screen shows).
#include "drawing/fonts.h"
#include "tests/app/settings_window_fixture.h"

#include <QFontInfo>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

namespace rinova::testing {
namespace {

using namespace settings;

TEST_F(SettingsWindowTest, WindowFrameFontAndPlace) {
    start();
    EXPECT_EQ(form->windowTitle(), u"文字設定"_qs);
    EXPECT_EQ(form->size(), QSize(345, 469));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()); // cannot be resized
    EXPECT_EQ(form->pos(), QPoint(36, 72));
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->font().family(), u"ＭＳ Ｐゴシック"_qs);
    EXPECT_EQ(form->font().pixelSize(), 12);
    // The face name resolves to an installed Japanese face, not to a fallback without kana.
    EXPECT_TRUE(QFontMetrics(form->font()).inFontUcs4(U'ゴ'));
    EXPECT_EQ(labelOf(u"〒"_qs)->font().pixelSize(), 16);
    EXPECT_EQ(labelOf(u"-"_qs)->font().pixelSize(), 16);
    EXPECT_EQ(labelOf(u"左右"_qs)->font().pixelSize(), 12);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SettingsWindowTest, ControlsSitWhereTheyBelong) {
    start();
    const struct {
        QWidget* w;
        QWidget* parent;
        QRect at;
    } boxes[] = {
        {c().recipientGroup, form.get(), {21, 8, 300, 137}},
        {c().elementCombo, c().recipientGroup, {16, 37, 65, 20}},
        {c().xSpin, c().recipientGroup, {96, 36, 49, 21}},
        {c().ySpin, c().recipientGroup, {160, 36, 49, 21}},
        {c().sizeSpin, c().recipientGroup, {224, 36, 49, 21}},
        {c().faceCombo, c().recipientGroup, {16, 101, 137, 20}},
        {c().numbersCombo, c().recipientGroup, {168, 101, 120, 20}},
        {c().closeButton, form.get(), {135, 432, 75, 25}},
        {c().senderGroup, form.get(), {21, 160, 300, 257}},
        {c().printSenderCheck, c().senderGroup, {16, 24, 105, 17}},
        {c().cardTypeGroup, c().senderGroup, {152, 16, 97, 57}},
        {c().senderPostal1, c().senderGroup, {32, 64, 33, 20}},
        {c().senderPostal2, c().senderGroup, {88, 64, 33, 20}},
        {c().senderAddress1, c().senderGroup, {40, 96, 233, 20}},
        {c().senderAddress2, c().senderGroup, {40, 128, 153, 20}},
        {c().senderName1, c().senderGroup, {40, 160, 89, 20}},
        {c().senderName2, c().senderGroup, {40, 192, 89, 20}},
        {c().senderRemark, c().senderGroup, {40, 224, 233, 20}},
    };
    for (const auto& b : boxes) {
        EXPECT_EQ(b.w->parentWidget(), b.parent) << b.at.x() << "," << b.at.y();
        EXPECT_EQ(b.w->geometry(), b.at) << b.at.x() << "," << b.at.y();
    }
    const struct {
        QLabel* l;
        QString text;
        QPoint at;
    } labels[] = {
        {labelOf(u"左右"_qs), u"左右"_qs, {104, 16}},
        {labelOf(u"上下"_qs), u"上下"_qs, {168, 16}},
        {labelOf(u"大きさ"_qs), u"大きさ"_qs, {232, 16}},
        {labelOf(u"フォント変更"_qs), u"フォント変更"_qs, {16, 80}},
        {labelOf(u"住所の数字"_qs), u"住所の数字"_qs, {168, 80}},
        {labelOf(u"〒"_qs), u"〒"_qs, {8, 66}},
        {labelOf(u"-"_qs), u"-"_qs, {72, 64}},
        {labelOf(u"住所1"_qs), u"住所1"_qs, {8, 99}},
        {labelOf(u"住所2"_qs), u"住所2"_qs, {8, 132}},
        {labelOf(u"名前1"_qs), u"名前1"_qs, {8, 164}},
        {labelOf(u"名前2"_qs), u"名前2"_qs, {8, 196}},
        {labelOf(u"備考"_qs), u"備考"_qs, {8, 228}},
    };
    for (const auto& l : labels) {
        ASSERT_NE(l.l, nullptr) << l.text.toStdString();
        EXPECT_EQ(l.l->pos(), l.at) << l.text.toStdString();
        EXPECT_GE(l.l->width(), l.l->sizeHint().width()) << l.text.toStdString();
    }
    EXPECT_EQ(c().recipientGroup->title(), u"宛名文字　位置・大きさ・フォント"_qs);
    EXPECT_EQ(c().senderGroup->title(), u"差出人印刷"_qs);
    EXPECT_EQ(c().cardTypeGroup->title(), u"選択"_qs);
    EXPECT_EQ(c().printSenderCheck->text(), u"差出人印刷する"_qs);
    EXPECT_EQ(c().closeButton->text(), u"閉じる"_qs);
    EXPECT_EQ(c().cardTypeRadios[0]->text(), u"年賀状"_qs);
    EXPECT_EQ(c().cardTypeRadios[1]->text(), u"官製はがき"_qs);
    EXPECT_EQ(c().elementCombo->count(), 3);
    EXPECT_EQ(c().faceCombo->itemText(1), u"@ＭＳ 明朝"_qs);
    EXPECT_EQ(c().faceCombo->itemText(4), u"@HG創英角ﾎﾟｯﾌﾟ体"_qs);
    // Each face names the font it is drawn with; the list names its chosen face's.
    for (int i = 0; i < 5; ++i) {
        const QString tip = c().faceCombo->itemData(i, Qt::ToolTipRole).toString();
        EXPECT_TRUE(tip.startsWith(u"使用フォント: "_qs +
                                   drawing::fontSetFor(c().faceCombo->itemText(i)).primary.family))
            << tip.toStdString();
        c().faceCombo->setCurrentIndex(i);
        EXPECT_EQ(c().faceCombo->toolTip(), tip);
    }
    c().faceCombo->setCurrentIndex(0);
    const std::pair<widgets::ByteLimitedEdit*, int> limits[] = {
        {c().senderPostal1, 0},   {c().senderPostal2, 0}, {c().senderAddress1, 40},
        {c().senderAddress2, 26}, {c().senderName1, 14},  {c().senderName2, 14},
        {c().senderRemark, 40}};
    for (const auto& [edit, limit] : limits)
        EXPECT_EQ(edit->byteLimit(), limit) << edit->x() << "," << edit->y();
    // Captions that must not be cut at the right.
    EXPECT_LE(c().printSenderCheck->sizeHint().width(), 105);
    // A whole postal code part fits its field.
    QLineEdit* after = c().senderPostal2;
    const QRect room = after->contentsRect().marginsRemoved(after->textMargins());
    EXPECT_LE(QFontMetrics(after->font()).horizontalAdvance("0001"), room.width() - 4);
    for (QRadioButton* r : c().cardTypeRadios)
        EXPECT_LE(r->x() + r->sizeHint().width(), c().cardTypeGroup->width());
}

TEST_F(SettingsWindowTest, TabOrder) {
    start();
    const std::vector<QWidget*> expected = {
        c().elementCombo,         c().xSpin->lineEdit(), c().ySpin->lineEdit(),
        c().sizeSpin->lineEdit(), c().faceCombo,         c().numbersCombo,
        c().closeButton,          c().printSenderCheck,  c().senderPostal1,
        c().senderPostal2,        c().senderAddress1,    c().senderAddress2,
        c().senderName1,          c().senderName2,       c().senderRemark,
        c().cardTypeRadios[0],    c().cardTypeRadios[1]};
    std::vector<QWidget*> chain;
    QWidget* w = c().elementCombo;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()) chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != c().elementCombo && chain.size() < 40);
    EXPECT_EQ(chain, expected);
}

// Dark pixels of the shot inside a widget, `inset` pixels in from its edges (its frame).
int darkPixelsIn(const QImage& shot, const QWidget* form, const QWidget* w, int inset = 3) {
    const QRect inside = w->contentsRect()
                             .adjusted(inset, inset, -inset, -inset)
                             .translated(w->mapTo(form, QPoint(0, 0)));
    int n = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += qGray(shot.pixel(x, y)) < 128;
    return n;
}

TEST_F(SettingsWindowTest, LooksRightOnAScreen) {
    start(iniText({{"Edit1Value0", "-12"},
                   {"SashiPrint", "1"},
                   {"SashiYuban3", "100"},
                   {"SashiYuban4", "0001"},
                   {"SashiAdd1", sjis(u"東京都千代田区千代田1-1")},
                   {"SashiName1", sjis(u"山田 太郎")},
                   {"Bikou", sjis(u"備考欄")}}));
    show();
    QImage shot = form->screen()->grabWindow(form->winId()).toImage();
    if (shot.isNull()) shot = form->grab().toImage();
    if (const QByteArray path = qgetenv("RINOVA_SCREENSHOT"); !path.isEmpty()) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(path)));
    }
    ASSERT_EQ(shot.size(), QSize(345, 469));

    // What the file holds is on the screen, and empty fields show nothing.
    const struct {
        QWidget* w;
        bool text;
    } fields[] = {
        {c().xSpin->lineEdit(), true}, {c().ySpin->lineEdit(), true}, {c().senderPostal1, true},
        {c().senderPostal2, true},     {c().senderAddress1, true},    {c().senderAddress2, false},
        {c().senderName1, true},       {c().senderName2, false},      {c().senderRemark, true},
        {c().printSenderCheck, true},  {c().cardTypeRadios[0], true}, {c().closeButton, true},
    };
    for (const auto& f : fields) {
        SCOPED_TRACE(f.w->metaObject()->className() + (" at " + std::to_string(f.w->x())) + "," +
                     std::to_string(f.w->y()));
        if (f.text)
            EXPECT_GT(darkPixelsIn(shot, form.get(), f.w), 10);
        else
            EXPECT_EQ(darkPixelsIn(shot, form.get(), f.w), 0);
    }
    for (QLabel* label : form->findChildren<QLabel*>()) {
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_GT(darkPixelsIn(shot, form.get(), label, 0), 0);
    }

    // Nothing covers anything else, and every control lies whole inside its box.
    for (QWidget* parent : std::initializer_list<QWidget*>{form.get(), c().recipientGroup,
                                                           c().senderGroup, c().cardTypeGroup}) {
        std::vector<QWidget*> children;
        for (QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->isVisible()) children.push_back(w);
        for (std::size_t i = 0; i < children.size(); ++i) {
            QWidget* a = children[i];
            // A label's place is its text, which may end well before its box does.
            auto drawn = [](QWidget* w) {
                if (auto* l = qobject_cast<QLabel*>(w)) return QRect(l->pos(), l->sizeHint());
                return w->geometry();
            };
            EXPECT_TRUE(parent->rect().contains(a->geometry()))
                << a->metaObject()->className() << " at " << a->x() << "," << a->y();
            for (std::size_t j = i + 1; j < children.size(); ++j)
                EXPECT_FALSE(drawn(a).intersects(drawn(children[j])))
                    << a->metaObject()->className() << " at " << a->x() << "," << a->y() << " and "
                    << children[j]->metaObject()->className() << " at " << children[j]->x() << ","
                    << children[j]->y();
        }
    }
}

} // namespace
} // namespace rinova::testing
