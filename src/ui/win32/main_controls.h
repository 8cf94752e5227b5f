#pragma once
// The main window's controls shown from gApp (main_controls.cpp).

// Title, slider ranges and range labels.
void RefreshTitleAndRanges();
// Check box, slider positions and clock labels.
void RefreshClockDisplay();
// "Reset to &Defaults" and "&Apply" enabled as the clocks and the box stand.
void UpdateMainButtons();
