// LoadSettings and SaveSettings against the registry under test.
#include <algorithm>

#include "clock/pll_search.h"
#include "board/board_table.h"
#include "settings/settings_store.h"
#include "settings_fixture.h"

namespace {

struct LimitCase {
    const char* what;
    uint32_t stored[4];    // GFX Min, GFX Max, MEM Min, MEM Max
    uint32_t expected[4];  // gfx.min, gfx.max, mem.min, mem.max after the load
};

class SettingsStore : public SettingsTest {
protected:
    // Stores the case's limits on a TNT2, loads and compares the four that result.
    void LoadsAsExpected(const LimitCase& c)
    {
        PutLimits(2, c.stored[0], c.stored[1], c.stored[2], c.stored[3]);
        LoadSettings();
        EXPECT_EQ(c.expected[0], gApp.gfx.min);
        EXPECT_EQ(c.expected[1], gApp.gfx.max);
        EXPECT_EQ(c.expected[2], gApp.mem.min);
        EXPECT_EQ(c.expected[3], gApp.mem.max);
    }
    // The older display driver's words beside the kept clocks planted in the
    // settings key, as a store leaves them (none for a default clock); other
    // clocks give the words of gfxMHz / memMHz instead.
    void PutDriverWords(uint32_t gfxMHz = 0, uint32_t memMHz = 0)
    {
        const BoardRow* row = BoardTableRow(gApp.boardKind);
        const struct {
            const char* name;
            uint32_t domain, defaultMHz, other;
        } domains[] = {{"Gracie", kGfxDomain, row->gfx.defaultClock, gfxMHz},
                       {"George", kMemDomain, row->mem.defaultClock, memMHz}};
        for (const auto& d : domains) {
            uint32_t mhz = d.other ? d.other : (Has(kTestSettingsKey, d.name) ? Dword(kTestSettingsKey, d.name) : 0);
            if (mhz != 0 && mhz != d.defaultMHz)
                PutDword(kTestSystemKey, d.name, ClockToPllWord(mhz, d.domain));
        }
    }
};

TEST_F(SettingsStore, FirstRunOnTnt2StartsFromTheBoardTable)
{
    gApp.gfx.pendingBoot = 7;
    gApp.mem.baseline = 9;
    EXPECT_EQ(1, LoadSettings());

    EXPECT_EQ(115u, gApp.gfx.min);
    EXPECT_EQ(140u, gApp.gfx.max);
    EXPECT_EQ(140u, gApp.mem.min);
    EXPECT_EQ(166u, gApp.mem.max);
    EXPECT_EQ(125u, gApp.gfx.selected);
    EXPECT_EQ(125u, gApp.gfx.applied);
    EXPECT_EQ(150u, gApp.mem.selected);
    EXPECT_EQ(150u, gApp.mem.applied);
    EXPECT_EQ(1u, gApp.resetOnReboot);
    EXPECT_EQ(1u, gApp.resetOnRebootApplied);
    EXPECT_STREQ("", gApp.installPath);
    EXPECT_EQ(7u, gApp.gfx.pendingBoot);
    EXPECT_EQ(9u, gApp.mem.baseline);
    // Reading never creates the key.
    EXPECT_FALSE(store_->KeyExists(kTestSettingsKey));
    EXPECT_EQ(std::vector<std::string>{"read SOFTWARE\\Ostrane\\Velkor"}, seam_.Opens());
}

struct BoardCase {
    BoardKind kind;
    uint32_t gfx[4];  // floor, default, default max, ceiling
    uint32_t mem[4];
};

TEST_F(SettingsStore, EveryBoardKindGetsItsRowAndInitialRange)
{
    const BoardCase cases[] = {
        {BoardKind::TNT, {70, 90, 100, 125}, {90, 110, 125, 143}},
        {BoardKind::TNT2, {100, 125, 140, 166}, {125, 150, 166, 183}},
        {BoardKind::UltraTNT2, {125, 150, 166, 183}, {166, 183, 200, 220}},
        {BoardKind::Vanta, {80, 100, 110, 143}, {100, 125, 138, 150}},
        {BoardKind::TNT2Value, {100, 125, 140, 166}, {125, 150, 166, 183}},
        {BoardKind::Gravenor, {100, 120, 135, 150}, {150, 166, 183, 200}},
        {BoardKind::GravenorPro, {100, 120, 135, 150}, {135, 150, 166, 183}},
    };
    for (const BoardCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        UseBoard(c.kind, 0x0020);
        SetLiveClocks(c.gfx[1], c.mem[1]);
        LoadSettings();
        const ClockDomain* domains[] = {&gApp.gfx, &gApp.mem};
        const uint32_t* rows[] = {c.gfx, c.mem};
        for (int d = 0; d < 2; ++d) {
            const ClockDomain& domain = *domains[d];
            EXPECT_EQ(rows[d][0], domain.floor);
            EXPECT_EQ(rows[d][1], domain.defaultClock);
            EXPECT_EQ(rows[d][2], domain.defaultMax);
            EXPECT_EQ(rows[d][3], domain.ceiling);
            EXPECT_EQ(rows[d][1] - 10, domain.min);
            EXPECT_EQ(rows[d][2], domain.max);
        }
    }
    EXPECT_EQ(nullptr, BoardTableRow(BoardKind::None));
    EXPECT_EQ(nullptr, BoardTableRow(static_cast<BoardKind>(8)));
}

TEST_F(SettingsStore, LiveClocksOutsideTheRangeWidenItAndTheSaveKeepsThat)
{
    SetLiveClocks(150, 120);
    LoadSettings();
    EXPECT_EQ(115u, gApp.gfx.min);
    EXPECT_EQ(150u, gApp.gfx.max);
    EXPECT_EQ(120u, gApp.mem.min);
    EXPECT_EQ(166u, gApp.mem.max);
    EXPECT_EQ(150u, gApp.gfx.selected);
    EXPECT_EQ(120u, gApp.mem.selected);

    SaveSettings();
    EXPECT_EQ(150u, Dword(kTestSettingsKey, "GFX Max"));
    EXPECT_EQ(120u, Dword(kTestSettingsKey, "MEM Min"));

    // The next run at the default clocks keeps the widened range.
    SetLiveClocks(125, 150);
    LoadSettings();
    EXPECT_EQ(150u, gApp.gfx.max);
    EXPECT_EQ(120u, gApp.mem.min);
}


TEST_F(SettingsStore, StoredLimitsCountOnlyOnTheirSideOfTheDefault)
{
    const LimitCase cases[] = {
        {"equal to the defaults", {125, 125, 150, 150}, {115, 140, 140, 166}},
        {"just inside", {124, 126, 149, 151}, {124, 126, 149, 151}},
        {"wrong side", {130, 120, 160, 140}, {115, 140, 140, 166}},
        // A minimum an apply could not write (33 MHz or less) is no limit.
        {"all 0", {0, 0, 0, 0}, {115, 140, 140, 166}},
        {"min 33", {33, 126, 33, 151}, {115, 126, 140, 151}},
        {"min 34", {34, 126, 34, 151}, {34, 126, 34, 151}},
        {"beyond floor and ceiling", {50, 300, 60, 400}, {50, 300, 60, 400}},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.what);
        LoadsAsExpected(c);
    }
}

// The sliders carry their range as signed 16-bit words: a stored limit they
// cannot carry is ignored like any other unusable value, so it is neither
// shown nor saved back at exit.
TEST_F(SettingsStore, StoredLimitsASliderCannotCarryAreIgnored)
{
    const LimitCase cases[] = {
        {"all ones", {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}, {115, 140, 140, 166}},
        {"sign bit", {124, 0x80000000, 149, 0x80000000}, {124, 140, 149, 166}},
        {"past 16 bits", {124, 0x10000 + 200, 149, 60000}, {124, 140, 149, 166}},
        {"just past a signed word", {124, 32768, 149, 32768}, {124, 140, 149, 166}},
        {"the largest a slider holds", {124, 32767, 149, 32767}, {124, 32767, 149, 32767}},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.what);
        LoadsAsExpected(c);
        SaveSettings();
        EXPECT_EQ(c.expected[1], Dword(kTestSettingsKey, "GFX Max"));
        EXPECT_EQ(c.expected[3], Dword(kTestSettingsKey, "MEM Max"));
    }
}

TEST_F(SettingsStore, LimitsOfAnotherBoardKindAreIgnoredButRebootIsHonoured)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> device;
        uint32_t type;
    };
    const Case cases[] = {
        {"TNT2 limits on a TNT2 M64", DwordBytes(2), kRegDword},
        {"Device as a string", TextBytes("5"), kRegSz},
        {"Device as binary", DwordBytes(5), 3 /* REG_BINARY */},
        {"Device of 2 bytes", {5, 0}, kRegDword},
    };
    UseBoard(BoardKind::TNT2Value, 0x002D);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutLimits(5, 120, 150, 145, 170);
        PutRaw(kTestSettingsKey, "Device", c.type, c.device);
        PutDword(kTestSettingsKey, "Reboot", 0);
        LoadSettings();
        EXPECT_EQ(115u, gApp.gfx.min);
        EXPECT_EQ(140u, gApp.gfx.max);
        EXPECT_EQ(140u, gApp.mem.min);
        EXPECT_EQ(166u, gApp.mem.max);
        EXPECT_EQ(0u, gApp.resetOnReboot);
        EXPECT_EQ(0u, gApp.resetOnRebootApplied);
    }

    // The first save claims the settings for this board.
    SaveSettings();
    EXPECT_EQ(5u, Dword(kTestSettingsKey, "Device"));
    LoadSettings();
    EXPECT_EQ(115u, gApp.gfx.min);
}

TEST_F(SettingsStore, MissingDeviceIgnoresTheLimits)
{
    PutLimits(2, 120, 150, 145, 170);
    LoadSettings();
    EXPECT_EQ(120u, gApp.gfx.min);  // control: these limits do belong to the board

    store_->Wipe();
    PutDword(kTestSettingsKey, "GFX Min", 120);
    PutDword(kTestSettingsKey, "MEM Max", 170);
    LoadSettings();
    EXPECT_EQ(115u, gApp.gfx.min);
    EXPECT_EQ(166u, gApp.mem.max);
}

TEST_F(SettingsStore, RebootValueIsTakenAsStoredAndEveryLoadResetsTheFlags)
{
    PutDword(kTestSettingsKey, "Reboot", 7);
    LoadSettings();
    EXPECT_EQ(7u, gApp.resetOnReboot);
    EXPECT_EQ(7u, gApp.resetOnRebootApplied);

    // An unsaved change of the check box and an unapplied slider are dropped.
    gApp.resetOnReboot = 0;
    gApp.gfx.selected = 133;
    LoadSettings();
    EXPECT_EQ(7u, gApp.resetOnReboot);
    EXPECT_EQ(125u, gApp.gfx.selected);
}

TEST_F(SettingsStore, ShapeOfAStoredNumberDecidesWhetherItIsTaken)
{
    // "Reboot" defaults to 1, so 0 in the first bytes shows that a value was taken.
    struct Case {
        const char* what;
        uint32_t type;
        std::vector<uint8_t> data;
        uint32_t expected;
    };
    std::vector<uint8_t> eight = {0, 0, 0, 0, 9, 9, 9, 9};
    std::vector<uint8_t> twenty(20, 0);
    std::vector<uint8_t> twentyOne(21, 0);
    const Case cases[] = {
        {"REG_DWORD of 4 bytes", kRegDword, DwordBytes(0), 0},
        {"REG_DWORD of 8 bytes: the first 4 count", kRegDword, eight, 0},
        {"REG_DWORD of 20 bytes", kRegDword, twenty, 0},
        {"REG_DWORD longer than 20 bytes", kRegDword, twentyOne, 1},
        {"REG_DWORD of 2 bytes", kRegDword, {0, 0}, 1},
        {"REG_DWORD of no bytes", kRegDword, {}, 1},
        {"REG_BINARY of 4 bytes", 3, DwordBytes(0), 1},
        {"REG_SZ", kRegSz, TextBytes("0"), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutRaw(kTestSettingsKey, "Reboot", c.type, c.data);
        LoadSettings();
        EXPECT_EQ(c.expected, gApp.resetOnReboot);
    }
}

TEST_F(SettingsStore, ValueNamesAreNotCaseSensitive)
{
    PutDword(kTestSettingsKey, "REBOOT", 0);
    PutDword(kTestSettingsKey, "device", 2);
    PutDword(kTestSettingsKey, "gfx min", 110);
    LoadSettings();
    EXPECT_EQ(0u, gApp.resetOnReboot);
    EXPECT_EQ(110u, gApp.gfx.min);
}

TEST_F(SettingsStore, FirstSaveWritesExactlySixNumbers)
{
    LoadSettings();
    gApp.gfx.max = 150;
    gApp.resetOnReboot = 0;
    EXPECT_EQ(1, SaveSettings());

    std::vector<std::string> names = store_->ValueNames(kTestSettingsKey);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"Device", "GFX Max", "GFX Min", "MEM Max", "MEM Min", "Reboot"}),
              names);
    EXPECT_EQ(2u, Dword(kTestSettingsKey, "Device"));
    EXPECT_EQ(0u, Dword(kTestSettingsKey, "Reboot"));
    EXPECT_EQ(115u, Dword(kTestSettingsKey, "GFX Min"));
    EXPECT_EQ(150u, Dword(kTestSettingsKey, "GFX Max"));
    EXPECT_EQ(140u, Dword(kTestSettingsKey, "MEM Min"));
    EXPECT_EQ(166u, Dword(kTestSettingsKey, "MEM Max"));
}

TEST_F(SettingsStore, SaveLeavesPathAndBootClocksAlone)
{
    PutString(kTestSettingsKey, "Path", "C:\\Velkor");
    PutDword(kTestSettingsKey, "Gracie", 140);
    PutDword(kTestSettingsKey, "George", 166);
    LoadSettings();
    SaveSettings();
    EXPECT_EQ("C:\\Velkor", String(kTestSettingsKey, "Path"));
    EXPECT_EQ(140u, Dword(kTestSettingsKey, "Gracie"));
    EXPECT_EQ(166u, Dword(kTestSettingsKey, "George"));
    EXPECT_EQ(9u, store_->ValueNames(kTestSettingsKey).size());
}

TEST_F(SettingsStore, InstallPathIsAlwaysATerminatedStringThatFits)
{
    const std::string longest(254, 'p');
    struct Case {
        const char* what;
        uint32_t type;
        std::vector<uint8_t> data;
        std::string expected;
    };
    const Case cases[] = {
        {"a directory", kRegSz, TextBytes("C:\\Program Files\\Velkor"), "C:\\Program Files\\Velkor"},
        {"254 characters", kRegSz, TextBytes(longest), longest},
        {"without its NUL", kRegSz, TextBytes("C:\\Tools", false), "C:\\Tools"},
        {"254 characters without NUL", kRegSz, TextBytes(longest, false), longest},
        {"empty", kRegSz, TextBytes(""), ""},
        // Values that do not fit, or are no string, leave the earlier text.
        {"255 characters", kRegSz, TextBytes(longest + "q"), "C:\\Old"},
        {"1000 characters", kRegSz, TextBytes(std::string(1000, 'x')), "C:\\Old"},
        {"a number", kRegDword, DwordBytes(0x41414141), "C:\\Old"},
        {"binary text", 3, TextBytes("C:\\Binary"), "C:\\Old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        strcpy(gApp.installPath, "C:\\Old");
        PutRaw(kTestSettingsKey, "Path", c.type, c.data);
        LoadSettings();
        ASSERT_NE(nullptr, memchr(gApp.installPath, 0, sizeof gApp.installPath));
        EXPECT_EQ(c.expected, std::string(gApp.installPath));
    }

    // 255 bytes without a NUL fill the request exactly: the in-memory registry
    // hands them over, Wine's ANSI conversion wants room for a NUL and refuses
    // them. Either way the text stays terminated.
    strcpy(gApp.installPath, "C:\\Old");
    PutRaw(kTestSettingsKey, "Path", kRegSz, TextBytes(longest + "q", false));
    LoadSettings();
    ASSERT_NE(nullptr, memchr(gApp.installPath, 0, sizeof gApp.installPath));
    EXPECT_TRUE(std::string(gApp.installPath) == longest + "q" || std::string(gApp.installPath) == "C:\\Old");

    store_->Wipe();
    strcpy(gApp.installPath, "C:\\Old");
    PutDword(kTestSettingsKey, "Reboot", 1);
    LoadSettings();
    EXPECT_EQ("C:\\Old", std::string(gApp.installPath)) << "a missing Path leaves the text";
}

// The start mode that sets the stored boot clocks itself.
TEST_F(SettingsStore, StartModeAppliesStoredBootClocksOnce)
{
    PutLimits(2, 115, 150, 140, 166);
    PutDword(kTestSettingsKey, "Reboot", 0);
    PutDword(kTestSettingsKey, "Gracie", 150);
    PutDword(kTestSettingsKey, "George", 160);
    PutDriverWords();
    gApp.applyStoredAtStart = 1;
    LoadSettings();

    EXPECT_EQ(0u, gApp.applyStoredAtStart);
    EXPECT_EQ(150u, gApp.gfx.selected);
    EXPECT_EQ(160u, gApp.mem.selected);
    EXPECT_EQ(125u, gApp.gfx.applied);  // the clocks read at the load
    EXPECT_EQ(150u, gApp.mem.applied);
    EXPECT_EQ(150u, gApp.gfx.max);  // the stored limit that holds the kept clock
    EXPECT_EQ(115u, gApp.gfx.min);
    EXPECT_EQ(150u, ClockOfWord(LiveGfxWord()));
    EXPECT_EQ(160u, ClockOfWord(LiveMemWord()));

    // The flag is spent: the next load leaves the chip alone.
    SetLiveClocks(125, 150);
    trace_.Clear();
    LoadSettings();
    EXPECT_EQ(0, RegisterWrites(kGfxPllOffset) + RegisterWrites(kMemPllOffset));
    EXPECT_EQ(125u, gApp.gfx.selected);
}

TEST_F(SettingsStore, StartModeLeavesDomainsWithoutADifferentStoredClock)
{
    struct Case {
        const char* what;
        bool storeGracie;
        uint32_t gracie;
        uint32_t device;
        uint32_t flag;
        int gfxWrites;
        int memWrites;
    };
    // George 160 is stored in every case; the live clocks are 125 and 150.
    const Case cases[] = {
        {"graphics equal to the live clock", true, 125, 2, 1, 0, 2},
        {"graphics 0, which no store writes", true, 0, 2, 1, 0, 0},
        {"graphics absent", false, 0, 2, 1, 0, 2},
        {"both, Device of another board", true, 110, 5, 1, 0, 0},
        {"both, flag not set", true, 110, 2, 0, 0, 0},
        {"both, flag 2 is not the start mode", true, 110, 2, 2, 0, 0},
        {"graphics lower, inside the range", true, 118, 2, 1, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store_->Wipe();
        PutLimits(c.device, 115, 140, 140, 166);
        PutDword(kTestSettingsKey, "Reboot", 0);
        if (c.storeGracie)
            PutDword(kTestSettingsKey, "Gracie", c.gracie);
        PutDword(kTestSettingsKey, "George", 160);
        PutDriverWords();
        SetLiveClocks(125, 150);
        trace_.Clear();
        gApp.applyStoredAtStart = c.flag;
        LoadSettings();
        EXPECT_EQ(c.gfxWrites, RegisterWrites(kGfxPllOffset));  // a PLL change is two writes
        EXPECT_EQ(c.memWrites, RegisterWrites(kMemPllOffset));
        EXPECT_EQ(c.gfxWrites ? c.gracie : 125u, gApp.gfx.selected);
        EXPECT_EQ(c.memWrites ? 160u : 150u, gApp.mem.selected);
        EXPECT_LE(gApp.gfx.min, gApp.gfx.selected);
        EXPECT_EQ(c.flag == 1 ? 0u : c.flag, gApp.applyStoredAtStart);
    }
}

// A kept clock is set again only while the user keeps clocks across a reboot,
// the record for the next boot says the same (as a boot restore checks), and
// only inside the limits the load has settled; it never moves them.
TEST_F(SettingsStore, StartModeTakesOnlyKeptClocksWithinTheSettledLimits)
{
    struct Case {
        const char* what;
        bool storeReboot;
        uint32_t reboot;
        uint32_t gracie, george;
        bool applied;
        int record = 1;  // 1: the words of these clocks; 0: removed since; 2: of other clocks
    };
    const Case cases[] = {
        {"records removed since, the box unticked again", true, 0, 130, 155, false, 0},
        {"a record of other clocks", true, 0, 130, 155, false, 2},
        {"far above a TNT2", true, 0, 300, 400, false},
        {"1 MHz", true, 0, 1, 1, false},
        {"65535", true, 0, 65535, 65535, false},
        {"all ones", true, 0, 0xFFFFFFFF, 0xFFFFFFFF, false},
        {"just outside", true, 0, 114, 167, false},
        {"box ticked at the last save", true, 1, 130, 155, false},
        {"no Reboot stored", false, 0, 130, 155, false},
        {"kept across a reboot, inside", true, 0, 130, 155, true},
        {"on the edges", true, 0, 115, 166, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store_->Wipe();
        PutLimits(2, 115, 140, 140, 166);
        if (c.storeReboot)
            PutDword(kTestSettingsKey, "Reboot", c.reboot);
        PutDword(kTestSettingsKey, "Gracie", c.gracie);
        PutDword(kTestSettingsKey, "George", c.george);
        if (c.record)
            PutDriverWords(c.record == 2 ? 135 : 0, c.record == 2 ? 160 : 0);
        SetLiveClocks(125, 150);
        trace_.Clear();
        gApp.applyStoredAtStart = 1;
        LoadSettings();

        EXPECT_EQ(c.applied ? 2 : 0, RegisterWrites(kGfxPllOffset));
        EXPECT_EQ(c.applied ? 2 : 0, RegisterWrites(kMemPllOffset));
        EXPECT_EQ(c.applied ? c.gracie : 125u, gApp.gfx.selected);
        EXPECT_EQ(c.applied ? c.george : 150u, gApp.mem.selected);
        SaveSettings();
        EXPECT_EQ(115u, Dword(kTestSettingsKey, "GFX Min"));
        EXPECT_EQ(140u, Dword(kTestSettingsKey, "GFX Max"));
        EXPECT_EQ(140u, Dword(kTestSettingsKey, "MEM Min"));
        EXPECT_EQ(166u, Dword(kTestSettingsKey, "MEM Max"));
    }
}

TEST_F(SettingsStore, LoadWithoutABoardChangesNothing)
{
    UseBoard(BoardKind::None, 0);
    gApp.resetOnReboot = 5;
    EXPECT_EQ(1, LoadSettings());
    EXPECT_EQ(5u, gApp.resetOnReboot);
    EXPECT_EQ(0u, gApp.gfx.max);
    EXPECT_TRUE(seam_.Opens().empty());
}

}  // namespace
