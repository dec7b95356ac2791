// Start-up as the program runs it, offscreen, on any bytes as rinova.ini: the main window's
// start-up steps, then the settings window's creation. No failure may escape, both windows must
// exist, and the only keys start-up may change are address line 1's three offsets (written back
// in decimal form).
#include "app/main_window.h"
#include "app/settings_window.h"
#include "settings/profile_file.h"
#include "settings/settings_store.h"
#include "widgets/prompts.h"

#include <QApplication>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

using rinova::settings::Key;
using rinova::settings::ProfileFile;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "start-up: %s\n", what);
    std::abort();
}

// Every box is answered at once, as a user who clicks OK.
class AnsweringPrompts : public rinova::widgets::Prompts {
public:
    void error(const QString&) override {}
    void message(const QString&) override {}
    bool confirm(const QString&) override { return false; }
    std::optional<rinova::widgets::AddressFileChoice>
    openAddressFile(const QString&, rinova::addresses::FileFormat) override {
        return std::nullopt;
    }
    bool printDialog(QPrinter&) override { return false; }
    bool printerSetup(QPrinter&) override { return false; }
};

std::string dir;
QString ini;

bool writtenBack(Key key) {
    return key == Key::Edit1Value0 || key == Key::Edit2Value0 || key == Key::Edit3Value01;
}

} // namespace

// Qt 6.4's fontconfig engine loses the font patterns it caches for fallback faces (an insert
// where a replace was meant, then a resize that cuts the list), so text with characters the
// window font lacks, set into the settings window's fields, leaks them. Not the program's; the
// allocations' stacks end inside fontconfig, so only the library can be named.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // No print system: the font check is skipped and every run stays quick.
    qputenv("CUPS_SERVER", "/nonexistent/rinova-fuzz.sock");
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    (void)argc;
    static QApplication application(qtArgc, qtArgv);
    static AnsweringPrompts prompts;
    rinova::widgets::Prompts::install(&prompts);

    char templ[] = "/dev/shm/rinova-fuzz-startup-XXXXXX";
    char templTmp[] = "/tmp/rinova-fuzz-startup-XXXXXX";
    const char* made = ::mkdtemp(templ);
    if (!made) made = ::mkdtemp(templTmp);
    if (!made) fail("cannot make a folder");
    dir = made;
    ini = QString::fromLocal8Bit(dir + "/rinova.ini");
    std::atexit([] {
        ::unlink((dir + "/rinova.ini").c_str());
        ::rmdir(dir.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string before(reinterpret_cast<const char*>(data), size);
    QFile file(ini);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(before.data(), static_cast<qint64>(before.size())) !=
            static_cast<qint64>(before.size()))
        fail("cannot write the settings file");
    file.close();

    try {
        rinova::app::MainWindow form(ini);
        form.startUp();
        form.createSettingsWindow();
        if (!form.settingsWindow()) fail("the settings window was not created");
        if (form.settingsWindow()->isVisible()) fail("the settings window is shown at start-up");
    } catch (...) {
        fail("a failure escaped start-up");
    }

    if (!file.open(QIODevice::ReadOnly)) fail("the settings file is gone");
    const QByteArray written = file.readAll();
    const std::string after(written.constData(), static_cast<std::size_t>(written.size()));
    // A file too large to be a settings file is never written.
    if (size > ProfileFile::kMaxFileBytes && after != before) fail("a huge file was written");
    for (int k = 0; k < rinova::settings::kKeyCount; ++k) {
        const Key key = static_cast<Key>(k);
        if (writtenBack(key)) continue;
        const char* name = rinova::settings::keyName(key);
        if (ProfileFile::valueIn(after, "SET", name) != ProfileFile::valueIn(before, "SET", name))
            fail("start-up changed a key it must not write");
    }
    return 0;
}
