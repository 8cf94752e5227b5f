// The companion's restore: decoding and bounds, the record's values, and the
// whole run on the simulated PC after Velkor's own boot store.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "board/board_detect.h"
#include "board/board_kind.h"
#include "clock/clock_programming.h"
#include "board/chip_registers.h"
#include "counting_registry.h"
#include "registry_under_test.h"
#include "board/board_table.h"
#include "settings/boot_restore.h"
#include "settings/boot_store.h"
#include "settings/boot_word.h"
#include "settings/settings_store.h"
#include "settings_fixture.h"
#include "sim/sim_config.h"
#include "sim_fixture.h"

namespace {

const uint32_t kSeed = 0x0BADF00D;
const BoardKind kAllKinds[] = {BoardKind::TNT,       BoardKind::TNT2,     BoardKind::UltraTNT2,
                               BoardKind::Vanta,     BoardKind::TNT2Value, BoardKind::Gravenor,
                               BoardKind::GravenorPro};

bool Accepts(BoardKind kind, uint32_t gfxMHz, uint32_t memMHz)
{
    const uint16_t deviceId = DeviceIdOfBoardKind(kind);
    KeptClocks clocks;
    return DecodeKeptClocks(ScrambleBootClocks(gfxMHz, memMHz, deviceId, kSeed), kSeed, deviceId, kind,
                            &clocks) == 1;
}

TEST(BootRestoreDecode, EachClockIsAcceptedWithinFloorToCeilingAndRefusedJustOutside)
{
    for (BoardKind kind : kAllKinds) {
        SCOPED_TRACE(BoardKindName(kind));
        const BoardRow* row = BoardTableRow(kind);
        ASSERT_NE(nullptr, row);
        const DomainConstants& gfx = row->gfx;
        const DomainConstants& mem = row->mem;
        EXPECT_TRUE(Accepts(kind, gfx.floor, mem.floor));
        EXPECT_TRUE(Accepts(kind, gfx.ceiling, mem.ceiling));
        EXPECT_TRUE(Accepts(kind, gfx.defaultClock, mem.defaultMax));
        EXPECT_FALSE(Accepts(kind, gfx.floor - 1, mem.defaultClock));
        EXPECT_FALSE(Accepts(kind, gfx.ceiling + 1, mem.defaultClock));
        EXPECT_FALSE(Accepts(kind, gfx.defaultClock, mem.floor - 1));
        EXPECT_FALSE(Accepts(kind, gfx.defaultClock, mem.ceiling + 1));
    }
}

TEST(BootRestoreDecode, TheRightBoardGetsTheClocksBackAnotherBoardIsRefused)
{
    const uint32_t word = ScrambleBootClocks(140, 160, DeviceIdOfBoardKind(BoardKind::TNT2), kSeed);
    KeptClocks clocks;
    ASSERT_EQ(1, DecodeKeptClocks(word, kSeed, DeviceIdOfBoardKind(BoardKind::TNT2), BoardKind::TNT2, &clocks));
    EXPECT_EQ(140u, clocks.gfxMHz);
    EXPECT_EQ(160u, clocks.memMHz);

    // The same record read where another chip sits.
    for (BoardKind other : {BoardKind::TNT, BoardKind::Gravenor, BoardKind::GravenorPro}) {
        SCOPED_TRACE(BoardKindName(other));
        EXPECT_EQ(0, DecodeKeptClocks(word, kSeed, DeviceIdOfBoardKind(other), other, &clocks));
    }
    // Another seed (a "Homer" written afresh) or a word altered by hand.
    EXPECT_EQ(0, DecodeKeptClocks(word, kSeed ^ 0x8000, DeviceIdOfBoardKind(BoardKind::TNT2), BoardKind::TNT2,
                                  &clocks));
    EXPECT_EQ(0, DecodeKeptClocks(word ^ 0x01000100, kSeed, DeviceIdOfBoardKind(BoardKind::TNT2),
                                  BoardKind::TNT2, &clocks));
    // No board, no bounds.
    EXPECT_EQ(0, DecodeKeptClocks(word, kSeed, 0x0028, BoardKind::None, &clocks));
}

// The simulated PC of a TNT2 with the registry under test: what Velkor
// stores in one run, Arbolt reads in the next.
class BootRestore : public SimPcTest {
protected:
    void SetUp() override
    {
        store_ = MakeRegistryUnderTest();
        store_->Wipe();
        seam_.Attach(store_->Seam());
        FreshRun();
    }
    void TearDown() override
    {
        EXPECT_EQ(0, seam_.OpenKeys()) << "a registry key was left open";
        store_->Wipe();
    }

    // A new process on the same PC and registry.
    void FreshRun()
    {
        FreshApp();
        gApp.platform.registry = &seam_;
        seam_.Attach(store_->Seam());
    }

    // Velkor with a newer display driver: apply, keep, store. The PLL words
    // the apply wrote come back.
    void KeepWithVelkor(uint32_t gfxMHz, uint32_t memMHz, uint32_t* gfxWord, uint32_t* memWord)
    {
        FreshRun();
        ASSERT_EQ(1, DetectBoard());
        gApp.driverBuild = kFirstCompanionDriverBuild;
        store_->Put(kTestSettingsKey, "Path", kRegSz, TextBytes("C:\\VELKOR"));
        char found[32];
        if (!pc->system.GetCanonicalPath("C:\\VELKOR\\Arbolt.exe", found, sizeof found))
            pc->system.AddPath("C:\\VELKOR\\Arbolt.exe", "C:\\VELKOR\\ARBOLT.EXE");
        LoadSettings();
        gApp.resetOnReboot = 0;  // the box unticked, saved by the apply
        SaveSettings();
        ApplyClocks(gfxMHz, memMHz);
        *gfxWord = pc->chip.Peek32(kGfxPllOffset);
        *memWord = pc->chip.Peek32(kMemPllOffset);
        gApp.gfx.pendingBoot = ReadGfxClock();
        gApp.mem.pendingBoot = ReadMemClock();
        StoreBootClocks();
        CloseBoardDriver();
    }
    // The chip as Windows starts it: the default words.
    void Reboot() { Configure(""); }

    int PllWrites() const
    {
        int writes = 0;
        for (int i = 0; i < pc->trace.Count(); ++i) {
            const SimTraceEntry& entry = pc->trace.At(i);
            writes += entry.event == SimEvent::RegisterWrite32 &&
                      (entry.address == kGfxPllOffset || entry.address == kMemPllOffset);
        }
        return writes;
    }
    void PutRecord(const std::string& path, uint32_t word)
    {
        store_->Put(path, "Homer", kRegDword, DwordBytes(kSeed));
        store_->Put(path, "Krusty", kRegDword, DwordBytes(word));
    }
    // What Velkor's settings key says was kept; a clock of 0 is left absent.
    void PutKept(uint32_t device, uint32_t reboot, uint32_t gfxMHz, uint32_t memMHz)
    {
        store_->Put(kTestSettingsKey, "Device", kRegDword, DwordBytes(device));
        store_->Put(kTestSettingsKey, "Reboot", kRegDword, DwordBytes(reboot));
        if (gfxMHz)
            store_->Put(kTestSettingsKey, "Gracie", kRegDword, DwordBytes(gfxMHz));
        if (memMHz)
            store_->Put(kTestSettingsKey, "George", kRegDword, DwordBytes(memMHz));
    }
    // Without a key opened for writing nothing can be written or deleted.
    void ExpectOnlyReads()
    {
        for (const std::string& open : seam_.Opens())
            EXPECT_EQ(0u, open.rfind("read ", 0)) << open;
    }

    std::unique_ptr<RegistryUnderTest> store_;
    CountingRegistry seam_;
};

TEST_F(BootRestore, AfterARebootTheChipGetsVelkorsWordsBackWithTheRegistryOnlyRead)
{
    uint32_t gfxWord = 0, memWord = 0;
    KeepWithVelkor(140, 160, &gfxWord, &memWord);
    Reboot();
    ASSERT_NE(gfxWord, pc->chip.Peek32(kGfxPllOffset));

    FreshRun();
    EXPECT_EQ(RestoreOutcome::Programmed, RestoreKeptClocks());
    EXPECT_EQ(gfxWord, pc->chip.Peek32(kGfxPllOffset));
    EXPECT_EQ(memWord, pc->chip.Peek32(kMemPllOffset));
    ExpectOnlyReads();
    EXPECT_EQ(1, pc->trace.CountOf(SimEvent::DriverClose)) << "the driver is let go";

    // A second log-on without a reboot: both clocks are in place, nothing is written.
    FreshRun();
    EXPECT_EQ(RestoreOutcome::Programmed, RestoreKeptClocks());
    EXPECT_EQ(0, PllWrites());

    // Graphics kept at its default: after a reboot only the memory PLL moves.
    KeepWithVelkor(125, 166, &gfxWord, &memWord);
    Reboot();
    FreshRun();
    EXPECT_EQ(RestoreOutcome::Programmed, RestoreKeptClocks());
    EXPECT_EQ(memWord, pc->chip.Peek32(kMemPllOffset));
    EXPECT_EQ(2, PllWrites()) << "the memory PLL's two steps only";
}

TEST_F(BootRestore, ARecordOfAnotherBoardIsRefusedAndTheChipLeftAlone)
{
    uint32_t gfxWord = 0, memWord = 0;
    KeepWithVelkor(140, 160, &gfxWord, &memWord);
    Configure("board=GravenorPro");  // the TNT2's record stays behind
    FreshRun();
    EXPECT_EQ(RestoreOutcome::Refused, RestoreKeptClocks());
    EXPECT_EQ(0, PllWrites());
    ExpectOnlyReads();
}

// The range check alone cannot tell these records apart from Velkor's: each
// decodes to clocks within the board's bounds. Only the settings key can.
TEST_F(BootRestore, OnlyARecordThatAgreesWithTheKeptSettingsIsProgrammed)
{
    const uint32_t tnt2Word = ScrambleBootClocks(140, 160, kTnt2DeviceId, kSeed);
    const struct Case {
        const char* what;
        const char* board;
        uint32_t device, reboot, gracie, george;  // the settings key; 0 = no such clock
        uint32_t seed, word;
        RestoreOutcome outcome;
        int pllWrites;  // two steps per domain that moves
    } cases[] = {
        {"same board", "board=TNT2", 2, 0, 140, 160, kSeed, tnt2Word, RestoreOutcome::Programmed, 4},
        {"graphics kept at its default", "board=TNT2", 2, 0, 0, 160, kSeed,
         ScrambleBootClocks(125, 160, kTnt2DeviceId, kSeed), RestoreOutcome::Programmed, 2},
        {"related board (TNT2 M64)", "board=TNT2Value", 2, 0, 140, 160, kSeed, tnt2Word, RestoreOutcome::Refused, 0},
        {"related board, its own settings", "board=TNT2Value", 5, 0, 140, 160, kSeed, tnt2Word,
         RestoreOutcome::Refused, 0},
        {"altered seed", "board=TNT2", 2, 0, 140, 160, kSeed + 2, tnt2Word, RestoreOutcome::Refused, 0},
        {"altered word", "board=TNT2", 2, 0, 140, 160, kSeed, tnt2Word ^ 0x00010004, RestoreOutcome::Refused, 0},
        {"reset to defaults on reboot", "board=TNT2", 2, 1, 140, 160, kSeed, tnt2Word, RestoreOutcome::Refused, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store_->Wipe();
        PutKept(c.device, c.reboot, c.gracie, c.george);
        store_->Put(kTestSimTweakKey, "Homer", kRegDword, DwordBytes(c.seed));
        store_->Put(kTestSimTweakKey, "Krusty", kRegDword, DwordBytes(c.word));
        Configure(c.board);
        FreshRun();
        KeptClocks decoded;
        ASSERT_EQ(1, DetectBoard());
        EXPECT_EQ(1, DecodeKeptClocks(c.word, c.seed, gApp.deviceId, gApp.boardKind, &decoded))
            << "within the bounds: " << decoded.gfxMHz << "/" << decoded.memMHz;
        CloseBoardDriver();
        FreshRun();
        EXPECT_EQ(c.outcome, RestoreKeptClocks());
        EXPECT_EQ(c.pllWrites, PllWrites());
    }
}

TEST_F(BootRestore, MissingOrMistypedValuesAreNoRecord)
{
    const uint32_t word = ScrambleBootClocks(140, 160, kTnt2DeviceId, kSeed);
    struct Case {
        const char* what;
        uint32_t homerType;
        std::vector<uint8_t> homer;
        uint32_t krustyType;
        std::vector<uint8_t> krusty;
    };
    const std::vector<uint8_t> none;
    const Case cases[] = {
        {"no values", 0, none, 0, none},
        {"no Homer", 0, none, kRegDword, DwordBytes(word)},
        {"no Krusty", kRegDword, DwordBytes(kSeed), 0, none},
        {"Krusty as text", kRegDword, DwordBytes(kSeed), kRegSz, TextBytes("140 160")},
        {"Homer as binary", 3 /* REG_BINARY */, DwordBytes(kSeed), kRegDword, DwordBytes(word)},
        {"Krusty of two bytes", kRegDword, DwordBytes(kSeed), kRegDword, {0x12, 0x34}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store_->Wipe();
        if (c.homerType)
            store_->Put(kTestSimTweakKey, "Homer", c.homerType, c.homer);
        if (c.krustyType)
            store_->Put(kTestSimTweakKey, "Krusty", c.krustyType, c.krusty);
        Reboot();
        FreshRun();
        EXPECT_EQ(RestoreOutcome::NoRecord, RestoreKeptClocks());
        EXPECT_EQ(0, PllWrites());
        ExpectOnlyReads();
    }
    // The same values, well typed, are taken; where the display driver does
    // not name its key, from the fixed one.
    pc->display.SetKeyEscapeMode(SimKeyEscapeMode::Fail);
    PutRecord(kTestFallbackTweakKey, word);
    PutKept(2, 0, 140, 160);
    FreshRun();
    EXPECT_EQ(RestoreOutcome::Programmed, RestoreKeptClocks());
    EXPECT_EQ(140u, ReadGfxClock());
    EXPECT_EQ(160u, ReadMemClock());
}

TEST_F(BootRestore, NoBoardOrNoMappingEndsBeforeTheRegistry)
{
    PutRecord(kTestSimTweakKey, ScrambleBootClocks(140, 160, kTnt2DeviceId, kSeed));
    for (const char* machine : {"board=0x0030", "driver=missing", "driver=refuse"}) {
        SCOPED_TRACE(machine);
        Configure(machine);
        FreshRun();
        EXPECT_EQ(RestoreOutcome::NoBoard, RestoreKeptClocks());
        EXPECT_TRUE(seam_.Opens().empty());
        EXPECT_EQ(0, PllWrites());
    }
    // The driver that opened but would not map is let go.
    EXPECT_EQ(1, pc->trace.CountOf(SimEvent::DriverClose));
}

}  // namespace
