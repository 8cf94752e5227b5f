#include "ui/link_state.h"

#include "app_state.h"

uint32_t LinkColour(uint32_t linkState)
{
    switch (linkState) {
    case 0: return 0xFF0000;  // blue
    case 2: return 0xAC00AC;  // purple
    default: return 0x0000FF; // red: 1 and 3, the pointer over the link
    }
}

void UnpackMousePoint(uint32_t lParam, int32_t* x, int32_t* y)
{
    *x = static_cast<int32_t>(lParam & 0xFFFF);
    *y = static_cast<int32_t>(lParam >> 16);
}

bool PointInLink(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return x >= left && x < right && y >= top && y < bottom;
}

int LinkPointerMoved(bool overLink)
{
    UiState& ui = gApp.ui;
    if (overLink)
        ui.linkState |= kLinkHover;
    else
        ui.linkState &= ~kLinkHover;
    if (ui.linkState == ui.linkStatePainted)
        return 0;
    ui.linkStatePainted = ui.linkState;
    return 1;
}

uint32_t LinkCursorToSet()
{
    UiState& ui = gApp.ui;
    const bool over = (ui.linkState & kLinkHover) != 0;
    // The hand comes only after the arrow has been set once.
    if (!over && ui.linkCursor != kLinkCursorArrow)
        return ui.linkCursor = kLinkCursorArrow;
    if (over && ui.linkCursor == kLinkCursorArrow)
        return ui.linkCursor = kLinkCursorHand;
    return kLinkCursorUnset;
}

bool LinkUnderPointer()
{
    return (gApp.ui.linkState & kLinkHover) != 0;
}

void MarkLinkClicked()
{
    gApp.ui.linkState = kLinkClicked;
}
