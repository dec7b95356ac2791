// TForm1, the main window: the address grid, the card preview and the menu.
#pragma once

#include "addresses/print_job.h"
#include "card/card_renderer.h"
#include "settings/form1_link.h"
#include "settings/settings_store.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QPainter;

namespace rinova::addresses {
class AddressGrid;
}
namespace rinova::settings {
class TForm2;
}
namespace rinova {
class AddressGridView;
}

namespace rinova::app {

class PaintBox;

// Where a centred window's top-left goes: each half taken on its own, remainder dropped.
QPoint centredPosition(QSize screen, QSize window);

// The text of missing faces: every face that no entry of the font list equals exactly, joined in
// order. Empty when nothing is missing or the list is empty.
QString missingFaces(const QStringList& fontList, const QStringList& faces);

class TForm1 : public QMainWindow, public settings::Form1Link {
    Q_OBJECT
public:
    // settingsPath: the INI file the program reads and writes.
    explicit TForm1(QString settingsPath, QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up steps; a failure ends them at that step and is shown in the error box.
    void FormCreate();
    // The screen size the window centres on; the primary screen unless a test sets it.
    void setScreenSizeForCentring(QSize size) { screenForCentring_ = size; }

    // Handlers.
    void StringGrid1Click() override;
    void Open1Click();
    void Print1Click();
    void N1Click();
    void Exit1Click();
    void N21Click();
    void N5Click();

    // Draws the card of a grid row onto a painter: the preview box, the printer or another
    // surface, told apart by identity.
    void DrawCard(QPainter& target, int row);
    // The inputs the renderer reads for a row (cells, layout, N21, settings window).
    card::CardInputs cardInputs(int row, card::Target target) const;

    // Form1Link.
    settings::RawSettings& rawSettings() override { return raw_; }
    settings::CardLayout& cardLayout() override { return layout_; }
    QString settingsPath() const override { return settingsPath_; }

    // For the settings window reference and tests.
    void setForm2(settings::TForm2* form2) { form2_ = form2; }
    addresses::AddressGrid& grid() { return *grid_; }
    AddressGridView& gridView() { return *StringGrid1; }
    QWidget& paintBox();
    QComboBox& fontListBox() { return *ComboBox1; }
    QAction& actionN21() { return *N21; }
    const QStringList& verticalFaces() const { return verticalFaces_; }
    // The print job and its printer, for tests.
    addresses::PrintJob& printJob() { return printJob_; }
    // How many previews were drawn, and the last card recorded: for tests and diagnostics.
    int previewDraws() const { return previewDraws_; }
    const surface::CardPicture& lastPicture() const { return lastPicture_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class PaintBox;
    void buildMenu();
    void paintPreview(QPainter& painter);

    QString settingsPath_;
    settings::RawSettings raw_;
    settings::CardLayout layout_;
    QStringList verticalFaces_;
    QSize screenForCentring_;

    addresses::AddressGrid* grid_ = nullptr;
    AddressGridView* StringGrid1 = nullptr;
    PaintBox* PaintBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* N21 = nullptr;
    QAction* N5 = nullptr;

    settings::TForm2* form2_ = nullptr;
    addresses::PrintJob printJob_;
    int previewDraws_ = 0;
    surface::CardPicture lastPicture_;
    QString lastPaintFailure_;
};

// Creates the hidden settings window for the main window, as start-up does: it becomes Form2
// and the main window's settings window before its creation handler runs.
std::unique_ptr<settings::TForm2> createForm2(TForm1& form1);

// The two windows, reachable from anywhere once created.
extern TForm1* Form1;
extern settings::TForm2* Form2;

} // namespace rinova::app
