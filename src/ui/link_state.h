#pragma once
// The link below the logo: whether the pointer is over it, whether it has
// been clicked, its colour and the cursor it wants. State in gApp.ui.
#include <stdint.h>

const uint32_t kLinkHover = 1;    // bit 0: the pointer is over the link
const uint32_t kLinkClicked = 2;  // stored on a click; stays for the run

const uint32_t kLinkCursorUnset = 999;
const uint32_t kLinkCursorArrow = 0;
const uint32_t kLinkCursorHand = 1;

// Text colour (0x00BBGGRR): blue, red under the pointer, purple once clicked.
uint32_t LinkColour(uint32_t linkState);

// WM_MOUSEMOVE's point packed in lParam: x in the low, y in the high 16 bits,
// both unsigned.
void UnpackMousePoint(uint32_t lParam, int32_t* x, int32_t* y);
// Left and top edges inside, right and bottom outside.
bool PointInLink(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom);

// The pointer moved; 1 when the link must be repainted in its new colour.
int LinkPointerMoved(bool overLink);
// The cursor the link wants now: kLinkCursorArrow, kLinkCursorHand, or
// kLinkCursorUnset to leave the cursor alone. The choice is recorded.
uint32_t LinkCursorToSet();
// A left click on the main window hits the link when the pointer is over it;
// after the address has been handed to the shell the link counts as clicked,
// and the next pointer move repaints it.
bool LinkUnderPointer();
void MarkLinkClicked();
