#include "app/main_window.h"

#include "addresses/address_grid.h"
#include "app/settings_window.h"
#include "card/card_inputs.h"
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

namespace {

constexpr int kGridWidth = 449;
const QRect kStoredPaintBox(473, 48, 105, 105);

} // namespace

// The preview box: paints the current row's card whenever it is painted.
class PreviewBox : public QWidget {
public:
    PreviewBox(MainWindow& form, QWidget* parent) : QWidget(parent), form_(form) {}
    bool alignedToClient = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        form_.paintPreview(painter);
    }

private:
    MainWindow& form_;
};

namespace {

// Lays out the client area: the grid on the left at its fixed width, the preview box either
// filling the rest or at its stored place.
class ClientArea : public QWidget {
public:
    ClientArea(QWidget* parent) : QWidget(parent) {}
    QWidget* grid = nullptr;
    PreviewBox* box = nullptr;

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

MainWindow::MainWindow(QString settingsPath, QWidget* parent)
    : QMainWindow(parent),
      settings_(std::make_unique<settings::SettingsModel>(std::move(settingsPath))) {
    setWindowTitle(QStringLiteral("Rinova Ver1.2"));
    resize(742, 484);
    move(331, 190);

    auto* client = new ClientArea(this);
    client->setAutoFillBackground(true);
    client->setBackgroundRole(QPalette::Button);
    setCentralWidget(client);

    addresses_ = new addresses::AddressGrid(this);
    grid_ = new widgets::AddressGridView(client);
    grid_->setModel(addresses_);
    previewBox_ = new PreviewBox(*this, client);
    // Never shown: only the list of the printer's font names.
    printerFonts_ = new QComboBox(client);
    printerFonts_->setGeometry(480, 200, 145, 20);
    printerFonts_->hide();
    client->grid = grid_;
    client->box = previewBox_;
    client->arrange();
    grid_->setFocus();

    connect(grid_, &widgets::AddressGridView::gridClick, this,
            [this] { widgets::guarded([this] { redrawPreview(); }); });
    connect(settings_.get(), &settings::SettingsModel::changed, this,
            [this] { widgets::guarded([this] { redrawPreview(); }); });
    buildMenu();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    openAction_ = file->addAction(QStringLiteral("開く(&O)"));
    file->addSeparator();
    printAction_ = file->addAction(QStringLiteral("印刷［選択範囲］(&P)"));
    printerSetupAction_ = file->addAction(QStringLiteral("プリンタの設定(&T)"));
    file->addSeparator();
    quitAction_ = file->addAction(QStringLiteral("終了(&X)"));
    QMenu* set = menuBar()->addMenu(QStringLiteral("設定"));
    printName2Action_ = set->addAction(QStringLiteral("名前2を印刷する"));
    printName2Action_->setCheckable(true);
    printName2Action_->setChecked(settings_->printName2());
    settingsAction_ = set->addAction(QStringLiteral("文字設定"));

    auto bind = [this](QAction* action, void (MainWindow::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { widgets::guarded([this, handler] { (this->*handler)(); }); });
    };
    bind(openAction_, &MainWindow::openAddressFile);
    bind(printAction_, &MainWindow::printSelection);
    bind(printerSetupAction_, &MainWindow::setUpPrinter);
    bind(quitAction_, &MainWindow::quit);
    // Qt flips a checkable action before it reports the trigger; the check mark follows the
    // setting instead.
    connect(printName2Action_, &QAction::triggered, this, [this] {
        printName2Action_->setChecked(settings_->printName2());
        widgets::guarded([this] { togglePrintName2(); });
    });
    bind(settingsAction_, &MainWindow::showSettingsWindow);
}

void MainWindow::startUp() {
    widgets::guarded([this] {
        // 1. Centre on the primary display.
        QSize screen = screenForCentring_;
        if (!screen.isValid())
            if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry().size();
        move(centredPosition(screen, frameGeometry().size()));

        // 2. Settings and card layout. A file that cannot be a settings file is reported and
        // start-up goes on with the defaults.
        if (const QString notice = settings_->load(); !notice.isEmpty())
            widgets::showFailure(notice);

        // 3. The preview box fills what the grid leaves.
        previewBox_->alignedToClient = true;
        static_cast<ClientArea*>(centralWidget())->arrange();

        // 4. Grid header and the number column.
        addresses_->setRowFields(0, text::fromUnicode(u"番号,名前1,名前2,〒,住所1,住所2,備考"));
        grid_->setNumberColumnWidth(30);

        // 5. The printer's font names, in the order reported.
        if (QPrinterInfo::defaultPrinter().isNull())
            throw text::Failure(QStringLiteral("デフォルト プリンタが存在しません"));
        printerFonts_->addItems(surface::printerFontNames());

        // 6. The faces the cards are drawn with.
        verticalFaces_.clear();
        for (const char16_t* face : card::VerticalFaces)
            verticalFaces_ << QString::fromUtf16(face);

        // 7. Warn about faces the printer cannot draw.
        QStringList list;
        for (int i = 0; i < printerFonts_->count(); ++i)
            list << printerFonts_->itemText(i);
        const QString missing = missingFaces(list, verticalFaces_);
        if (!missing.isEmpty())
            widgets::Prompts::current().message(
                missing + QStringLiteral("はインストールされていませんので正しく印刷できません"));
    });
}

void MainWindow::redrawPreview() {
    // Paint synchronously so the card is drawn now, not at some later event.
    previewBox_->repaint();
}

void MainWindow::createSettingsWindow() {
    // A failure while filling the window ends that only: the window exists and start-up goes on.
    settingsWindow_ = std::make_unique<SettingsWindow>(*settings_);
    widgets::guarded([this] { settingsWindow_->loadFromSettings(); });
}

card::CardInputs MainWindow::cardInputs(int row, card::Target target) const {
    return card::inputsForRow(*addresses_, row, *settings_, target);
}

void MainWindow::drawCard(QPainter& target, int row) {
    card::Target kind = card::Target::Other;
    if (printCommand_.surface().isCanvas(&target))
        kind = card::Target::Printer;
    else if (target.device() == previewBox_)
        kind = card::Target::Preview;

    surface::CardPicture picture = card::renderCard(cardInputs(row, kind));
    if (kind == card::Target::Printer) {
        surface::playOnSheet(picture, target);
    } else {
        const QRect card = surface::previewCardRect(previewBox_->width());
        surface::playStretched(picture, target, card.left(), card.top(), card.right() + 1,
                               card.bottom() + 1);
    }
    if (kind == card::Target::Preview) {
        ++previewDraws_;
        lastPicture_ = std::move(picture);
    }
}

void MainWindow::paintPreview(QPainter& painter) {
    // A failure while painting is shown once, after the paint, never from inside it.
    try {
        drawCard(painter, grid_->currentRow());
        lastPaintFailure_.clear();
    } catch (const text::Failure& f) {
        if (f.message() != lastPaintFailure_) {
            lastPaintFailure_ = f.message();
            QTimer::singleShot(0, this, [m = f.message()] { widgets::showFailure(m); });
        }
    } catch (const std::exception& e) {
        const QString m = QString::fromLocal8Bit(e.what());
        if (m != lastPaintFailure_) {
            lastPaintFailure_ = m;
            QTimer::singleShot(0, this, [m] { widgets::showFailure(m); });
        }
    }
}

void MainWindow::openAddressFile() {
    const QString folder = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
    const std::optional<QString> chosen = widgets::Prompts::current().openAddressFile(folder);
    if (!chosen) return;
    const std::string content = addresses::readAddressFile(*chosen);
    addresses_->importContent(content);
    redrawPreview();
}

void MainWindow::printSelection() {
    // A grid without address rows has nothing to print.
    if (grid_->selectionTop() < 1) return;
    printCommand_.print(
        grid_->selectionTop(), grid_->selectionBottom(),
        [this](surface::PrinterSurface& surface, int row) { drawCard(*surface.canvas(), row); });
}

void MainWindow::setUpPrinter() {
    printCommand_.setUp();
}

void MainWindow::quit() {
    close();
}

void MainWindow::togglePrintName2() {
    settings_->setPrintName2(!settings_->printName2());
    printName2Action_->setChecked(settings_->printName2());
}

void MainWindow::showSettingsWindow() {
    if (!settingsWindow_) return;
    settingsWindow_->show();
    settingsWindow_->raise();
    settingsWindow_->activateWindow();
}

QWidget& MainWindow::previewBox() {
    return *previewBox_;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program; the settings window's close handler does not
    // run. quit() would first close every window, that one too; exit() only ends the loop.
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace rinova::app
