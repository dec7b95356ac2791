// The preview's card rectangle: the whole card in any box, 100 : 148, unchanged where the box is
// tall enough.
#include "drawing/playback.h"

#include <climits>
#include <gtest/gtest.h>

namespace rinova {
namespace {

TEST(PreviewFit, TheWholeCardFitsTheBoxAt100To148) {
    const struct {
        QSize box;
        QRect card;
    } cases[] = {
        // The default window's box: as wide as the box, as before.
        {{293, 460}, {0, 0, 293, 433}},
        {{291, 430}, {0, 0, 291, 430}},
        // A maximised window's box is too low: as high as the box, centred across it.
        {{1471, 1000}, {398, 0, 675, 999}},
        {{1000, 148}, {450, 0, 100, 148}},
        // rinova-cli png names only the width.
        {{400, INT_MAX}, {0, 0, 400, 592}},
        {{0, 0}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const QRect card = drawing::previewCardRect(c.box);
        EXPECT_EQ(card, c.card) << c.box.width() << "x" << c.box.height();
        EXPECT_TRUE(QRect(QPoint(0, 0), c.box).contains(card) || card.isEmpty());
        EXPECT_EQ(card.height(), static_cast<long long>(card.width()) * 148 / 100);
    }
}

} // namespace
} // namespace rinova
