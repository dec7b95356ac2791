// The postal-code dictionary reader on arbitrary bytes, as area and as business lines: reading
// and indexing always end, a code is held exactly when it has places, and the look-ups and
// the check's questions over texts taken from the input give defined answers.
#include "postal/address_text.h"
#include "postal/code_question.h"
#include "postal/directory.h"
#include "postal/euc_jis_2004.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace rinova::postal;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "postal: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first byte chooses where the business lines begin.
    const std::size_t split = size ? std::size_t(data[0]) * size / 256 : 0;
    Directory d;
    const Directory::Read area = d.addDictionary(bytes.substr(0, split), Directory::Kind::Area);
    const Directory::Read business =
        d.addDictionary(bytes.substr(split), Directory::Kind::Business);
    d.finish();
    if (d.codeCount() > std::size_t(area.codes + business.codes)) fail("more codes than lines");

    std::u16string decoded;
    appendEucJis2004(bytes, decoded);
    if (decoded.size() > size) fail("decoding grew");
    const QString text = QString::fromStdU16String(decoded);
    // The look-ups of a few lines are enough to reach every branch; more only slow each run.
    int asked = 0;
    for (const QString& line : text.split(u'\n')) {
        if (line.size() < 9 || line[7] != u' ' || line[8] != u'/' || ++asked > 8) continue;
        const QString code = line.left(7);
        if (codeDigits(code) != code) continue;
        const std::vector<Place> places = d.places(code);
        if (places.empty() != !d.holds(code)) fail("places and holds disagree");
        for (const Place& p : places)
            (void)d.fit(p, line.mid(9));
        (void)askAboutCode(d, code, line.mid(9));
        (void)askAboutCode(d, code.left(6), line.mid(9));
        (void)d.codesFor(line.mid(9));
    }
    (void)comparisonForm(text);
    return 0;
}
