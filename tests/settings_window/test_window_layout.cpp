// The window's frame, font, control placement and tab order, and a look at it on a real screen
// (RINOVA_SCREENSHOT=path.png saves what the screen shows).
#include "tests/settings_window/settings_window_fixture.h"

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
    EXPECT_EQ(c().Label5->font().pixelSize(), 16);
    EXPECT_EQ(c().Label6->font().pixelSize(), 16);
    EXPECT_EQ(c().Label1->font().pixelSize(), 12);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SettingsWindowTest, ControlsSitWhereTheyBelong) {
    start();
    const struct {
        QWidget* w;
        QWidget* parent;
        QRect at;
    } boxes[] = {
        {c().GroupBox1, form.get(), {21, 8, 300, 137}},
        {c().ComboBox1, c().GroupBox1, {16, 37, 65, 20}},
        {c().SpinEdit1, c().GroupBox1, {96, 36, 49, 21}},
        {c().SpinEdit2, c().GroupBox1, {160, 36, 49, 21}},
        {c().SpinEdit3, c().GroupBox1, {224, 36, 49, 21}},
        {c().ComboBox2, c().GroupBox1, {16, 101, 137, 20}},
        {c().Button1, form.get(), {135, 432, 75, 25}},
        {c().GroupBox2, form.get(), {21, 160, 300, 257}},
        {c().CheckBox1, c().GroupBox2, {16, 24, 105, 17}},
        {c().RadioGroup1, c().GroupBox2, {152, 16, 97, 57}},
        {c().Edits[0], c().GroupBox2, {32, 64, 33, 20}},
        {c().Edits[1], c().GroupBox2, {88, 64, 33, 20}},
        {c().Edits[2], c().GroupBox2, {40, 96, 233, 20}},
        {c().Edits[3], c().GroupBox2, {40, 128, 153, 20}},
        {c().Edits[4], c().GroupBox2, {40, 160, 89, 20}},
        {c().Edits[5], c().GroupBox2, {40, 192, 89, 20}},
        {c().Edits[6], c().GroupBox2, {40, 224, 233, 20}},
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
        {c().Label1, u"左右"_qs, {104, 16}},   {c().Label2, u"上下"_qs, {168, 16}},
        {c().Label3, u"大きさ"_qs, {232, 16}}, {c().Label4, u"フォント変更"_qs, {16, 80}},
        {c().Label5, u"〒"_qs, {8, 66}},       {c().Label6, u"-"_qs, {72, 64}},
        {c().Label7, u"住所1"_qs, {8, 99}},    {c().Label8, u"住所2"_qs, {8, 132}},
        {c().Label9, u"名前1"_qs, {8, 164}},   {c().Label10, u"名前2"_qs, {8, 196}},
        {c().Label11, u"備考"_qs, {8, 228}},
    };
    for (const auto& l : labels) {
        EXPECT_EQ(l.l->text(), l.text);
        EXPECT_EQ(l.l->pos(), l.at) << l.text.toStdString();
        EXPECT_GE(l.l->width(), l.l->sizeHint().width()) << l.text.toStdString();
    }
    EXPECT_EQ(c().GroupBox1->title(), u"宛名文字　位置・大きさ・フォント"_qs);
    EXPECT_EQ(c().GroupBox2->title(), u"差出人印刷"_qs);
    EXPECT_EQ(c().RadioGroup1->title(), u"選択"_qs);
    EXPECT_EQ(c().CheckBox1->text(), u"差出人印刷する"_qs);
    EXPECT_EQ(c().Button1->text(), u"閉じる"_qs);
    EXPECT_EQ(c().RadioGroup1Buttons[0]->text(), u"年賀状"_qs);
    EXPECT_EQ(c().RadioGroup1Buttons[1]->text(), u"官製はがき"_qs);
    EXPECT_EQ(c().ComboBox1->count(), 3);
    EXPECT_EQ(c().ComboBox2->itemText(1), u"@ＭＳ 明朝"_qs);
    EXPECT_EQ(c().ComboBox2->itemText(4), u"@HG創英角ﾎﾟｯﾌﾟ体"_qs);
    const int limits[] = {0, 0, 40, 26, 14, 14, 40};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(c().Edits[i]->byteLimit(), limits[i]) << i;
    // Captions that must not be cut at the right.
    EXPECT_LE(c().CheckBox1->sizeHint().width(), 105);
    // A whole postal code part fits its field.
    QLineEdit* after = c().Edits[1];
    const QRect room = after->contentsRect().marginsRemoved(after->textMargins());
    EXPECT_LE(QFontMetrics(after->font()).horizontalAdvance("0001"), room.width() - 4);
    for (QRadioButton* r : c().RadioGroup1Buttons)
        EXPECT_LE(r->x() + r->sizeHint().width(), c().RadioGroup1->width());
}

TEST_F(SettingsWindowTest, TabOrder) {
    start();
    const std::vector<QWidget*> expected = {c().ComboBox1,
                                            c().SpinEdit1->lineEdit(),
                                            c().SpinEdit2->lineEdit(),
                                            c().SpinEdit3->lineEdit(),
                                            c().ComboBox2,
                                            c().Button1,
                                            c().CheckBox1,
                                            c().Edits[0],
                                            c().Edits[1],
                                            c().Edits[2],
                                            c().Edits[3],
                                            c().Edits[4],
                                            c().Edits[5],
                                            c().Edits[6],
                                            c().RadioGroup1Buttons[0],
                                            c().RadioGroup1Buttons[1]};
    std::vector<QWidget*> chain;
    QWidget* w = c().ComboBox1;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()) chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != c().ComboBox1 && chain.size() < 40);
    EXPECT_EQ(chain, expected);
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
    EXPECT_EQ(shot.size() / shot.devicePixelRatio(), QSize(345, 469));
    // Something is drawn in the caption row of the second box's check box.
    const QPoint box = c().CheckBox1->mapTo(form.get(), QPoint(0, 0));
    const QColor background = shot.pixelColor(box.x() + 104, box.y() + 16);
    bool ink = false;
    for (int x = box.x() + 20; x < box.x() + 100 && !ink; ++x)
        for (int y = box.y(); y < box.y() + 17 && !ink; ++y)
            ink = shot.pixelColor(x, y) != background;
    EXPECT_TRUE(ink);
    if (const QByteArray path = qgetenv("RINOVA_SCREENSHOT"); !path.isEmpty()) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(path)));
    }
}

} // namespace
} // namespace rinova::testing
