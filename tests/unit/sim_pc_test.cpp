#include <gtest/gtest.h>

#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/sim_pc.h"

namespace {

const uint32_t kAllOnes = 0xFFFFFFFFu;

class SimPciBusTest : public ::testing::Test {
protected:
    SimTrace trace;
    SimPciBus bus{&trace};
};

TEST_F(SimPciBusTest, Mechanism1AnswersOnlyEnabledFunctionZeroAddresses)
{
    ASSERT_EQ(0, bus.AddDevice(1, 0, 0x10DE, 0x0028, 0xE6000000u));
    struct Case {
        uint32_t address;
        uint32_t expected;
    };
    const Case cases[] = {
        {0x80010000u, 0x002810DEu},  // bus 1, device 0, register 0
        {0x80010010u, 0xE6000000u},  // BAR0
        {0x80010013u, 0xE6000000u},  // the low two bits are not part of the address
        {0x00010000u, kAllOnes},     // enable bit clear
        {0x80010100u, kAllOnes},     // function 1
        {0x80000000u, kAllOnes},     // nothing at 0:0
        {0x80020000u, kAllOnes},     // nothing at 2:0
    };
    for (const Case& c : cases) {
        bus.OutDword(0xCF8, c.address);
        EXPECT_EQ(c.expected, bus.InDword(0xCFC)) << std::hex << c.address;
    }
    bus.OutDword(0xCF8, 0x80010008u);
    EXPECT_EQ(0x80010008u, bus.InDword(0xCF8));
    EXPECT_EQ(0x03u, bus.InByte(0xCFF));  // class code, base class
    bus.OutByte(0xCF8, 0xF0);             // no mechanism #2 here
    EXPECT_EQ(kAllOnes, bus.InDword(0xC000));
    EXPECT_EQ(0x80010008u, bus.InDword(0xCF8));
    EXPECT_EQ(0xFFu, bus.InByte(0x80));  // nothing decodes it
}

TEST_F(SimPciBusTest, Mechanism2MapsTheForwardedBusWhileAKeyIsSet)
{
    bus.SetMechanism(2);
    ASSERT_EQ(0, bus.AddDevice(0, 5, 0x10DE, 0x002C, 0xE6000000u));
    ASSERT_EQ(1, bus.AddDevice(1, 3, 0x10DE, 0x0028, 0xD6000000u));

    EXPECT_EQ(kAllOnes, bus.InDword(0xC500));  // configuration space off
    bus.OutByte(0xCF8, 0x80);
    EXPECT_EQ(0x002C10DEu, bus.InDword(0xC500));
    EXPECT_EQ(0xE6000000u, bus.InDword(0xC510));
    EXPECT_EQ(kAllOnes, bus.InDword(0xC400));
    EXPECT_EQ(kAllOnes, bus.InDword(0xC300));  // bus 1 is not forwarded
    bus.OutByte(0xCFA, 1);
    EXPECT_EQ(0x002810DEu, bus.InDword(0xC300));
    bus.OutByte(0xCFA, 0);
    bus.OutByte(0xCF8, 0x82);  // function 1
    EXPECT_EQ(kAllOnes, bus.InDword(0xC500));
    bus.OutByte(0xCF8, 0x00);
    EXPECT_EQ(kAllOnes, bus.InDword(0xC500));

    bus.OutDword(0xCF8, 0x80000000u | 5u << 11);  // mechanism #1 is not decoded
    EXPECT_EQ(kAllOnes, bus.InDword(0xCFC));
    EXPECT_EQ(0x00u, bus.InByte(0xCF8));
}

TEST_F(SimPciBusTest, EveryAccessIsTraced)
{
    bus.AddDevice(1, 0, 0x10DE, 0x0028, 0xE6000000u);
    bus.OutDword(0xCF8, 0x80010000u);
    bus.InDword(0xCFC);
    bus.OutByte(0xCFA, 7);
    bus.InByte(0x61);
    ASSERT_EQ(4, trace.Count());
    const SimTraceEntry expected[] = {
        {SimEvent::PortOutDword, 0xCF8, 0x80010000u},
        {SimEvent::PortInDword, 0xCFC, 0x002810DEu},
        {SimEvent::PortOutByte, 0xCFA, 7},
        {SimEvent::PortInByte, 0x61, 0xFF},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i].event, trace.At(i).event) << i;
        EXPECT_EQ(expected[i].address, trace.At(i).address) << i;
        EXPECT_EQ(expected[i].value, trace.At(i).value) << i;
    }
}

TEST_F(SimPciBusTest, SlotsAreUniqueAndTheBusIsFinite)
{
    EXPECT_EQ(0, bus.AddDevice(0, 0, 0x8086, 0x7190, 0, kPciClassHostBridge));
    EXPECT_EQ(-1, bus.AddDevice(0, 0, 0x10DE, 0x0028, 0));
    EXPECT_EQ(-1, bus.AddDevice(0, 32, 0x10DE, 0x0028, 0));
    EXPECT_EQ(-1, bus.AddDevice(256, 0, 0x10DE, 0x0028, 0));
    for (uint32_t device = 1; device < SimPciBus::kMaxDevices; ++device)
        EXPECT_EQ(static_cast<int>(device), bus.AddDevice(0, device, 0x10DE, 0x0028, 0));
    EXPECT_EQ(-1, bus.AddDevice(0, 20, 0x10DE, 0x0028, 0));
    EXPECT_EQ(SimPciBus::kMaxDevices, bus.DeviceCount());
}

class SimPcPartsTest : public ::testing::Test {
protected:
    SimPcPartsTest() : storage(kRegisterWindowBytes, 0), pc(new SimPc(storage.data())) {}
    std::vector<uint8_t> storage;
    std::unique_ptr<SimPc> pc;
};

TEST_F(SimPcPartsTest, PlatformHandsOutThePartsAndNoRegistry)
{
    Platform p = pc->Platform();
    EXPECT_EQ(static_cast<PortIo*>(&pc->bus), p.ports);
    EXPECT_EQ(static_cast<KernelDriver*>(&pc->driver), p.driver);
    EXPECT_EQ(static_cast<SystemInfo*>(&pc->system), p.system);
    EXPECT_EQ(static_cast<Display*>(&pc->display), p.display);
    EXPECT_EQ(static_cast<Ticks*>(&pc->ticks), p.ticks);
    EXPECT_EQ(static_cast<PhysicalMemory*>(&pc->physicalMemory), p.physicalMemory);
    EXPECT_EQ(nullptr, p.registry);
    EXPECT_EQ(storage.data(), pc->chip.Storage());
}

TEST_F(SimPcPartsTest, DriverMapsTheChipOnlyWhenItAgrees)
{
    SimDriver& driver = pc->driver;
    MapRequest request = {0xE6000000u, 0x01000000u};
    uint32_t linear = 0;
    EXPECT_EQ(0u, driver.Map(kSimDriverHandle, &request, &linear));  // not open yet
    EXPECT_EQ(0u, linear);

    DriverHandle handle = driver.Open();
    ASSERT_EQ(kSimDriverHandle, handle);
    EXPECT_EQ(nullptr, driver.WindowAt(kSimLinearAddress));  // not mapped yet
    EXPECT_EQ(0u, driver.Map(handle + 1, &request, &linear));
    EXPECT_EQ(4u, driver.Map(handle, &request, &linear));
    EXPECT_EQ(kSimLinearAddress, linear);
    EXPECT_EQ(static_cast<RegisterWindow*>(&pc->chip), driver.WindowAt(linear));
    EXPECT_EQ(nullptr, driver.WindowAt(linear + 4));
    driver.Close(handle);
    EXPECT_EQ(nullptr, driver.WindowAt(linear));

    EXPECT_EQ(SimEvent::DriverOpen, pc->trace.At(1).event);
    EXPECT_EQ(SimEvent::DriverMap, pc->trace.At(3).event);
    EXPECT_EQ(0xE6000000u, pc->trace.At(3).address);
    EXPECT_EQ(0x01000000u, pc->trace.At(3).value);
    EXPECT_EQ(SimEvent::DriverClose, pc->trace.At(pc->trace.Count() - 1).event);

    driver.SetMode(SimDriverMode::Missing);
    EXPECT_EQ(kInvalidDriverHandle, driver.Open());
    driver.SetMode(SimDriverMode::Refuse);
    handle = driver.Open();
    linear = 0;
    EXPECT_EQ(0u, driver.Map(handle, &request, &linear));
    EXPECT_EQ(kSimLinearAddress, linear);  // written all the same
    EXPECT_EQ(nullptr, driver.WindowAt(linear));
    driver.SetRefusalWritesAddress(false);
    linear = 0;
    EXPECT_EQ(0u, driver.Map(handle, &request, &linear));
    EXPECT_EQ(0u, linear);
}

TEST_F(SimPcPartsTest, SystemDirectoryAnswersLikeTheWin32Call)
{
    SimSystem& system = pc->system;
    char buffer[32];
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(17u, system.GetSystemDirectory(buffer, sizeof(buffer)));
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM", buffer);

    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(18u, system.GetSystemDirectory(buffer, 17));  // too small: the size needed
    EXPECT_EQ('#', buffer[0]);
    EXPECT_EQ(17u, system.GetSystemDirectory(buffer, 18));

    system.SetSystemDirectory("");
    EXPECT_EQ(0u, system.GetSystemDirectory(buffer, sizeof(buffer)));
    std::string longest(SimSystem::kMaxPath + 50, 'D');
    system.SetSystemDirectory(longest.c_str());
    EXPECT_EQ(static_cast<size_t>(SimSystem::kMaxPath - 1), strlen(system.SystemDirectory()));
}

TEST_F(SimPcPartsTest, FileVersionsComeFromTheTable)
{
    SimSystem& system = pc->system;
    uint32_t ms = 7, ls = 7;
    EXPECT_EQ(0, system.GetFileVersion("C:\\WINDOWS\\SYSTEM\\NVCORE.VXD", &ms, &ls));
    EXPECT_EQ(7u, ms);
    ASSERT_EQ(1, system.SetFileVersion("C:\\WINDOWS\\SYSTEM\\NVCORE.VXD", 4, 12, 1, 364));
    EXPECT_EQ(1, system.GetFileVersion("c:\\windows\\system\\nvcore.vxd", &ms, &ls));
    EXPECT_EQ(0x0004000Cu, ms);
    EXPECT_EQ(0x0001016Cu, ls);
    EXPECT_STREQ("c:\\windows\\system\\nvcore.vxd", system.LastQueriedPath());
    system.RemoveFile("C:\\WINDOWS\\SYSTEM\\NVCORE.VXD");
    EXPECT_EQ(0, system.GetFileVersion("C:\\WINDOWS\\SYSTEM\\NVCORE.VXD", &ms, &ls));
    EXPECT_EQ(3, system.FileVersionQueries());

    for (int i = 0; i < SimSystem::kMaxFiles; ++i)
        EXPECT_EQ(1, system.SetFileVersion(("C:\\F" + std::to_string(i)).c_str(), 1, 0, 0, 0));
    EXPECT_EQ(0, system.SetFileVersion("C:\\ONE.MORE", 1, 0, 0, 0));
    EXPECT_EQ(1, system.SetFileVersion("C:\\F0", 2, 0, 0, 0));  // an existing entry is updated
}

TEST_F(SimPcPartsTest, DisplayCountsResetsAndAnswersTheKeyEscapeInThreeWays)
{
    SimDisplay& display = pc->display;
    EXPECT_EQ(1, display.ResetMode());
    display.SetResetResult(0);
    EXPECT_EQ(0, display.ResetMode());
    EXPECT_EQ(2, display.ResetCount());
    EXPECT_EQ(2, pc->trace.CountOf(SimEvent::DisplayReset));

    char output[kDriverKeyEscapeBytes];
    memset(output, '#', sizeof(output));
    EXPECT_GT(display.QueryDriverKey(output), 0);
    EXPECT_STREQ(kSimDriverKey, output + 4);

    display.SetKeyEscapeMode(SimKeyEscapeMode::Fail);
    memset(output, '#', sizeof(output));
    EXPECT_EQ(0, display.QueryDriverKey(output));
    EXPECT_EQ('#', output[4]);

    display.SetKeyEscapeMode(SimKeyEscapeMode::Unterminated);
    EXPECT_GT(display.QueryDriverKey(output), 0);
    EXPECT_EQ(nullptr, memchr(output, '\0', sizeof(output)));

    display.SetKeyEscapeMode(SimKeyEscapeMode::Answer);
    std::string longest(300, 'K');
    display.SetDriverKey(longest.c_str());
    EXPECT_GT(display.QueryDriverKey(output), 0);
    EXPECT_EQ(static_cast<size_t>(kDriverKeyEscapeBytes - 5), strlen(output + 4));  // ends inside the buffer
    EXPECT_EQ(4, display.KeyQueryCount());
    EXPECT_EQ(4, pc->trace.CountOf(SimEvent::DriverKeyEscape));
}

}  // namespace
