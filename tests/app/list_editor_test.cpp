// Editing the list in the main window: undo takes every edit back to the file's bytes, the title
// marks unsaved work, the question before it is set aside, the six-field format's limit, and
// the recovery copy taken back at the next start.
#include "addresses/address_grid.h"
#include "app/list_editor.h"
#include "app/main_window.h"
#include "app/row_dialog.h"
#include "postal/directory.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "tests/support/typing.h"
#include "text/cp932.h"
#include "widgets/address_grid_view.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rinova;
using addresses::FileFormat;
using rinova::testing::readBytes;
using rinova::testing::ScriptedPrompts;
using rinova::testing::sjis;
using widgets::SaveChoice;

namespace {

class ListEditorTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    rinova::testing::NoPrintService noPrinters;
    ScriptedPrompts prompts;
    QString list = dir.filePath(QStringLiteral("list.csv"));
    const std::string original =
        readBytes(QStringLiteral(RINOVA_SOURCE_DIR "/samples/addresses.csv"));

    std::unique_ptr<app::MainWindow> opened() {
        rinova::testing::writeBytes(list, original);
        auto form = std::make_unique<app::MainWindow>(dir.filePath(QStringLiteral("rinova.ini")));
        form->startUp();
        form->importAddressFile(list, FileFormat::Plain);
        prompts.errors.clear();
        return form;
    }
    static addresses::RowCells named(app::MainWindow& form, int row, const char16_t* name) {
        addresses::RowCells c = form.addressGrid().cells(row);
        c[1] = sjis(name);
        return c;
    }
};

TEST_F(ListEditorTest, EveryEditIsUndoneToTheFilesBytesAndRedone) {
    auto form = opened();
    app::ListEditor& e = form->editor();
    const auto bytes = [&] {
        return form->addressGrid()
            .saved(FileFormat::Plain, form->addressGrid().layoutForSave())
            .bytes();
    };
    EXPECT_EQ(form->windowTitle(), u"Rinova Ver1.2 - list.csv"_qs);
    e.setRow(2, named(*form, 2, u"新しい名前"));
    form->grid().setCurrentRow(3);
    e.moveRows(-1);
    e.moveRows(1);
    e.moveRows(1);
    form->grid().setCurrentRow(1);
    e.deleteRows();
    EXPECT_EQ(form->windowTitle(), u"Rinova Ver1.2 - list.csv *"_qs);
    EXPECT_EQ(form->addressGrid().rowCountWithHeader(), 6);
    EXPECT_EQ(form->addressGrid().cell(1, 1), sjis(u"新しい名前"));
    EXPECT_EQ(form->addressGrid().cell(3, 1), sjis(u"高橋健"));
    EXPECT_EQ(form->addressGrid().cell(3, 0), "3"); // renumbered
    const std::string edited = bytes();
    while (e.undoStack().canUndo())
        e.undoStack().undo();
    EXPECT_EQ(bytes(), original);
    EXPECT_EQ(form->windowTitle(), u"Rinova Ver1.2 - list.csv"_qs);
    while (e.undoStack().canRedo())
        e.undoStack().redo();
    EXPECT_EQ(bytes(), edited);
}

// A selected range moves as one block with each press and stays selected; undo gives back the
// rows and the selection.
TEST_F(ListEditorTest, ASelectedRangeMovesOnAsOneBlock) {
    auto form = opened();
    app::ListEditor& e = form->editor();
    const addresses::AddressGrid& g = form->addressGrid();
    const std::string second(g.cell(2, 1)), third(g.cell(3, 1));
    form->grid().setSelectedRows(2, 3);
    e.moveRows(1);
    e.moveRows(1);
    EXPECT_EQ(g.cell(4, 1), second);
    EXPECT_EQ(g.cell(5, 1), third);
    EXPECT_EQ(form->grid().selectionTop(), 4);
    EXPECT_EQ(form->grid().selectionBottom(), 5);
    EXPECT_EQ(form->grid().currentRow(), 5);
    e.undoStack().undo();
    e.undoStack().undo();
    EXPECT_EQ(g.cell(2, 1), second);
    EXPECT_EQ(form->grid().selectionTop(), 2);
    EXPECT_EQ(form->grid().selectionBottom(), 3);
}

TEST_F(ListEditorTest, UnsavedWorkIsSavedGivenUpOrKeptAsTheUserAnswers) {
    const struct {
        SaveChoice answer;
        bool setAside;
        bool saved;
    } cases[] = {
        {SaveChoice::Save, true, true},
        {SaveChoice::Discard, true, false},
        {SaveChoice::Cancel, false, false},
    };
    for (const auto& c : cases) {
        auto form = opened();
        form->editor().setRow(1, named(*form, 1, u"変更"));
        prompts.questions.clear();
        prompts.saveChangesAnswers = {c.answer};
        EXPECT_EQ(form->editor().maySetAside(), c.setAside);
        EXPECT_EQ(prompts.questions, std::vector<QString>{u"list.csv への変更を保存しますか？"_qs});
        EXPECT_EQ(readBytes(list) != original, c.saved);
        EXPECT_EQ(readBytes(list).find(sjis(u"変更,花子,")) == 0, c.saved);
        // Asked again while the changes are still unsaved.
        prompts.questions.clear();
        prompts.saveChangesAnswers = {SaveChoice::Discard};
        form->editor().maySetAside();
        EXPECT_EQ(prompts.questions.size(), c.saved ? 0u : 1u);
    }
}

TEST_F(ListEditorTest, AHonorificInASixFieldListIsSavedAsASpreadsheetListWhenTheUserSays) {
    auto form = opened();
    addresses::RowCells c = form->addressGrid().cells(1);
    c[addresses::HonorificColumn] = sjis(u"御中");
    form->editor().setRow(1, c);
    EXPECT_TRUE(form->addressGrid().showsExtraColumns());
    // Refused: the six-field file stays as it was.
    EXPECT_FALSE(form->editor().save());
    EXPECT_EQ(readBytes(list), original);
    const QString sheet = dir.filePath(QStringLiteral("sheet.csv"));
    prompts.confirmAnswers = {true};
    prompts.listSaveAnswers = {{sheet, FileFormat::Sheet}};
    EXPECT_TRUE(form->editor().save());
    EXPECT_EQ(prompts.lastOfferedFormat, FileFormat::Sheet);
    EXPECT_EQ(readBytes(list), original);
    EXPECT_EQ(form->windowTitle(), u"Rinova Ver1.2 - sheet.csv"_qs);
    addresses::AddressGrid back;
    back.importContent(readBytes(sheet), FileFormat::Sheet);
    ASSERT_EQ(back.rowCountWithHeader(), 7);
    for (int row = 1; row < 7; ++row)
        for (int col = 1; col < addresses::kAllColumns; ++col)
            EXPECT_EQ(back.cell(row, col), form->addressGrid().cell(row, col)) << row << col;
}

TEST_F(ListEditorTest, WorkLeftByAKilledProgramIsOfferedAtTheNextStart) {
    for (bool take : {false, true}) {
        {
            // The program dies after an edit: nothing asks, nothing is saved.
            auto form = opened();
            form->editor().setRow(3, named(*form, 3, u"未保存"));
        }
        auto form = std::make_unique<app::MainWindow>(dir.filePath(QStringLiteral("rinova.ini")));
        form->startUp();
        prompts.questions.clear();
        prompts.confirmAnswers = {take};
        form->offerEarlierWork();
        ASSERT_FALSE(prompts.questions.empty());
        EXPECT_TRUE(prompts.questions[0].contains(u"list.csv の変更が残っています"_qs));
        EXPECT_EQ(form->addressGrid().cell(3, 1) == sjis(u"未保存"), take);
        EXPECT_EQ(form->editor().modified(), take);
        if (take) {
            EXPECT_TRUE(form->editor().save());
            EXPECT_NE(readBytes(list).find(sjis(u"未保存,高橋由美,")), std::string::npos);
        }
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("rinova.recovery"))));
    }
}

} // namespace

// In the row dialog a typed code offers its address and a typed address its code, taken only
// when the user says; an address that already fits its code, or a code the data lacks, offers
// nothing.
TEST(RowDialogPostal, TypedCodeOffersItsAddressAndTypedAddressItsCode) {
    const postal::Directory postal =
        postal::load(QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/postal"));
    ASSERT_FALSE(postal.empty());
    using addresses::Address1Column;
    using addresses::PostalColumn;
    struct Case {
        const char* name;
        const char16_t *postalBefore, *addressBefore;
        int typedInto;
        const char16_t* typed;
        const char16_t *postalAfter, *addressAfter; // after taking the offer; null: no offer
    };
    const Case cases[] = {
        {"code to address", u"", u"", PostalColumn, u"1000004", u"1000004",
         u"東京都千代田区大手町"},
        {"full-width code", u"", u"", PostalColumn, u"１００－０００３", u"１００－０００３",
         u"東京都千代田区一ツ橋"},
        {"address to code", u"", u"", Address1Column, u"東京都千代田区一ツ橋2-1", u"100-0003",
         u"東京都千代田区一ツ橋2-1"},
        {"address fits its code", u"", u"東京都千代田区大手町1-1", PostalColumn, u"100-0004",
         nullptr, nullptr},
        {"code fits its address", u"100-0003", u"", Address1Column, u"東京都千代田区一ツ橋",
         nullptr, nullptr},
        {"code not in the data", u"", u"", PostalColumn, u"1234567", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        addresses::RowCells cells;
        cells.fill(" ");
        if (*c.postalBefore)
            cells[PostalColumn] = text::fromUnicode(QString::fromUtf16(c.postalBefore));
        if (*c.addressBefore)
            cells[Address1Column] = text::fromUnicode(QString::fromUtf16(c.addressBefore));
        app::RowDialog dialog(cells, nullptr, &postal);
        dialog.show();
        rinova::testing::typeText(dialog.field(c.typedInto), QString::fromUtf16(c.typed));
        EXPECT_EQ(dialog.postalTake()->isVisible(), c.postalAfter != nullptr)
            << qPrintable(dialog.postalOffer()->text());
        if (!c.postalAfter) continue;
        // Nothing is put in a field before the user takes it.
        EXPECT_EQ(
            dialog.field(c.typedInto == PostalColumn ? Address1Column : PostalColumn)->text(),
            QString::fromUtf16(c.typedInto == PostalColumn ? c.addressBefore : c.postalBefore));
        dialog.postalTake()->click();
        EXPECT_EQ(dialog.field(PostalColumn)->text(), QString::fromUtf16(c.postalAfter));
        EXPECT_EQ(dialog.field(Address1Column)->text(), QString::fromUtf16(c.addressAfter));
        EXPECT_FALSE(dialog.postalTake()->isVisible());
    }
}
