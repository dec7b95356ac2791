// The main window: the address grid, the card preview and the menu.
#pragma once

#include "addresses/address_grid.h"
#include "addresses/row_check.h"
#include "app/pdf_command.h"
#include "app/print_command.h"
#include "card/card_renderer.h"
#include "settings/settings_model.h"

#include <QMainWindow>
#include <QStringList>
#include <memory>

class QAction;
class QComboBox;
class QMenu;
class QSplitter;
class QPainter;

namespace rinova::addresses {
class AddressGrid;
}
namespace rinova::widgets {
class AddressGridView;
}

namespace rinova::app {

class CalibrationWindow;
class JobStatusBar;
class ListEditor;
class PreviewBox;
class SettingsWindow;

// Where a centred window's top-left goes: each half taken on its own, remainder dropped.
QPoint centredPosition(QSize screen, QSize window);

// The text of missing faces: every face that no entry of the font list equals exactly, joined in
// order. Empty when nothing is missing or the list is empty.
QString missingFaces(const QStringList& fontList, const QStringList& faces);
// The start-up check's message, empty when no face is missing: the missing faces and the
// sentence, then for each the Debian package that brings its substitute, and the command.
QString missingFontMessage(const QStringList& fontList, const QStringList& faces);

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // settingsPath: the INI file the program reads and writes.
    explicit MainWindow(QString settingsPath, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up steps; a failure ends them at that step and is shown in the error box.
    void startUp();
    // Creates the hidden settings window over the same settings and fills it from them; a
    // failure while filling it is shown in the error box, and the window exists either way.
    void createSettingsWindow();
    // The screen size the window centres on; the primary screen unless a test sets it.
    void setScreenSizeForCentring(QSize size) { screenForCentring_ = size; }

    // Handlers.
    void redrawPreview();
    void openAddressFile();
    // What 開く does with the file once it is chosen: imports it into the grid in the chosen
    // type (offering UTF-8 when a Shift-JIS type meets UTF-8 text) and redraws the preview.
    // Without a type, the type last chosen. Throws when the file cannot be read.
    void importAddressFile(const QString& path);
    void importAddressFile(const QString& path, addresses::FileFormat format);
    // At a start without a file named: the work a killed program left, else the file last
    // opened or saved, offered back.
    void offerEarlierWork();
    void printSelection();
    // The selected rows as one PDF of card pages, named in a save dialog.
    void saveSelectionAsPdf();
    void setUpPrinter();
    void quit();
    void togglePrintName2();
    void toggleFitText();
    void showSettingsWindow();
    // The current printer's test sheet, after the print dialog, as one page.
    void printTestSheet();
    // The window that sets where the current printer puts the card.
    void showCalibrationWindow();
    // ヘルプ → バージョン情報: the program's version and the postal data it reads.
    void showAbout();

    // Draws the card of a grid row onto a painter: the preview box, the printer or another
    // surface, told apart by identity.
    void drawCard(QPainter& target, int row);
    // The inputs the renderer reads for a row (cells and settings).
    card::CardInputs cardInputs(int row, card::Target target) const;

    settings::SettingsModel& settings() { return *settings_; }
    SettingsWindow* settingsWindow() { return settingsWindow_.get(); }
    CalibrationWindow& calibrationWindow();
    addresses::AddressGrid& addressGrid() { return *addresses_; }
    widgets::AddressGridView& grid() { return *grid_; }
    ListEditor& editor() { return *editor_; }
    QWidget& previewBox();
    QSplitter& splitter() { return *splitter_; }
    QComboBox& fontListBox() { return *printerFonts_; }
    QAction& printName2Action() { return *printName2Action_; }
    QAction& fitTextAction() { return *fitTextAction_; }
    const QStringList& verticalFaces() const { return verticalFaces_; }
    // The one job of cards that the print and PDF commands run, the print command and its
    // printer, for tests.
    printing::CardJob& cardJob() { return job_; }
    PrintCommand& printCommand() { return printCommand_; }
    // How far a job of several cards has got, and its stop command.
    JobStatusBar& jobStatus() { return *jobStatus_; }
    // How many previews were drawn, and the last card recorded: for tests and diagnostics.
    int previewDraws() const { return previewDraws_; }
    const drawing::CardPicture& lastPicture() const { return lastPicture_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class PreviewBox;
    void buildMenu();
    void buildEditing(QMenu* file, QAction* beforeInFile);
    void addCalibrationCommands(QMenu* file, QMenu* set);
    // Start-up step 3: the preview box joins the grid on the splitter, at the width last set.
    void splitGridAndPreview();
    void buildHelpMenu();
    // The postal data's questions for the check; when the data is missing, the note that says
    // so, once a session, for the first list of rows to check.
    addresses::PostalQuestion postalQuestions();
    QString postalDataNote();
    // Lists the rows of the range that look wrong and asks whether to go on; true when none
    // does or the user goes on.
    bool rowsLookRightOrUserGoesOn(int top, int bottom);
    // Where 開く starts, and the address file it keeps as the last one ("LastFile").
    QString openDialogStartFolder() const;
    void rememberAddressFile(const QString& path);
    // How the fields under a header row not fully understood fill the columns: as the user
    // chose before for the same header, or as asked now (and kept).
    std::optional<addresses::ListLayout> columnsFor(const addresses::HeaderQuestion& q);
    void paintPreview(QPainter& painter);
    QSize centringScreen() const;
    // Once a window manager has framed the shown window: the frame takes the window's outer
    // size and is centred. False while the frame is not known yet.
    bool fitFrame();

    std::unique_ptr<settings::SettingsModel> settings_;
    QStringList verticalFaces_;
    QSize screenForCentring_;
    bool frameFitted_ = false;

    addresses::AddressGrid* addresses_ = nullptr; // owned through the Qt parent
    widgets::AddressGridView* grid_ = nullptr;
    PreviewBox* previewBox_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QComboBox* printerFonts_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* savePdfAction_ = nullptr;
    QAction* printerSetupAction_ = nullptr;
    QAction* quitAction_ = nullptr;
    QAction* printName2Action_ = nullptr;
    QAction* settingsAction_ = nullptr;
    QAction* fitTextAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
    bool postalNoteShown_ = false;

    std::unique_ptr<SettingsWindow> settingsWindow_;
    std::unique_ptr<CalibrationWindow> calibrationWindow_;
    QAction* testPrintAction_ = nullptr;
    QAction* calibrationAction_ = nullptr;
    printing::CardJob job_;
    PrintCommand printCommand_;
    PdfCommand pdfCommand_;
    JobStatusBar* jobStatus_ = nullptr;
    ListEditor* editor_ = nullptr; // owned through the Qt parent
    QString addressFile_;          // the last address file opened
    QString savedPdf_;             // the last PDF saved
    int previewDraws_ = 0;
    drawing::CardPicture lastPicture_;
    QString lastPaintFailure_;
};

} // namespace rinova::app
