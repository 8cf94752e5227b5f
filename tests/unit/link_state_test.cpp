// The link's hover, click, colour and cursor rules.
#include <gtest/gtest.h>

#include "app_state.h"
#include "ui/link_state.h"

namespace {

class LinkState : public ::testing::Test {
protected:
    void SetUp() override { gApp = AppState(); }
    void TearDown() override { gApp = AppState(); }
};

TEST_F(LinkState, ColoursByState)
{
    EXPECT_EQ(0xFF0000u, LinkColour(0));  // blue
    EXPECT_EQ(0x0000FFu, LinkColour(1));  // red
    EXPECT_EQ(0xAC00ACu, LinkColour(2));  // purple
    EXPECT_EQ(0x0000FFu, LinkColour(3));  // red
}

TEST_F(LinkState, PointerMovesRepaintOnlyOnChange)
{
    EXPECT_EQ(0, LinkPointerMoved(false));
    EXPECT_EQ(1, LinkPointerMoved(true));
    EXPECT_EQ(1u, gApp.ui.linkState);
    EXPECT_EQ(0, LinkPointerMoved(true));
    EXPECT_EQ(1, LinkPointerMoved(false));
    EXPECT_EQ(0u, gApp.ui.linkState);
    EXPECT_EQ(0u, gApp.ui.linkStatePainted);
}

TEST_F(LinkState, AClickSticksAndRepaintsAtTheNextMove)
{
    EXPECT_FALSE(LinkUnderPointer());  // a click beside the link does nothing
    LinkPointerMoved(true);
    ASSERT_TRUE(LinkUnderPointer());
    MarkLinkClicked();
    EXPECT_EQ(2u, gApp.ui.linkState);
    EXPECT_FALSE(LinkUnderPointer());
    // Still over the link: 3, which differs from the painted 1.
    EXPECT_EQ(1, LinkPointerMoved(true));
    EXPECT_EQ(3u, gApp.ui.linkState);
    EXPECT_EQ(0x0000FFu, LinkColour(gApp.ui.linkState));
    EXPECT_EQ(1, LinkPointerMoved(false));
    EXPECT_EQ(2u, gApp.ui.linkState);
    EXPECT_EQ(0xAC00ACu, LinkColour(gApp.ui.linkState));
    EXPECT_EQ(0, LinkPointerMoved(false));
    // Clicked off the link: nothing.
    EXPECT_FALSE(LinkUnderPointer());
}

TEST_F(LinkState, TheHandComesOnlyAfterTheArrowWasSetOnce)
{
    // Over the link before any cursor was set: nothing yet (999 is not 0).
    LinkPointerMoved(true);
    EXPECT_EQ(kLinkCursorUnset, LinkCursorToSet());
    LinkPointerMoved(false);
    EXPECT_EQ(kLinkCursorArrow, LinkCursorToSet());
    EXPECT_EQ(kLinkCursorUnset, LinkCursorToSet());  // already the arrow
    LinkPointerMoved(true);
    EXPECT_EQ(kLinkCursorHand, LinkCursorToSet());
    EXPECT_EQ(kLinkCursorUnset, LinkCursorToSet());
    LinkPointerMoved(false);
    EXPECT_EQ(kLinkCursorArrow, LinkCursorToSet());
    EXPECT_EQ(0u, gApp.ui.linkCursor);
}

TEST_F(LinkState, PointsUnpackUnsignedAndEdgesAreHalfOpen)
{
    int32_t x = 0, y = 0;
    UnpackMousePoint(0x00280064u, &x, &y);
    EXPECT_EQ(100, x);
    EXPECT_EQ(40, y);
    UnpackMousePoint(0xFFFEFFFFu, &x, &y);  // left of and above the window
    EXPECT_EQ(65535, x);
    EXPECT_EQ(65534, y);

    const struct {
        int32_t x, y;
        bool inside;
    } cases[] = {{119, 49, true}, {218, 49, true}, {119, 62, true}, {218, 62, true},
                 {118, 55, false}, {219, 55, false}, {150, 48, false}, {150, 63, false}};
    for (const auto& c : cases)
        EXPECT_EQ(c.inside, PointInLink(c.x, c.y, 119, 49, 219, 63)) << c.x << "," << c.y;
}

}  // namespace
