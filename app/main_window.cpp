#include "app/main_window.h"

#include "addresses/address_grid.h"
#include "addresses/row_check.h"
#include "app/calibration_window.h"
#include "app/job_status_bar.h"
#include "app/list_editor.h"
#include "app/settings_window.h"
#include "card/card_inputs.h"
#include "card/test_sheet.h"
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
#include <QSplitter>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <memory>

namespace rinova::app {

namespace {

constexpr int kGridWidth = 449;
// The window's outer size, frame included.
constexpr QSize kOuterSize(742, 484);
const QRect kStoredPaintBox(473, 48, 105, 105);
// The splitter between grid and preview: never so far that either is lost.
constexpr int kNarrowestGrid = 150;
constexpr int kNarrowestPreview = 80;

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

// Lays out the client area: until the preview is aligned to it, the grid at its fixed width
// and the preview box at its stored place; then the splitter over all of it, grid and preview
// side by side. The preview keeps the width it was given and the grid takes what is left, so a
// wider window widens the grid; a narrower one takes from the preview once the grid is at its
// narrowest, and gives it back when the window widens again.
class ClientArea : public QWidget {
public:
    ClientArea(QWidget* parent) : QWidget(parent) {}
    QSplitter* split = nullptr;
    PreviewBox* box = nullptr;
    int previewWidth = 0; // wanted, once the preview is aligned to the client

protected:
    void resizeEvent(QResizeEvent*) override { arrange(); }

public:
    void arrange() {
        if (!split || !box) return;
        if (!box->alignedToClient) {
            split->setGeometry(0, 0, kGridWidth, height());
            box->setGeometry(kStoredPaintBox);
            return;
        }
        split->setGeometry(rect());
        const int room = std::max(0, width() - split->handleWidth());
        const int preview = std::max(std::min(previewWidth, room - kNarrowestGrid),
                                     std::min(kNarrowestPreview, room));
        split->setSizes({room - preview, preview});
    }
};

// Tells when the mouse lets go of the splitter's handle: the place the user dragged it to.
class ReleaseWatcher : public QObject {
public:
    ReleaseWatcher(QObject* parent, std::function<void()> released)
        : QObject(parent), released_(std::move(released)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) released_();
        return false;
    }

private:
    std::function<void()> released_;
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

QString missingFontMessage(const QStringList& fontList, const QStringList& faces) {
    const QString missing = missingFaces(fontList, faces);
    if (missing.isEmpty()) return {};
    QString message =
        missing + QStringLiteral("はインストールされていませんので正しく印刷できません");
    QStringList lines, packages;
    for (const QString& face : faces) {
        const QString package = drawing::substitutePackage(face);
        if (fontList.contains(face) || package.isEmpty()) continue;
        lines << QStringLiteral("　%1: %2").arg(face, package);
        if (!packages.contains(package)) packages << package;
    }
    if (packages.isEmpty()) return message;
    return message + QStringLiteral("\n\n代わりのフォントは次のパッケージにあります:\n") +
           lines.join(u'\n') + QStringLiteral("\n\nインストールするには: sudo apt install ") +
           packages.join(u' ');
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
    splitter_ = new QSplitter(Qt::Horizontal, client);
    splitter_->setChildrenCollapsible(false);
    grid_ = new widgets::AddressGridView(splitter_);
    grid_->setModel(addresses_);
    grid_->setMinimumWidth(kNarrowestGrid);
    splitter_->addWidget(grid_);
    previewBox_ = new PreviewBox(*this, client);
    // Never shown: only the list of the printer's font names.
    printerFonts_ = new QComboBox(client);
    printerFonts_->setGeometry(480, 200, 145, 20);
    printerFonts_->hide();
    client->split = splitter_;
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
    QAction* beforePrint = file->addSeparator();
    printAction_ = file->addAction(QStringLiteral("印刷［選択範囲］(&P)"));
    openAction_->setShortcut(QKeySequence::Open);
    printAction_->setShortcut(QKeySequence::Print);
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
    // After 設定, which keeps its place in the menu bar.
    buildEditing(file, beforePrint);

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
    addCalibrationCommands(file, set);
}

void MainWindow::addCalibrationCommands(QMenu* file, QMenu* set) {
    // The test sheet goes with the printer commands, before the separator above 終了.
    const QList<QAction*> items = file->actions();
    const qsizetype after = items.indexOf(printerSetupAction_);
    testPrintAction_ = new QAction(QStringLiteral("テスト印刷(&E)..."), file);
    file->insertAction(after + 1 < items.size() ? items[after + 1] : nullptr, testPrintAction_);
    calibrationAction_ = set->addAction(QStringLiteral("印刷位置の調整..."));
    connect(testPrintAction_, &QAction::triggered, this,
            [this] { widgets::guarded([this] { printTestSheet(); }); });
    connect(calibrationAction_, &QAction::triggered, this,
            [this] { widgets::guarded([this] { showCalibrationWindow(); }); });
}

void MainWindow::buildEditing(QMenu* file, QAction* beforeInFile) {
    const QFileInfo ini(settings_->path());
    editor_ = new ListEditor(
        *addresses_, *grid_, *settings_, *this,
        ini.absoluteDir().filePath(ini.completeBaseName() + QStringLiteral(".recovery")));
    editor_->addMenus(file, beforeInFile, menuBar()->addMenu(QStringLiteral("編集(&E)")));
    connect(editor_, &ListEditor::changed, this, [this] { setWindowTitle(editor_->title()); });
    connect(editor_, &ListEditor::edited, this,
            [this] { widgets::guarded([this] { redrawPreview(); }); });
}

void MainWindow::offerEarlierWork() {
    if (editor_->offerRecovery()) return;
    const QString last = settings_->lastAddressFile();
    if (last.isEmpty() || !QFileInfo(last).isFile()) return;
    if (widgets::Prompts::current().confirm(
            QStringLiteral("前回の住所録 %1 を開きますか？").arg(QFileInfo(last).fileName())))
        importAddressFile(last);
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

        // 3. The preview box fills what the grid leaves, beside it on the splitter.
        splitGridAndPreview();

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
        if (const QString message = missingFontMessage(list, verticalFaces_); !message.isEmpty())
            widgets::Prompts::current().message(message);
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
    // The frame narrows the client: without a width the user set, the grid keeps its 449.
    if (previewBox_->alignedToClient && !settings_->previewWidth()) {
        auto* client = static_cast<ClientArea*>(centralWidget());
        client->previewWidth =
            kOuterSize.shrunkBy(frame).width() - kGridWidth - splitter_->handleWidth();
        client->arrange();
    }
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

    // A card for the printer is moved by that printer's calibration.
    const QString printer =
        kind == card::Target::Printer ? printCommand_.surface().printer().printerName() : QString();
    drawing::CardPicture picture =
        card::renderCard(card::inputsForRow(*addresses_, row, *settings_, kind, printer));
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
    const auto report = [this](const QString& m) {
        if (m == lastPaintFailure_) return;
        lastPaintFailure_ = m;
        QTimer::singleShot(0, this, [m] { widgets::showFailure(m); });
    };
    try {
        drawCard(painter, grid_->currentRow());
        lastPaintFailure_.clear();
    } catch (const text::Failure& f) {
        report(f.message());
    } catch (const std::exception& e) {
        report(QString::fromLocal8Bit(e.what()));
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

std::optional<addresses::ListLayout> MainWindow::columnsFor(const addresses::HeaderQuestion& q) {
    // A header the user mapped before is read as then; another is asked about once.
    const std::string key = addresses::headerText(q.titles);
    if (auto kept = addresses::layoutFromChoice(settings_->columnChoice(key))) return kept;
    std::optional<addresses::ListLayout> chosen = widgets::Prompts::current().mapColumns(q);
    if (!chosen) return std::nullopt;
    try {
        settings_->setColumnChoice(key, addresses::choiceText(*chosen));
    } catch (const text::Failure&) {
        // The list opens as chosen; the choice is asked again next time.
    }
    return chosen;
}

void MainWindow::openAddressFile() {
    if (!editor_->maySetAside()) return;
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
    const addresses::ImportReport report = addresses_->importContent(
        content, format, [this](const addresses::HeaderQuestion& q) { return columnsFor(q); });
    addressFile_ = path;
    editor_->listOpened(path);
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
        idle ? jobStatus_->watch(QStringLiteral("印刷中")) : printing::CardDone(),
        [this](int row) { return addresses::printsRow(*addresses_, row); });
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
        jobStatus_->watch(QStringLiteral("PDFに保存中")), {addressFile_, settings_->path()},
        [this](int row) { return addresses::printsRow(*addresses_, row); });
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

void MainWindow::splitGridAndPreview() {
    if (previewBox_->alignedToClient) return;
    auto* client = static_cast<ClientArea*>(centralWidget());
    previewBox_->alignedToClient = true;
    previewBox_->setMinimumWidth(kNarrowestPreview);
    splitter_->addWidget(previewBox_);
    // Without a width set by the user, the preview has what the grid leaves in a window of the
    // stated size.
    client->previewWidth = settings_->previewWidth().value_or(kOuterSize.width() - kGridWidth -
                                                              splitter_->handleWidth());
    client->arrange();
    connect(splitter_, &QSplitter::splitterMoved, this,
            [this, client] { client->previewWidth = previewBox_->width(); });
    // Kept in the file once the user lets go of the handle.
    splitter_->handle(1)->installEventFilter(new ReleaseWatcher(splitter_, [this] {
        widgets::guarded([this] { settings_->setPreviewWidth(previewBox_->width()); });
    }));
}

void MainWindow::printTestSheet() {
    if (job_.running() && !job_.runsOn(printCommand_.surface()))
        throw text::Failure(QStringLiteral("現在印刷中です"));
    printCommand_.print(1, 1, [this](printing::PrinterSurface& surface, int) {
        const QString printer = surface.printer().printerName();
        surface.playCard(card::renderTestSheet(settings_->calibration(printer), printer,
                                               settings_->choices().cardType));
    });
}

CalibrationWindow& MainWindow::calibrationWindow() {
    if (!calibrationWindow_)
        calibrationWindow_ = std::make_unique<CalibrationWindow>(
            *settings_, [this] { return printCommand_.surface().printer().printerName(); },
            [this] { printTestSheet(); });
    return *calibrationWindow_;
}

void MainWindow::showCalibrationWindow() {
    CalibrationWindow& window = calibrationWindow();
    window.show();
    window.showCurrentPrinter(); // also when it was open: set-up may have changed the printer
    window.raise();
    window.activateWindow();
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
