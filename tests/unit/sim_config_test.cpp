#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "board/board_kind.h"
#include "clock/pll_search.h"
#include "sim_fixture.h"

namespace {

SimConfig Parse(const char* text)
{
    SimConfig config;
    char error[128];
    EXPECT_EQ(1, ParseSimConfig(text, &config, error, sizeof(error))) << text << ": " << error;
    return config;
}

void ExpectDefaults(const SimConfig& c)
{
    EXPECT_EQ(0x0028, c.board.deviceId);
    EXPECT_EQ(1u, c.board.bus);
    EXPECT_EQ(0u, c.board.device);
    EXPECT_FALSE(c.hasBoard2);
    EXPECT_EQ(1u, c.mechanism);
    EXPECT_TRUE(c.crystal14);
    EXPECT_FALSE(c.ddr);
    EXPECT_FALSE(c.gfxWordGiven);
    EXPECT_FALSE(c.memWordGiven);
    EXPECT_EQ(SimDriverMode::Ok, c.driver);
    EXPECT_EQ(SimDpmiMode::Fail, c.dpmi);  // a missing driver still ends the run
}

TEST(SimConfigParse, NothingGivenMeansDefaults)
{
    for (const char* text : {"", "   ", " \t "}) {
        SCOPED_TRACE(text);
        ExpectDefaults(Parse(text));
    }
    SimConfig config;
    config.mechanism = 2;  // stale values are replaced
    EXPECT_EQ(1, ParseSimConfig(nullptr, &config, nullptr, 0));
    ExpectDefaults(config);
}

TEST(SimConfigParse, EveryKeyTakesItsValue)
{
    SimConfig c = Parse("  board=vanta slot=0:12 board2=0x0101 slot2=3:31 mech=2 xtal=13.5 ddr=1 gfx=1b00e "
                        "mem=0x0000880D driver=refuse dpmi=fault vram=8 memok=160 gfxok=130 memhang=170 "
                        "gfxhang=140 seed=0 gfx2dok=133 d3d=0 ");
    EXPECT_EQ(0x002C, c.board.deviceId);
    EXPECT_EQ(0u, c.board.bus);
    EXPECT_EQ(12u, c.board.device);
    EXPECT_TRUE(c.hasBoard2);
    EXPECT_EQ(0x0101, c.board2.deviceId);
    EXPECT_EQ(3u, c.board2.bus);
    EXPECT_EQ(31u, c.board2.device);
    EXPECT_EQ(2u, c.mechanism);
    EXPECT_FALSE(c.crystal14);
    EXPECT_TRUE(c.ddr);
    EXPECT_TRUE(c.gfxWordGiven);
    EXPECT_EQ(0x0001B00Eu, c.gfxWord);
    EXPECT_TRUE(c.memWordGiven);
    EXPECT_EQ(0x0000880Du, c.memWord);
    EXPECT_EQ(SimDriverMode::Refuse, c.driver);
    EXPECT_EQ(SimDpmiMode::Fault, c.dpmi);
    EXPECT_EQ(8u, c.vramMiB);
    const SimVideoBlocksLimits limits = SimVideoBlocksLimitsOf(c);
    EXPECT_EQ(160u, limits.memOkMHz);
    EXPECT_EQ(130u, limits.gfxOkMHz);
    EXPECT_EQ(133u, limits.gfx2dOkMHz);
    EXPECT_FALSE(c.d3d);
    EXPECT_EQ(170u, limits.memHangMHz);
    EXPECT_EQ(140u, limits.gfxHangMHz);
    EXPECT_EQ(0u, limits.seed);
    // Not given: 20% above the detected board's default clocks, hangs 25%
    // above those; the size by family.
    struct Defaults {
        const char* text;
        uint32_t memOk, gfxOk, gfx2dOk, memHang, gfxHang, vram;
    };
    const Defaults defaults[] = {
        {"", 180, 150, 158, 225, 187, 16},
        {"board=Gravenor memok=190", 190, 144, 152, 237, 180, 32},
        {"board=0x0030 board2=GravenorPro slot2=0:9 gfxok=130", 180, 130, 138, 225, 162, 32},
    };
    for (const Defaults& d : defaults) {
        const SimConfig config = Parse(d.text);
        const SimVideoBlocksLimits l = SimVideoBlocksLimitsOf(config);
        EXPECT_EQ(d.memOk, l.memOkMHz) << d.text;
        EXPECT_EQ(d.gfxOk, l.gfxOkMHz) << d.text;
        EXPECT_EQ(d.gfx2dOk, l.gfx2dOkMHz) << d.text;
        EXPECT_TRUE(config.d3d) << d.text;
        EXPECT_EQ(d.memHang, l.memHangMHz) << d.text;
        EXPECT_EQ(d.gfxHang, l.gfxHangMHz) << d.text;
        EXPECT_EQ(d.vram, SimVideoMemoryMiB(config)) << d.text;
    }
}

TEST(SimConfigParse, BoardsByNameOrAnyDeviceId)
{
    struct Case {
        const char* text;
        uint16_t deviceId;
    };
    const Case cases[] = {
        {"board=TNT", 0x0020},         {"board=ultratnt2", 0x0029},  {"board=GravenorPro", 0x0101},
        {"board=40", 0x0028},          {"board=0x002d", 0x002D},     {"board=0x0030", 0x0030},
        {"board=0xFFFF", 0xFFFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.deviceId, Parse(c.text).board.deviceId) << c.text;
    EXPECT_EQ(0x0100, Parse("board2=gravenor").board2.deviceId);
    EXPECT_EQ(2u, Parse("board2=gravenor").board2.bus);  // default second slot 2:0
    EXPECT_EQ(SimDriverMode::Missing, Parse("driver=missing").driver);
    EXPECT_EQ(SimDriverMode::Ok, Parse("driver=ok").driver);
    EXPECT_EQ(SimDpmiMode::Ok, Parse("dpmi=ok").dpmi);
    EXPECT_EQ(SimDpmiMode::Fail, Parse("dpmi=fail").dpmi);
    EXPECT_EQ(0u, Parse("gfx=0").gfxWord);
    EXPECT_EQ(0xFFFFFFFFu, Parse("mem=ffffffff").memWord);
}

TEST(SimConfigParse, MistakesAreRefusedByName)
{
    struct Case {
        const char* text;
        const char* named;  // what the message must mention
    };
    const Case cases[] = {
        {"colour=blue", "colour"},
        {"board=Riva", "board"},
        {"board=0x10000", "board"},
        {"board=", "board"},
        {"board", "board"},
        {"=TNT2", "''"},
        {"slot=1", "slot"},
        {"slot=1:32", "slot"},
        {"slot=256:0", "slot"},
        {"slot=:3", "slot"},
        {"slot=a:b", "slot"},
        {"mech=3", "mech"},
        {"xtal=14.318", "xtal"},
        {"ddr=yes", "ddr"},
        {"gfx=xyz", "gfx"},
        {"mem=123456789", "mem"},
        {"driver=maybe", "driver"},
        {"dpmi=yes", "dpmi"},
        {"vram=64", "vram"},
        {"memok=0", "memok"},
        {"gfxhang=fast", "gfxhang"},
        {"seed=-1", "seed"},
        {"BOARD=TNT2", "BOARD"},
        {"board=TNT board=TNT2", "board"},
        {"slot2=0:9", "slot2"},
        {"board2=TNT slot2=1:0", "board2"},
        {"mech=2 board=averyveryveryveryverylongnamethatdoesnotfitanywhere", "board"},
    };
    for (const Case& c : cases) {
        SimConfig config;
        char error[160];
        memset(error, 'x', sizeof(error));
        EXPECT_EQ(0, ParseSimConfig(c.text, &config, error, sizeof(error))) << c.text;
        ASSERT_NE(nullptr, memchr(error, '\0', sizeof(error))) << c.text;
        EXPECT_NE(std::string::npos, std::string(error).find(c.named)) << c.text << " -> " << error;
    }
}

TEST(SimConfigParse, ErrorTextIsCutToItsBuffer)
{
    SimConfig config;
    char error[8];
    memset(error, 'x', sizeof(error));
    EXPECT_EQ(0, ParseSimConfig("unknownkey=1", &config, error, sizeof(error)));
    EXPECT_EQ(7u, strlen(error));
    char one[1] = {'x'};
    EXPECT_EQ(0, ParseSimConfig("unknownkey=1", &config, one, 1));
    EXPECT_EQ('\0', one[0]);
    EXPECT_EQ(0, ParseSimConfig("unknownkey=1", &config, nullptr, 0));
}

class SimConfigApplyTest : public SimPcTest {};

// The default words are a table; here the utility's own PLL search must
// produce every one of them for the boards' default clocks.
TEST_F(SimConfigApplyTest, DefaultWordsAreWhatTheSearchGivesForTheDefaultClocks)
{
    struct Defaults {
        const char* board;
        BoardKind kind;
        uint32_t gfxMHz, memMHz;
    };
    const Defaults boards[] = {
        {"TNT", BoardKind::TNT, 90, 110},        {"TNT2", BoardKind::TNT2, 125, 150},
        {"UltraTNT2", BoardKind::UltraTNT2, 150, 183}, {"Vanta", BoardKind::Vanta, 100, 125},
        {"TNT2Value", BoardKind::TNT2Value, 125, 150}, {"Gravenor", BoardKind::Gravenor, 120, 166},
        {"GravenorPro", BoardKind::GravenorPro, 120, 150},
    };
    for (const Defaults& b : boards) {
        for (const char* xtal : {"14.31818", "13.5"}) {
            for (const char* ddr : {"0", "1"}) {
                std::string text = std::string("board=") + b.board + " xtal=" + xtal + " ddr=" + ddr;
                SCOPED_TRACE(text);
                Configure(text.c_str());
                FreshApp();
                gApp.boardKind = b.kind;
                gApp.registers = &pc->chip;
                uint32_t gfxWord = pc->chip.Peek32(kGfxPllOffset);
                uint32_t memWord = pc->chip.Peek32(kMemPllOffset);
                EXPECT_NE(0u, gfxWord);
                EXPECT_NE(0u, memWord);
                EXPECT_EQ(ClockToPllWord(b.gfxMHz, kGfxDomain), gfxWord);
                EXPECT_EQ(ClockToPllWord(b.memMHz, kMemDomain), memWord);
                // The chip starts within a MHz of the defaults.
                EXPECT_NEAR(b.gfxMHz, ReadGfxClock(), 1.0);
                EXPECT_NEAR(b.memMHz, ReadMemClock(), 1.0);
            }
        }
    }
}

TEST_F(SimConfigApplyTest, ChipTakesStrapDdrAndGivenWords)
{
    Configure("xtal=13.5 ddr=1 gfx=0001a00c mem=5904");
    EXPECT_EQ(0u, pc->chip.Peek32(kStrapOffset) & 0x40u);
    EXPECT_EQ(1u, pc->chip.Peek32(kMemConfigOffset) & 1u);
    EXPECT_EQ(0x0001A00Cu, pc->chip.Peek32(kGfxPllOffset));
    EXPECT_EQ(0x00005904u, pc->chip.Peek32(kMemPllOffset));

    Configure("");
    EXPECT_EQ(0x40u, pc->chip.Peek32(kStrapOffset) & 0x40u);
    EXPECT_EQ(0u, pc->chip.Peek32(kMemConfigOffset) & 1u);
    EXPECT_EQ(0x0001E30Du, pc->chip.Peek32(kGfxPllOffset));  // TNT2: 125 MHz
    EXPECT_EQ(0x0000880Du, pc->chip.Peek32(kMemPllOffset));  // 150 MHz
}

TEST_F(SimConfigApplyTest, DefaultWordsFollowTheBoardThatWillBeDetected)
{
    struct Case {
        const char* text;
        uint16_t detected;
    };
    const Case cases[] = {
        {"board=TNT slot=1:0 board2=GravenorPro slot2=0:9", 0x0101},  // lower slot wins
        {"mech=2 board=TNT slot=0:3 board2=Vanta slot2=0:2", 0x002C},
        {"mech=2 board=TNT slot=0:3 board2=Vanta slot2=1:0", 0x0020},  // bus 1 unreachable
        {"board=0x0030 slot=0:2 board2=Vanta slot2=1:0", 0x002C},      // unsupported passed over
        {"board=Vanta slot=0:0 board2=TNT slot2=1:0", 0x0020},         // slot 0 never considered
        {"board=0x0030", 0x0030},                                      // nothing supported: the board
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.detected, SimDetectedBoard(Parse(c.text)).deviceId);
        Configure(c.text);
        EXPECT_EQ(SimDefaultPllWord(c.detected, true, false, 0), pc->chip.Peek32(kGfxPllOffset));
        EXPECT_EQ(SimDefaultPllWord(c.detected, true, false, 1), pc->chip.Peek32(kMemPllOffset));
    }
    EXPECT_NE(SimDefaultPllWord(0x0020, true, false, 0), SimDefaultPllWord(0x002C, true, false, 0));
}

TEST_F(SimConfigApplyTest, ChipIdentifiesTheDetectedBoardInItsFamilysLayout)
{
    for (BoardKind kind : {BoardKind::TNT, BoardKind::TNT2, BoardKind::UltraTNT2, BoardKind::Vanta,
                           BoardKind::TNT2Value, BoardKind::Gravenor, BoardKind::GravenorPro}) {
        SCOPED_TRACE(BoardKindName(kind));
        Configure((std::string("board=") + BoardKindName(kind) + " board2=TNT slot2=5:0").c_str());
        const uint32_t id = pc->chip.Peek32(kChipIdOffset);
        EXPECT_EQ(SimChipIdentification(DeviceIdOfBoardKind(kind)), id);
        if (kind == BoardKind::Gravenor || kind == BoardKind::GravenorPro) {
            EXPECT_EQ(0x10u, (id >> 20) & 0xFF);  // NV10: the chip number
            EXPECT_EQ(DeviceIdOfBoardKind(kind) & 0xFu, (id >> 16) & 0xF);
        } else {
            EXPECT_EQ(4u, (id >> 12) & 0xF);  // NV4 layout: architecture 4
            EXPECT_EQ(kind == BoardKind::TNT ? 0u : 1u, (id >> 20) & 0xF);  // major revision: TNT 0, TNT2 family 1
        }
    }
}

TEST_F(SimConfigApplyTest, BusHoldsBoardsAndBridgesDriverTakesItsMode)
{
    Configure("mech=2 board=Vanta slot=0:4 board2=0x0030 slot2=0:0 driver=missing dpmi=ok");
    EXPECT_EQ(2u, pc->bus.Mechanism());
    EXPECT_EQ(SimDriverMode::Missing, pc->driver.Mode());
    EXPECT_EQ(SimDpmiMode::Ok, pc->physicalMemory.Mode());
    // Boards first, then the AGP bridge; the host bridge gave way to board2 at 0:0.
    ASSERT_EQ(3, pc->bus.DeviceCount());
    EXPECT_EQ(0x002C10DEu, pc->bus.ConfigDword(0, 0));
    EXPECT_EQ(0x003010DEu, pc->bus.ConfigDword(1, 0));
    EXPECT_EQ(0x71918086u, pc->bus.ConfigDword(2, 0));
    EXPECT_EQ(0x00010000u, pc->bus.ConfigDword(2, 0x0C) & 0x00FF0000u);  // a type-1 header
}

}  // namespace
