#pragma once
// AppState: the single process-wide record of the utility. Everything that
// lives for the whole run is here, so a test can start from a clean slate by
// assigning a fresh AppState and plugging in a simulated platform.
#include <stdint.h>

#include "platform/platform.h"

enum class BoardKind : uint32_t {
    None = 0,
    TNT = 1,
    TNT2 = 2,
    UltraTNT2 = 3,
    Vanta = 4,
    TNT2Value = 5,
    Gravenor = 6,     // GeForce 256
    GravenorPro = 7,  // GeForce 256 DDR
};

// The values of one clock domain, all whole MHz.
struct ClockDomain {
    uint32_t selected = 0;     // slider value, the clock to apply
    uint32_t applied = 0;      // read back after the last apply or settings load
    uint32_t pendingBoot = 0;  // kept clock waiting for the boot store, 0 = none
    uint32_t baseline = 0;     // read at start and after each boot store
    uint32_t floor = 0;        // board constants
    uint32_t defaultClock = 0;
    uint32_t defaultMax = 0;
    uint32_t ceiling = 0;
    uint32_t min = 0;  // the slider range, the user's limits
    uint32_t max = 0;
};

const int kPciSlots = 512;

// PCI configuration access layer state.
struct PciAccessState {
    uint16_t initialised = 0;
    uint32_t mechanism = 1;  // PciMechanism: 1 or 2
    uint16_t present[kPciSlots] = {};
};

// Bounds of the floating-point PLL search (TNT boards).
struct PllSearchLimits {
    double minReferenceMHz = 1.0;
    int32_t maxReferenceMHz = 3;
    double minVcoMHz = 128.0;
    int32_t maxVcoMHz = 300;
    int32_t firstP = 1;
};

struct PllCandidate {
    bool found = false;
    int32_t m = 0, n = 0, p = 0;
    double errorHz = 0.0;
    double errorPercent = 0.0;
};

// Opaque window-system handles, so the record compiles where there is no Win32.
typedef void* WindowRef;
typedef void* ResourceRef;

struct UiState {
    void* instance = nullptr;  // module instance (HINSTANCE)
    WindowRef mainWindow = nullptr;
    WindowRef aboutDialog = nullptr;
    WindowRef transactionDialog = nullptr;
    WindowRef limitsDialog = nullptr;
    WindowRef clockTestDialog = nullptr;
    uintptr_t bootTimer = 0;
    uint32_t applyRunning = 0;   // an apply transaction is between its save and its end
    uint32_t bootStoreDue = 0;   // the boot timer fired while it ran: the store follows it
    uint32_t clockTestRunning = 0;  // a clock test job has the chip: apply, limits and boot store wait
    uintptr_t keepTimer = 0;
    uint32_t confirmResult = 0;
    uint32_t keepResult = 0;
    ResourceRef smallIcon = nullptr;
    ResourceRef largeIcon = nullptr;
    ResourceRef arrowCursor = nullptr;
    ResourceRef handCursor = nullptr;
    ResourceRef trayMenu = nullptr;
    uint32_t slidersSubclassed = 0;
    uint32_t linkState = 0;
    uint32_t linkStatePainted = 0;
    uint32_t linkCursor = 999;  // the link handling has not set a cursor yet
    WindowRef pressedSlider = nullptr;
    uint32_t sliderPressed = 0;
};

struct AppState {
    Platform platform;

    // Board access
    BoardKind boardKind = BoardKind::None;
    uint16_t deviceId = 0;
    uint32_t registerPhysical = 0;
    uint32_t driverBuild = 0;
    DriverHandle driverHandle = 0;
    RegisterWindow* registers = nullptr;
    // Without the driver: the register pieces mapped through DPMI, kept so
    // that a second detection in the same run does not map them again.
    uint32_t mappedPhysical = 0;
    RegisterRange mappedRanges[kMappedRangeCount] = {};
    PciAccessState pci;

    // Clock engine
    PllSearchLimits pllLimits;
    PllCandidate bestAbove;
    PllCandidate bestBelow;

    // Clocks and settings
    ClockDomain gfx;
    ClockDomain mem;
    uint32_t resetOnReboot = 0;
    uint32_t resetOnRebootApplied = 0;
    char installPath[256] = {};

    // Boot persistence: the display driver's key, asked for at most once a run
    uint32_t driverKeyAsked = 0;
    char driverKey[256] = {};

    // Start-up
    int32_t hideCountdown = 0;
    uint32_t applyStoredAtStart = 0;

    UiState ui;
};

extern AppState gApp;
