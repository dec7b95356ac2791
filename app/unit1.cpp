#include "app/unit1.h"

#include "addresses/address_grid.h"
#include "card/card_inputs.h"
#include "settings/unit2.h"
#include "surface/fonts.h"
#include "surface/playback.h"
#include "surface/printer_surface.h"
#include "text/cp932.h"
#include "widgets/address_grid_view.h"
#include "widgets/prompts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPrinterInfo>
#include <QScreen>
#include <QTimer>

namespace rinova::app {

TForm1* Form1 = nullptr;
settings::TForm2* Form2 = nullptr;

namespace {

constexpr int kGridWidth = 449;
const QRect kStoredPaintBox(473, 48, 105, 105);

} // namespace

// The preview box: paints the current row's card whenever it is painted.
class PaintBox : public QWidget {
public:
    PaintBox(TForm1& form, QWidget* parent) : QWidget(parent), form_(form) {}
    bool alignedToClient = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        form_.paintPreview(painter);
    }

private:
    TForm1& form_;
};

namespace {

// Lays out the client area: the grid on the left at its fixed width, the preview box either
// filling the rest or at its stored place.
class ClientArea : public QWidget {
public:
    ClientArea(QWidget* parent) : QWidget(parent) {}
    QWidget* grid = nullptr;
    PaintBox* box = nullptr;

protected:
    void resizeEvent(QResizeEvent*) override { arrange(); }

public:
    void arrange() {
        if (grid) grid->setGeometry(0, 0, kGridWidth, height());
        if (box) {
            if (box->alignedToClient)
                box->setGeometry(kGridWidth, 0, std::max(0, width() - kGridWidth), height());
            else
                box->setGeometry(kStoredPaintBox);
        }
    }
};

} // namespace

QPoint centredPosition(QSize screen, QSize window) {
    return {screen.width() / 2 - window.width() / 2, screen.height() / 2 - window.height() / 2};
}

QString missingFaces(const QStringList& fontList, const QStringList& faces) {
    QString missing;
    for (const QString& face : faces) {
        qsizetype differing = 0;
        for (const QString& entry : fontList) {
            if (entry != face) ++differing;
            if (differing == fontList.size()) missing += face;
        }
    }
    return missing;
}

TForm1::TForm1(QString settingsPath, QWidget* parent)
    : QMainWindow(parent), settingsPath_(std::move(settingsPath)) {
    Form1 = this;
    setWindowTitle(QStringLiteral("Rinova Ver1.2"));
    resize(742, 484);
    move(331, 190);

    auto* client = new ClientArea(this);
    client->setAutoFillBackground(true);
    client->setBackgroundRole(QPalette::Button);
    setCentralWidget(client);

    grid_ = new addresses::AddressGrid(this);
    StringGrid1 = new AddressGridView(client);
    StringGrid1->setModel(grid_);
    PaintBox1 = new PaintBox(*this, client);
    // Never shown: only the list of the printer's font names.
    ComboBox1 = new QComboBox(client);
    ComboBox1->setGeometry(480, 200, 145, 20);
    ComboBox1->hide();
    client->grid = StringGrid1;
    client->box = PaintBox1;
    client->arrange();
    StringGrid1->setFocus();

    connect(StringGrid1, &AddressGridView::gridClick, this,
            [this] { guarded([this] { StringGrid1Click(); }); });
    buildMenu();
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    Open1 = file->addAction(QStringLiteral("開く(&O)"));
    file->addSeparator();
    Print1 = file->addAction(QStringLiteral("印刷［選択範囲］(&P)"));
    N1 = file->addAction(QStringLiteral("プリンタの設定(&T)"));
    file->addSeparator();
    Exit1 = file->addAction(QStringLiteral("終了(&X)"));
    QMenu* set = menuBar()->addMenu(QStringLiteral("設定"));
    N21 = set->addAction(QStringLiteral("名前2を印刷する"));
    N21->setCheckable(true);
    N21->setChecked(true);
    N5 = set->addAction(QStringLiteral("文字設定"));

    auto bind = [this](QAction* action, void (TForm1::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    bind(Open1, &TForm1::Open1Click);
    bind(Print1, &TForm1::Print1Click);
    bind(N1, &TForm1::N1Click);
    bind(Exit1, &TForm1::Exit1Click);
    // Qt flips a checkable action before it reports the trigger; N21Click does the flip itself.
    connect(N21, &QAction::triggered, this, [this] {
        N21->setChecked(!N21->isChecked());
        guarded([this] { N21Click(); });
    });
    bind(N5, &TForm1::N5Click);
}

void TForm1::FormCreate() {
    guarded([this] {
        // 1. Centre on the primary display.
        QSize screen = screenForCentring_;
        if (!screen.isValid())
            if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry().size();
        move(centredPosition(screen, frameGeometry().size()));

        // 2. Settings and card layout.
        settings::SettingsStore(settingsPath_).startupLoad(raw_, layout_);

        // 3. The preview box fills what the grid leaves.
        PaintBox1->alignedToClient = true;
        static_cast<ClientArea*>(centralWidget())->arrange();

        // 4. Grid header and the number column.
        grid_->SetRowCommaText(0, text::fromUnicode(u"番号,名前1,名前2,〒,住所1,住所2,備考"));
        StringGrid1->setNumberColumnWidth(30);

        // 5. The printer's font names, in the order reported.
        if (QPrinterInfo::defaultPrinter().isNull())
            throw Failure(QStringLiteral("デフォルト プリンタが存在しません"));
        ComboBox1->addItems(surface::printerFontNames());

        // 6. The faces the cards are drawn with.
        verticalFaces_.clear();
        for (const char16_t* face : card::VerticalFaces)
            verticalFaces_ << QString::fromUtf16(face);

        // 7. Warn about faces the printer cannot draw.
        QStringList list;
        for (int i = 0; i < ComboBox1->count(); ++i)
            list << ComboBox1->itemText(i);
        const QString missing = missingFaces(list, verticalFaces_);
        if (!missing.isEmpty())
            Prompts::current().message(
                missing + QStringLiteral("はインストールされていませんので正しく印刷できません"));
    });
}

void TForm1::StringGrid1Click() {
    // Paint synchronously so the card is drawn now, not at some later event.
    PaintBox1->repaint();
}

std::unique_ptr<settings::TForm2> createForm2(TForm1& form1) {
    auto form2 = std::make_unique<settings::TForm2>(form1);
    Form2 = form2.get();
    form1.setForm2(form2.get());
    form2->FormCreate();
    return form2;
}

card::CardInputs TForm1::cardInputs(int row, card::Target target) const {
    settings::WindowChoices choices;
    if (form2_) {
        choices.printSender = form2_->printSender();
        choices.cardType = form2_->cardType();
        choices.fontIndex = form2_->fontIndex();
        choices.senderTexts = form2_->senderTexts();
    }
    return card::inputsForRow(*grid_, row, layout_, choices, N21->isChecked(), target);
}

void TForm1::DrawCard(QPainter& target, int row) {
    card::Target kind = card::Target::Other;
    if (printJob_.Surface().isCanvas(&target))
        kind = card::Target::Printer;
    else if (target.device() == PaintBox1)
        kind = card::Target::Preview;

    surface::CardPicture picture = card::RenderCard(cardInputs(row, kind));
    if (kind == card::Target::Printer) {
        surface::playOnSheet(picture, target);
    } else {
        const int w = PaintBox1->width();
        const int h = static_cast<int>(static_cast<long long>(w) * 148 / 100);
        surface::playStretched(picture, target, 0, 0, w, h);
    }
    if (kind == card::Target::Preview) {
        ++previewDraws_;
        lastPicture_ = std::move(picture);
    }
}

void TForm1::paintPreview(QPainter& painter) {
    // A failure while painting is shown once, after the paint, never from inside it.
    try {
        DrawCard(painter, StringGrid1->currentRow());
        lastPaintFailure_.clear();
    } catch (const Failure& f) {
        if (f.message() != lastPaintFailure_) {
            lastPaintFailure_ = f.message();
            QTimer::singleShot(0, this, [m = f.message()] { showFailure(m); });
        }
    } catch (const std::exception& e) {
        const QString m = QString::fromLocal8Bit(e.what());
        if (m != lastPaintFailure_) {
            lastPaintFailure_ = m;
            QTimer::singleShot(0, this, [m] { showFailure(m); });
        }
    }
}

void TForm1::Open1Click() {
    const QString folder = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
    const std::optional<QString> chosen = Prompts::current().openAddressFile(folder);
    if (!chosen) return;
    const std::string content = addresses::ReadAddressFile(*chosen);
    grid_->ImportContent(content);
    StringGrid1Click();
}

void TForm1::Print1Click() {
    // A grid without address rows has nothing to print.
    if (StringGrid1->selectionTop() < 1) return;
    printJob_.Print(
        StringGrid1->selectionTop(), StringGrid1->selectionBottom(),
        [this](surface::PrinterSurface& surface, int row) { DrawCard(*surface.canvas(), row); });
}

void TForm1::N1Click() {
    printJob_.Setup();
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::N21Click() {
    N21->setChecked(!N21->isChecked());
    StringGrid1Click();
}

void TForm1::N5Click() {
    if (!form2_) return;
    form2_->show();
    form2_->raise();
    form2_->activateWindow();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program; the settings window's close handler does not run.
    event->accept();
    QCoreApplication::quit();
}

} // namespace rinova::app

namespace rinova::app {
QWidget& TForm1::paintBox() {
    return *PaintBox1;
}
} // namespace rinova::app
