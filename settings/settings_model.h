// The one owner of the settings the program and rinova-cli share: the raw texts read at start-up,
// the card layout computed from them, and the choices of the settings window (face, sender
// block, card type) and of the main window (print name 2). Windows edit it and draw from it;
// every write to the settings file goes through it.
#pragma once

#include "settings/calibration.h"
#include "settings/settings_store.h"
#include "settings/window_choices.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace rinova::settings {

class SettingsModel : public QObject {
    Q_OBJECT
public:
    explicit SettingsModel(QString iniPath, QObject* parent = nullptr);

    const QString& path() const { return store_.path(); }
    const RawSettings& raw() const { return raw_; }
    const CardLayout& layout() const { return layout_; }
    const WindowChoices& choices() const { return choices_; }
    bool printName2() const { return printName2_; }
    // The file type last chosen in the open dialog, kept as "OpenFileType": 0 the program's own
    // address file, 1 a spreadsheet's CSV in Shift-JIS, 2 in UTF-8. 0 when the key is missing or
    // holds anything else.
    int openFileType() const { return openFileType_; }
    // Long texts are fitted into their areas: "FitText" of section SET, on unless it reads "0".
    bool fitText() const { return fitText_; }
    // How the digits of addresses stand: "Numbers" of section SET, 0 (kanji numerals, as the
    // program always drew them), 1 (kanji, 〇 for zero) or 2 (upright, two digits to a cell); 0
    // when the key is missing or holds anything else.
    int numberStyle() const { return numberStyle_; }
    // The address file last opened or saved, "LastFile": its full path as the files layer keeps
    // file names (a name that is not UTF-8 keeps its bytes). Empty when the key is missing.
    const QString& lastAddressFile() const { return lastAddressFile_; }
    // How the user said the fields under a header row fill the columns, kept per header in
    // section "ColumnMap" under a key made from the header's text; "" when never said.
    std::string columnChoice(std::string_view headerText) const;
    void setColumnChoice(std::string_view headerText, std::string_view choice);

    // The main window's start-up load of all eighteen keys and the layout; throws the integer
    // rule's failure with the values reached so far kept. The open dialog's file type and the
    // fitting switch are read first and never fail. Returns the message for a file that cannot
    // be a settings file; the load then goes on with the defaults.
    QString load();
    // The settings window's choices taken from the raw texts, as its creation fills its
    // controls. Throws for a "FontName" that is not an integer; then nothing is taken.
    void takeWindowChoices();
    // The integer a spin edit shows for one element: its key's raw text. Throws the integer rule.
    std::int32_t offsetValue(int element, Spin spin) const;
    // Reads the three keys of one element again ("" becomes "0"); nothing is announced.
    void rereadElement(int element);

    // Sets a layout value to value + base and writes its key in decimal form; announces the
    // change once the key is written. Throws when the file cannot be written.
    void storeOffset(int element, Spin spin, std::int32_t value);

    // Choices made in the windows; each is announced. A choice made here also marks its key as
    // worth writing at close.
    void setFaceIndex(int index);
    void setPrintSender(bool on);
    void setCardType(int type);
    void setPrintName2(bool on);
    // Writes "OpenFileType" when the type differs from the one kept; nothing is announced, as
    // no card changes. Throws when the file cannot be written.
    void setOpenFileType(int type);
    // Writes "LastFile" when the path differs from the one kept; nothing is announced. A name
    // holding a line break or NUL, which the file cannot hold, is not kept. Throws when the file
    // cannot be written.
    void setLastAddressFile(const QString& path);
    // Takes the choice, announces it and writes "FitText" at once; throws when the file cannot
    // be written (the choice still holds for this run).
    void setFitText(bool on);
    // Takes a style of 0 to 2, announces it and writes "Numbers" at once; throws when the file
    // cannot be written (the style still holds for this run). Any other value is ignored.
    void setNumberStyle(int style);
    // A sender text as the window shows it. While it still reads as loaded from the file, the
    // file's bytes are kept, even those the code page cannot turn into text and back. Not
    // announced: a typed text shows at the next redraw.
    void setSenderText(int index, const QString& shown);

    // Writes the settings window's keys (face, sender print, card type, the seven sender texts)
    // in that order, skipping those that still hold no value from the file or the user, so a
    // key the window could not read is kept as it is. Throws at the first failed write.
    void saveWindowChoices();

    // Start-up as the program runs it, for a reader that must not write: the load, the window's
    // choices, and element 0's offsets as the settings window's spin edits set them. Each
    // failure ends its own step only; the messages come back in order.
    QStringList loadWithoutWriting();

    // Where a printer ("QUEUE" or "QUEUE/INSTANCE") is told to put the card and its postal code:
    // all 0 for a printer without shifts. Read from the file once per printer; setCalibration
    // writes the keys that change (throws when the file cannot be written) and keeps the new
    // shifts.
    Calibration calibration(const QString& printer) const;
    void setCalibration(const QString& printer, const Calibration& shifts);

    // The preview's width in pixels as the user last set it with the main window's splitter
    // ("PreviewWidth" of section SET), read from the file; nothing when it holds no width.
    // setPreviewWidth writes it when it changes; throws when the file cannot be written.
    std::optional<int> previewWidth() const;
    void setPreviewWidth(int width);

    // Tells the views that what they draw may have changed.
    void announceChange() { emit changed(); }

signals:
    void changed();

private:
    enum Stored { FaceKey, SenderPrintKey, CardTypeKey, FirstSenderKey, StoredCount = 10 };

    SettingsStore store_;
    RawSettings raw_;
    CardLayout layout_;
    WindowChoices choices_;
    bool printName2_ = true;
    int openFileType_ = 0;
    QString lastAddressFile_;
    bool fitText_ = true;
    int numberStyle_ = 0;
    // True while a key holds no value from the file or the user (the window could not take the
    // file's choices): saveWindowChoices leaves such keys alone.
    std::array<bool, StoredCount> keepStored_;
    // The sender texts as taken from the file, as bytes and as shown.
    std::array<std::string, 7> loadedBytes_;
    std::array<QString, 7> loadedTexts_;
    // By the printer's section name in lower case: letter case does not count in either.
    mutable std::map<std::string, Calibration> calibrations_;
};

} // namespace rinova::settings
