#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board_detect.h"
#include "board/board_kind.h"
#include "sim_fixture.h"

namespace {

const char kNvcorePath[] = "C:\\WINDOWS\\SYSTEM\\NVCORE.VXD";

int PortAccessCount(const SimTrace& trace)
{
    return trace.CountOf(SimEvent::PortOutDword) + trace.CountOf(SimEvent::PortOutByte) +
           trace.CountOf(SimEvent::PortInDword) + trace.CountOf(SimEvent::PortInByte);
}

class BoardDetectTest : public SimPcTest {
protected:
    // Nothing beyond the PCI bus was touched: no version file, no driver.
    void ExpectNothingButTheBusTouched()
    {
        EXPECT_EQ(0, pc->trace.CountOf(SimEvent::FileVersionQuery));
        EXPECT_EQ(0, pc->trace.CountOf(SimEvent::DriverOpen));
        EXPECT_EQ(0, pc->trace.CountOf(SimEvent::DriverMap));
        EXPECT_EQ(0, pc->trace.CountOf(SimEvent::RegisterRead32));
        EXPECT_EQ(nullptr, gApp.registers);
    }
};

TEST_F(BoardDetectTest, FindsMapsAndReadsTheStartingClocks)
{
    Configure("board=GravenorPro ddr=1");
    pc->system.SetFileVersion(kNvcorePath, 1, 2, 3, 400);

    ASSERT_EQ(1, DetectBoard());
    EXPECT_EQ(BoardKind::GravenorPro, gApp.boardKind);
    EXPECT_EQ(0x0101, gApp.deviceId);
    EXPECT_EQ(0xE6000000u, gApp.registerPhysical);
    EXPECT_EQ(400u, gApp.driverBuild);  // the fourth number only
    EXPECT_STREQ(kNvcorePath, pc->system.LastQueriedPath());
    EXPECT_EQ(kSimDriverHandle, gApp.driverHandle);
    EXPECT_EQ(0xE6000000u, pc->driver.LastRequest().physicalAddress);
    EXPECT_EQ(0x01000000u, pc->driver.LastRequest().length);
    EXPECT_EQ(static_cast<RegisterWindow*>(&pc->chip), gApp.registers);

    // Default clocks of the board: 120 MHz core, DDR memory PLL at 300 MHz read as 150.
    EXPECT_EQ(120u, gApp.gfx.applied);
    EXPECT_EQ(120u, gApp.gfx.selected);
    EXPECT_EQ(120u, gApp.gfx.baseline);
    EXPECT_EQ(150u, gApp.mem.applied);
    EXPECT_EQ(150u, gApp.mem.selected);
    EXPECT_EQ(150u, gApp.mem.baseline);
}

TEST_F(BoardDetectTest, BaseAddressIsStoredAsReadWithItsFlagBits)
{
    pc->bus.SetConfigDword(0, 0x10, 0xE600000Cu);  // prefetchable, below 4 GB
    ASSERT_EQ(1, DetectBoard());
    EXPECT_EQ(0xE600000Cu, gApp.registerPhysical);
    EXPECT_EQ(0xE600000Cu, pc->driver.LastRequest().physicalAddress);
}

TEST_F(BoardDetectTest, TheLowestSlotWinsWhateverTheKinds)
{
    struct Case {
        const char* config;
        BoardKind expected;
    };
    const Case cases[] = {
        {"board=TNT2 slot=1:0 board2=Gravenor slot2=0:9", BoardKind::Gravenor},
        {"board=GravenorPro slot=1:0 board2=TNT slot2=0:9", BoardKind::TNT},
        {"board=Vanta slot=0:3 board2=UltraTNT2 slot2=0:2", BoardKind::UltraTNT2},
        {"board=TNT2Value slot=2:0 board2=Gravenor slot2=15:31", BoardKind::TNT2Value},
    };
    for (const Case& c : cases) {
        FreshApp();
        Configure(c.config);
        EXPECT_EQ(1, DetectBoard()) << c.config;
        EXPECT_EQ(c.expected, gApp.boardKind) << c.config;
        EXPECT_EQ(DeviceIdOfBoardKind(c.expected), gApp.deviceId) << c.config;
    }
}

TEST_F(BoardDetectTest, OtherVendorsAndUnlistedChipsArePassedOver)
{
    Configure("board=TNT2 slot=1:0");
    pc->bus.AddDevice(0, 2, 0x10DE, 0x0030, 0xD0000000u);  // NVIDIA, not supported
    pc->bus.AddDevice(0, 3, 0x1002, 0x0028, 0xD1000000u);  // a supported ID from another vendor
    ASSERT_EQ(1, DetectBoard());
    EXPECT_EQ(BoardKind::TNT2, gApp.boardKind);
    EXPECT_EQ(0xE6000000u, gApp.registerPhysical);
}

TEST_F(BoardDetectTest, WithoutASupportedChipNeitherVersionFileNorDriverIsTouched)
{
    const char* configs[] = {
        "board=0x0030",             // unlisted NVIDIA device
        "slot=0:0",                 // bus 0 device 0 is never considered
        "mech=2",                   // mechanism #2 cannot reach bus 1
        "board=0x0028 slot=16:0",   // beyond the 16 buses mechanism #1 scans
    };
    for (const char* config : configs) {
        FreshApp();
        Configure(config);
        EXPECT_EQ(0, DetectBoard()) << config;
        EXPECT_EQ(BoardKind::None, gApp.boardKind) << config;
        ExpectNothingButTheBusTouched();
    }
    pc->bus.RemoveAllDevices();
    FreshApp();
    EXPECT_EQ(0, DetectBoard());
    ExpectNothingButTheBusTouched();
}

TEST_F(BoardDetectTest, ScanReadsPresentSlotsFromOneOnwardsAtFunctionZero)
{
    ASSERT_EQ(1, DetectBoard());
    std::vector<uint32_t> addresses;
    for (int i = 0; i < pc->trace.Count(); ++i) {
        const SimTraceEntry& e = pc->trace.At(i);
        if (e.event == SimEvent::PortOutDword && e.address == 0xCF8)
            addresses.push_back(e.value);
    }
    ASSERT_EQ(512u + 5, addresses.size());
    // After the probe: vendor and device ID of the AGP bridge at slot 1 (the
    // host bridge at slot 0 is skipped), then vendor ID, device ID and BAR0
    // of the board at slot 32. Function bits 8-10 stay 0 throughout.
    EXPECT_EQ((std::vector<uint32_t>{0x80000800u, 0x80000800u, 0x80010000u, 0x80010000u, 0x80010010u}),
              std::vector<uint32_t>(addresses.begin() + 512, addresses.end()));
}

TEST_F(BoardDetectTest, MechanismTwoBoardIsFoundOnBusZero)
{
    Configure("mech=2 slot=0:5 board=Vanta");
    ASSERT_EQ(1, DetectBoard());
    EXPECT_EQ(BoardKind::Vanta, gApp.boardKind);
    EXPECT_EQ(0xE6000000u, gApp.registerPhysical);
    EXPECT_EQ(100u, gApp.gfx.baseline);
    EXPECT_EQ(125u, gApp.mem.baseline);
}

TEST_F(BoardDetectTest, DriverBuildComesFromTheFourthVersionNumber)
{
    struct Case {
        bool hasVersion;
        uint16_t a, b, c, d;
        uint32_t expected;
    };
    const Case cases[] = {
        {true, 1, 2, 3, 400, 400},
        {true, 4, 12, 1, 364, 364},
        {true, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
        {false, 0, 0, 0, 0, 0},  // missing file or no version resource: not a failure
    };
    for (const Case& c : cases) {
        FreshApp();
        gApp.driverBuild = 12345;
        pc->system.RemoveAllFiles();
        if (c.hasVersion)
            pc->system.SetFileVersion("c:\\windows\\system\\nvcore.vxd", c.a, c.b, c.c, c.d);
        EXPECT_EQ(1, DetectBoard());
        EXPECT_EQ(c.expected, gApp.driverBuild) << c.a << "." << c.b << "." << c.c << "." << c.d;
    }
}

TEST_F(BoardDetectTest, SystemDirectoryOfAnyLengthIsHandledSafely)
{
    struct Case {
        size_t length;
        bool queried;  // whether the version file is asked for
    };
    // The directory buffer holds 254 characters and the terminator.
    for (Case c : {Case{0, false}, Case{3, true}, Case{254, true}, Case{255, false}, Case{390, false}}) {
        FreshApp();
        std::string directory = c.length ? "C:" + std::string(c.length - 2, 'D') : std::string();
        if (c.length == 3)
            directory = "C:\\";
        pc->system.SetSystemDirectory(directory.c_str());
        pc->system.RemoveAllFiles();
        std::string file = directory + "\\NVCORE.VXD";
        pc->system.SetFileVersion(file.c_str(), 4, 0, 0, 77);
        int queries = pc->system.FileVersionQueries();

        EXPECT_EQ(1, DetectBoard()) << c.length;
        EXPECT_EQ(c.queried ? 1 : 0, pc->system.FileVersionQueries() - queries) << c.length;
        EXPECT_EQ(c.queried ? 77u : 0u, gApp.driverBuild) << c.length;
        if (c.queried) {
            EXPECT_EQ(file, pc->system.LastQueriedPath());
        }
    }
}

TEST_F(BoardDetectTest, MissingDriverFailsAfterTheBoardWasRecorded)
{
    Configure("driver=missing board=UltraTNT2");
    EXPECT_EQ(0, DetectBoard());
    EXPECT_EQ(BoardKind::UltraTNT2, gApp.boardKind);
    EXPECT_EQ(0x0029, gApp.deviceId);
    EXPECT_EQ(kInvalidDriverHandle, gApp.driverHandle);
    EXPECT_EQ(0, pc->driver.MapCount());
    EXPECT_EQ(nullptr, gApp.registers);
    EXPECT_EQ(0, pc->trace.CountOf(SimEvent::RegisterRead32));
}

TEST_F(BoardDetectTest, RefusedMapFailsEvenWhenAnAddressWasWritten)
{
    for (bool writesAddress : {true, false}) {
        FreshApp();
        Configure("driver=refuse");
        pc->driver.SetRefusalWritesAddress(writesAddress);
        EXPECT_EQ(0, DetectBoard());
        EXPECT_EQ(1, pc->driver.MapCount() > 0);
        EXPECT_EQ(nullptr, gApp.registers);
        EXPECT_EQ(0u, gApp.gfx.baseline);
        EXPECT_EQ(0, pc->trace.CountOf(SimEvent::RegisterRead32));
        // The handle opened before the failed map stays open.
        EXPECT_TRUE(pc->driver.IsOpen());
        EXPECT_EQ(0, pc->driver.CloseCount());
    }
}

TEST_F(BoardDetectTest, Version3SystemsStopBeforeAnyPortAccess)
{
    struct Case {
        uint32_t version;
        int result;
    };
    const Case cases[] = {
        {0x80000A03, 0},  // Win32s on Windows 3.1
        {0x04213303, 0},  // NT 3.51
        {0xC0000A04, 1},  // Windows 98
        {0xC0005A04, 1},  // Windows Me
        {0x0A280105, 1},  // 5.1: only the major version counts
    };
    for (const Case& c : cases) {
        FreshApp();
        pc->system.SetVersion(c.version);
        pc->trace.Clear();
        EXPECT_EQ(c.result, DetectBoard()) << std::hex << c.version;
        if (!c.result) {
            EXPECT_EQ(0, PortAccessCount(pc->trace));
            EXPECT_EQ(1, pc->trace.Count());  // the GetVersion query alone
            EXPECT_EQ(BoardKind::None, gApp.boardKind);
        }
    }
}

TEST_F(BoardDetectTest, PlatformIdZeroFindsNoBoard)
{
    pc->system.SetPlatformId(0);
    EXPECT_EQ(0, DetectBoard());
    EXPECT_EQ(0, PortAccessCount(pc->trace));
    ExpectNothingButTheBusTouched();
}

TEST_F(BoardDetectTest, CloseBoardDriverClosesOnlyARealHandle)
{
    EXPECT_EQ(1, CloseBoardDriver());  // handle 0: nothing to do
    EXPECT_EQ(0, pc->driver.CloseCount());

    ASSERT_EQ(1, DetectBoard());
    EXPECT_EQ(1, CloseBoardDriver());
    EXPECT_EQ(1, pc->driver.CloseCount());
    EXPECT_EQ(kSimDriverHandle, pc->driver.LastClosedHandle());
    EXPECT_EQ(kSimDriverHandle, gApp.driverHandle);  // the field is not cleared
    EXPECT_FALSE(pc->driver.IsOpen());

    FreshApp();
    Configure("driver=missing");
    EXPECT_EQ(0, DetectBoard());
    EXPECT_EQ(1, CloseBoardDriver());  // the invalid-handle value is no handle
    EXPECT_EQ(1, pc->driver.CloseCount());
}

TEST(BoardKind, DeviceIdsAndNames)
{
    struct Case {
        uint16_t deviceId;
        BoardKind kind;
        const char* name;
    };
    const Case cases[] = {
        {0x0020, BoardKind::TNT, "TNT"},           {0x0028, BoardKind::TNT2, "TNT2"},
        {0x0029, BoardKind::UltraTNT2, "UltraTNT2"}, {0x002C, BoardKind::Vanta, "Vanta"},
        {0x002D, BoardKind::TNT2Value, "TNT2Value"}, {0x0100, BoardKind::Gravenor, "Gravenor"},
        {0x0101, BoardKind::GravenorPro, "GravenorPro"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.kind, BoardKindFromDeviceId(c.deviceId));
        EXPECT_EQ(c.deviceId, DeviceIdOfBoardKind(c.kind));
        EXPECT_STREQ(c.name, BoardKindName(c.kind));
        EXPECT_EQ(c.kind, ParseBoardKind(c.name));
    }
    for (uint16_t unlisted : {0x0000, 0x0018, 0x002A, 0x00A0, 0x0102, 0x0110, 0xFFFF})
        EXPECT_EQ(BoardKind::None, BoardKindFromDeviceId(unlisted)) << unlisted;
    EXPECT_STREQ("None", BoardKindName(BoardKind::None));
    EXPECT_STREQ("None", BoardKindName(static_cast<BoardKind>(8)));
    EXPECT_EQ(0, DeviceIdOfBoardKind(BoardKind::None));
}

TEST(BoardKind, ParsesNamesInAnyCaseAndDeviceIds)
{
    struct Case {
        const char* text;
        BoardKind kind;
    };
    const Case cases[] = {
        {"tnt2", BoardKind::TNT2},       {"GRAVENORpro", BoardKind::GravenorPro}, {"vanta", BoardKind::Vanta},
        {"0x0028", BoardKind::TNT2},     {"0X101", BoardKind::GravenorPro},       {"40", BoardKind::TNT2},
        {"256", BoardKind::Gravenor},    {"0x0030", BoardKind::None},             {"28", BoardKind::None},
        {"", BoardKind::None},           {"TNT22", BoardKind::None},              {"TN", BoardKind::None},
        {"0x", BoardKind::None},         {"0x10028", BoardKind::None},            {"99999999999", BoardKind::None},
        {" TNT2", BoardKind::None},      {"None", BoardKind::None},               {"-40", BoardKind::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.kind, ParseBoardKind(c.text)) << '"' << c.text << '"';
    EXPECT_EQ(BoardKind::None, ParseBoardKind(nullptr));
}

}  // namespace
