#include "app/main_window.h"

#include "addresses/address_grid.h"
#include "addresses/row_check.h"
#include "app/job_status_bar.h"
#include "app/settings_window.h"
#include "card/card_inputs.h"
#include "card/text_fit.h"
#include "drawing/fonts.h"
#include "drawing/playback.h"
#include "postal/directory.h"
#include "printing/printer_surface.h"
#include "settings/settings_location.h"
#include "text/cp932.h"
#include "widgets/address_grid_view.h"
#include "widgets/prompts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <memory>

namespace rinova::app {

namespace {

constexpr int kGridWidth = 449;
// The window's outer size, frame included.
constexpr QSize kOuterSize(742, 484);
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
      settings_(std::make_unique<settings::SettingsModel>(std::move(settingsPath))),
      printCommand_(job_), pdfCommand_(job_) {
    setWindowTitle(QStringLiteral("Rinova Ver1.2"));
    resize(kOuterSize);
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

    // Shown only while a job of several cards runs.
    jobStatus_ = new JobStatusBar(job_, this);
    setStatusBar(jobStatus_);
    jobStatus_->hide();

    connect(grid_, &widgets::AddressGridView::gridClick, this,
            [this] { widgets::guarded([this] { redrawPreview(); }); });
    connect(settings_.get(), &settings::SettingsModel::changed, this,
            [this] { widgets::guarded([this] { redrawPreview(); }); });
    buildMenu();
    buildHelpMenu();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildHelpMenu() {
    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    aboutAction_ = help->addAction(QStringLiteral("バージョン情報(&A)..."));
    connect(aboutAction_, &QAction::triggered, this,
            [this] { widgets::guarded([this] { showAbout(); }); });
}

void MainWindow::showAbout() {
    widgets::Prompts::current().message(
        QStringLiteral("Rinova Ver" RINOVA_VERSION "\nはがきの宛名を縦書きで印刷します。\n\n") +
        postal::dataDescription(postal::installedDirectory()));
}

addresses::PostalQuestion MainWindow::postalQuestions() {
    return addresses::postalQuestions(postal::installedDirectory());
}

QString MainWindow::postalDataNote() {
    const postal::Directory& data = postal::installedDirectory();
    if (!data.empty() || postalNoteShown_) return {};
    postalNoteShown_ = true;
    return postal::dataDescription(data);
}

void MainWindow::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    openAction_ = file->addAction(QStringLiteral("開く(&O)"));
    file->addSeparator();
    printAction_ = file->addAction(QStringLiteral("印刷［選択範囲］(&P)"));
    savePdfAction_ = file->addAction(QStringLiteral("PDFに保存(&D)..."));
    printerSetupAction_ = file->addAction(QStringLiteral("プリンタの設定(&T)"));
    file->addSeparator();
    quitAction_ = file->addAction(QStringLiteral("終了(&X)"));
    QMenu* set = menuBar()->addMenu(QStringLiteral("設定"));
    printName2Action_ = set->addAction(QStringLiteral("名前2を印刷する"));
    printName2Action_->setCheckable(true);
    printName2Action_->setChecked(settings_->printName2());
    settingsAction_ = set->addAction(QStringLiteral("文字設定"));
    fitTextAction_ = set->addAction(QStringLiteral("長い住所を枠に収める"));
    fitTextAction_->setCheckable(true);
    fitTextAction_->setChecked(settings_->fitText());

    auto bind = [this](QAction* action, void (MainWindow::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { widgets::guarded([this, handler] { (this->*handler)(); }); });
    };
    bind(openAction_, &MainWindow::openAddressFile);
    bind(printAction_, &MainWindow::printSelection);
    bind(savePdfAction_, &MainWindow::saveSelectionAsPdf);
    bind(printerSetupAction_, &MainWindow::setUpPrinter);
    bind(quitAction_, &MainWindow::quit);
    // Qt flips a checkable action before it reports the trigger; the check mark follows the
    // setting instead.
    connect(printName2Action_, &QAction::triggered, this, [this] {
        printName2Action_->setChecked(settings_->printName2());
        widgets::guarded([this] { togglePrintName2(); });
    });
    bind(settingsAction_, &MainWindow::showSettingsWindow);
    connect(fitTextAction_, &QAction::triggered, this, [this] {
        fitTextAction_->setChecked(settings_->fitText());
        widgets::guarded([this] { toggleFitText(); });
    });
}

void MainWindow::startUp() {
    widgets::guarded([this] {
        // 1. Centre on the primary display.
        move(centredPosition(centringScreen(), frameGeometry().size()));

        // 2. Settings and card layout. The fitting choice is read first, so its check mark is
        // right even when a stored value stops the load. A file that cannot be a settings file
        // is reported and start-up goes on with the defaults.
        const auto markFitText =
            qScopeGuard([this] { fitTextAction_->setChecked(settings_->fitText()); });
        if (const QString notice = settings_->load(); !notice.isEmpty())
            widgets::showFailure(notice);

        // 3. The preview box fills what the grid leaves.
        previewBox_->alignedToClient = true;
        static_cast<ClientArea*>(centralWidget())->arrange();

        // 4. Grid header and the number column.
        addresses_->setRowFields(0, text::fromUnicode(u"番号,名前1,名前2,〒,住所1,住所2,備考"));
        grid_->setNumberColumnWidth(30);

        // 5. The printer's font names, in the order reported.
        if (printing::defaultPrinterInfo().isNull())
            throw text::Failure(QStringLiteral("デフォルト プリンタが存在しません"));
        printerFonts_->addItems(drawing::printerFontNames());

        // 6. The faces the cards are drawn with.
        verticalFaces_.clear();
        for (const char16_t* face : drawing::VerticalFaces)
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

QSize MainWindow::centringScreen() const {
    if (screenForCentring_.isValid()) return screenForCentring_;
    if (QScreen* s = QGuiApplication::primaryScreen()) return s->geometry().size();
    return {};
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (frameFitted_) return;
    frameFitted_ = true;
    // Before it is shown the window has no frame, so the size and centring of start-up were
    // the bare window's. The frame comes soon after; without a window manager it never does
    // and nothing changes.
    auto* wait = new QTimer(this);
    wait->setInterval(20);
    auto tries = std::make_shared<int>(0);
    connect(wait, &QTimer::timeout, this, [this, wait, tries] {
        if (fitFrame() || ++*tries >= 100) wait->deleteLater();
    });
    wait->start();
}

bool MainWindow::fitFrame() {
    const QWindow* window = windowHandle();
    if (!window || isMaximized() || isMinimized() || isFullScreen()) return true;
    const QMargins frame = window->frameMargins();
    if (frame.isNull()) return false;
    resize(kOuterSize.shrunkBy(frame));
    move(centredPosition(centringScreen(), kOuterSize));
    return true;
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

    drawing::CardPicture picture = card::renderCard(cardInputs(row, kind));
    if (kind == card::Target::Printer) {
        printing::playOnSheet(picture, target);
    } else {
        const QRect card = drawing::previewCardRect(previewBox_->size());
        drawing::playStretched(picture, target, card.left(), card.top(), card.right() + 1,
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

QString MainWindow::openDialogStartFolder() const {
    return settings::openDialogFolder(QCoreApplication::applicationFilePath(),
                                      settings_->lastAddressFile());
}

void MainWindow::rememberAddressFile(const QString& path) {
    // The file is open either way; a settings file that cannot be written is reported when the
    // user changes a setting, not at every file opened.
    try {
        settings_->setLastAddressFile(QFileInfo(path).absoluteFilePath());
    } catch (const text::Failure&) {
    }
}

void MainWindow::openAddressFile() {
    const std::optional<widgets::AddressFileChoice> chosen =
        widgets::Prompts::current().openAddressFile(
            openDialogStartFolder(), static_cast<addresses::FileFormat>(settings_->openFileType()));
    if (!chosen) return;
    importAddressFile(chosen->path, chosen->format);
    settings_->setOpenFileType(static_cast<int>(chosen->format));
}

void MainWindow::importAddressFile(const QString& path) {
    importAddressFile(path, static_cast<addresses::FileFormat>(settings_->openFileType()));
}

void MainWindow::importAddressFile(const QString& path, addresses::FileFormat format) {
    widgets::Prompts& prompts = widgets::Prompts::current();
    const std::string content = addresses::readAddressFile(path);
    // Read as Shift-JIS, a UTF-8 file merges its cells into nonsense without a word.
    if (format != addresses::FileFormat::SheetUtf8 && addresses::looksLikeUtf8(content) &&
        prompts.confirm(QStringLiteral("このファイルは UTF-8 で書かれているようです。\n"
                                       "表計算ソフトの CSV（UTF-8）として読み込みますか？\n"
                                       "（「いいえ」なら Shift-JIS として読み込みます）")))
        format = addresses::FileFormat::SheetUtf8;
    const addresses::ImportReport report = addresses_->importContent(content, format);
    addressFile_ = path;
    rememberAddressFile(path);
    redrawPreview();
    if (!report.replacedRows.empty())
        prompts.message(addresses::replacedRowsMessage(report.replacedRows));
}

namespace {

// Ends the job's display however the job ends.
struct JobShown {
    JobStatusBar* bar;
    ~JobShown() {
        if (bar) bar->finish();
    }
};

} // namespace

void MainWindow::printSelection() {
    // A grid without address rows has nothing to print.
    if (grid_->selectionTop() < 1) return;
    // During a PDF export a print is refused at once; during a print the command refuses it
    // once its dialog is confirmed, and the running job keeps its display.
    if (job_.running() && !job_.runsOn(printCommand_.surface()))
        throw text::Failure(QStringLiteral("現在印刷中です"));
    const int top = grid_->selectionTop(), bottom = grid_->selectionBottom();
    const bool idle = !job_.running();
    if (idle && !rowsLookRightOrUserGoesOn(top, bottom)) return;
    JobShown shown{idle ? jobStatus_ : nullptr};
    printCommand_.print(
        top, bottom,
        [this](printing::PrinterSurface& surface, int row) { drawCard(*surface.canvas(), row); },
        idle ? jobStatus_->watch(QStringLiteral("印刷中")) : printing::CardDone());
}

bool MainWindow::rowsLookRightOrUserGoesOn(int top, int bottom) {
    // Rows that look wrong are shown before paper is used; the user prints anyway or stops.
    constexpr std::size_t kListedRows = 20;
    QString doubts = addresses::findingsReport(
        addresses::checkRows(
            *addresses_, top, bottom,
            [this](int row) { return !card::textsFit(cardInputs(row, card::Target::Printer)); },
            postalQuestions()),
        kListedRows);
    if (doubts.isEmpty()) return true;
    if (const QString note = postalDataNote(); !note.isEmpty())
        doubts += QStringLiteral("\n\n") + note;
    return widgets::Prompts::current().confirm(doubts +
                                               QStringLiteral("\n\nこのまま印刷しますか？"));
}

void MainWindow::saveSelectionAsPdf() {
    if (grid_->selectionTop() < 1) return;
    job_.refuseWhileRunning();
    if (!rowsLookRightOrUserGoesOn(grid_->selectionTop(), grid_->selectionBottom())) return;
    // Beside the address file, named after it, unless a PDF was saved before.
    QString suggested = savedPdf_;
    if (suggested.isEmpty()) {
        const QFileInfo from(addressFile_);
        suggested =
            addressFile_.isEmpty()
                ? QDir::home().filePath(QStringLiteral("はがき.pdf"))
                : from.absoluteDir().filePath(from.completeBaseName() + QStringLiteral(".pdf"));
    }
    JobShown shown{jobStatus_};
    const std::optional<QString> saved = pdfCommand_.save(
        grid_->selectionTop(), grid_->selectionBottom(), suggested,
        [this](int row) { return card::renderCard(cardInputs(row, card::Target::Printer)); },
        jobStatus_->watch(QStringLiteral("PDFに保存中")), {addressFile_, settings_->path()});
    if (saved) savedPdf_ = *saved;
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

void MainWindow::toggleFitText() {
    // The check mark follows the choice even when writing it to the file fails.
    const auto follow = qScopeGuard([this] { fitTextAction_->setChecked(settings_->fitText()); });
    settings_->setFitText(!settings_->fitText());
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
