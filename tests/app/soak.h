// A long session in one process: the main and settings windows as the program builds them, a
// large address file imported, and the preview redrawn row after row while resident memory is
// sampled. Shared by the soak test and the soak benchmark.
#pragma once

#include "addresses/address_grid.h"
#include "app/main_window.h"
#include "app/settings_window.h"
#include "drawing/fonts.h"
#include "text/cp932.h"
#include "widgets/address_grid_view.h"
#include "widgets/prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace rinova::soak {

// A field of /proc/self/status in kB (VmRSS, VmHWM); 0 when it cannot be read.
inline long statusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return 0;
}

// Records what would have been shown, so no dialog waits for a user.
class QuietPrompts : public widgets::Prompts {
public:
    QuietPrompts() { widgets::Prompts::install(this); }
    ~QuietPrompts() override { widgets::Prompts::install(nullptr); }
    QStringList errors, messages;
    void error(const QString& text) override { errors << text; }
    void message(const QString& text) override { messages << text; }
    bool confirm(const QString&) override { return false; }
    std::optional<widgets::AddressFileChoice> openAddressFile(const QString&,
                                                              addresses::FileFormat) override {
        return std::nullopt;
    }
    bool printDialog(QPrinter&) override { return false; }
    bool printerSetup(QPrinter&) override { return false; }
};

// Shift-JIS address lines: the same few names and places again and again with running numbers
// in the postal code, the block number and the remark, so every row differs while the set of
// characters drawn stays small.
inline std::string addressLines(int count) {
    using text::fromUnicode;
    const std::string name1[] = {fromUnicode(u"山田太郎"), fromUnicode(u"佐藤一郎")};
    const std::string name2[] = {fromUnicode(u"花子"), std::string()};
    const std::string address = fromUnicode(u"東京都架空区見本町");
    const std::string building = fromUnicode(u"コーポ見本");
    const std::string number = fromUnicode(u"号");
    const std::string remark = fromUnicode(u"友人");
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * 80);
    for (int i = 0; i < count; ++i) {
        const int k = i % 2;
        char postal[16];
        std::snprintf(postal, sizeof postal, "%03d-%04d", i / 10000 % 1000, i % 10000);
        out += name1[k] + ',' + name2[k] + ',' + postal + ',';
        out += address + std::to_string(i % 9 + 1) + '-' + std::to_string(i % 31 + 1) + ',';
        out += building + std::to_string(i % 500 + 100) + number + ',';
        out += remark + std::to_string(i) + "\r\n";
    }
    return out;
}

struct Sample {
    int redraws;
    long rssKb;
};

struct Result {
    int rows = 0;              // address rows after the import
    int previewDraws = 0;      // preview draws counted by the main window during the loop
    long rssAfterImportKb = 0; // with the grid filled, before the first redraw of the loop
    long peakKb = 0;           // VmHWM at the end
    long rssEndKb = 0;
    double importMs = 0, redrawMs = 0;
    std::vector<Sample> samples;
    QStringList errors, messages;

    long rssAt(int redraws) const {
        for (const Sample& s : samples)
            if (s.redraws >= redraws) return s.rssKb;
        return samples.empty() ? 0 : samples.back().rssKb;
    }
};

// The row of the i-th redraw: runs of 50 neighbouring rows, each run far from the last, so the
// grid scrolls both step by step and by long jumps.
inline int rowFor(int i, int rows) {
    const long long run = i / 50, step = i % 50;
    return static_cast<int>((run * 99991 + step) % rows) + 1;
}

// Runs a session in `dir` (its rinova.ini is written there): imports `lines` lines, then redraws
// the preview `redraws` times, sampling resident memory every `sampleEvery` redraws. Events are
// handled every 10 redraws, so the grid repaints as it would for a user.
inline Result run(const QString& dir, int lines, int redraws, int sampleEvery) {
    Result result;
    QuietPrompts prompts;
    drawing::installFaceSubstitutions();
    const QString ini = QDir(dir).filePath(QStringLiteral("rinova.ini"));
    {
        // The sender block on, so every card carries all the fonts the renderer makes.
        QFile f(ini);
        if (f.open(QIODevice::WriteOnly))
            f.write("[SET]\r\nSashiPrint=1\r\nCardType=1\r\nSashiYuban3=100\r\nSashiYuban4=0001\r\n"
                    "SashiName1=Rinova\r\nSashiAdd1=Tokyo 1-2-3\r\n");
    }
    app::MainWindow mainWindow(ini);
    mainWindow.startUp();
    mainWindow.createSettingsWindow();
    app::SettingsWindow* settingsWindow = mainWindow.settingsWindow();
    mainWindow.show();
    QCoreApplication::processEvents();

    QElapsedTimer timer;
    {
        const std::string content = addressLines(lines);
        timer.start();
        mainWindow.addressGrid().importContent(content);
        result.importMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    }
    mainWindow.redrawPreview();
    QCoreApplication::processEvents();
    result.rows = mainWindow.addressGrid().rowCountWithHeader() - 1;
    result.rssAfterImportKb = statusKb("VmRSS");

    const int drawsBefore = mainWindow.previewDraws();
    timer.restart();
    for (int i = 1; i <= redraws && result.rows > 0; ++i) {
        mainWindow.grid().setCurrentRow(rowFor(i, result.rows));
        mainWindow.redrawPreview();
        if (i % 10 == 0) QCoreApplication::processEvents();
        if (i % sampleEvery == 0 || i == redraws) result.samples.push_back({i, statusKb("VmRSS")});
    }
    result.redrawMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    result.previewDraws = mainWindow.previewDraws() - drawsBefore;
    result.rssEndKb = statusKb("VmRSS");
    result.peakKb = statusKb("VmHWM");
    result.errors = prompts.errors;
    result.messages = prompts.messages;

    settingsWindow->hide();
    mainWindow.hide();
    return result;
}

} // namespace rinova::soak
