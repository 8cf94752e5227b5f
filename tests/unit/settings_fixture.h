#pragma once
// A detected board on a simulated chip, with the registry under test, for
// the settings store and boot store tests. Shared by the native unit tests
// and the cross-built program that runs them under Wine.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "app_state.h"
#include "counting_registry.h"
#include "registry_under_test.h"
#include "sim/sim_chip.h"
#include "sim/sim_display.h"
#include "sim/sim_system.h"
#include "sim/sim_ticks.h"
#include "sim/sim_trace.h"

const char kTestSettingsKey[] = "SOFTWARE\\Ostrane\\Velkor";
const char kTestSystemKey[] = "SOFTWARE\\NVIDIA Corporation\\RIVA TNT\\System";
const char kTestRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kTestSimTweakKey[] =
    "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\NVTweak\\Hardware";
const char kTestFallbackTweakKey[] = "SOFTWARE\\NVIDIA Corporation\\RIVA TNT\\NVTweak\\Hardware";
const uint16_t kTnt2DeviceId = 0x0028;
const double kCrystal14 = 14.31818;

inline std::vector<uint8_t> DwordBytes(uint32_t value)
{
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

inline std::vector<uint8_t> TextBytes(const std::string& text, bool withNul = true)
{
    std::vector<uint8_t> bytes(text.begin(), text.end());
    if (withNul)
        bytes.push_back(0);
    return bytes;
}

// The clock a PLL word makes with the 14.31818 MHz crystal, rounded as the
// readouts round (halves up); worked out here, apart from the code under test.
inline uint32_t ClockOfWord(uint32_t word)
{
    uint32_t m = word & 0xFF, n = (word >> 8) & 0xFF, p = (word >> 16) & 7;
    if (m == 0)
        return 0;
    return static_cast<uint32_t>(floor(kCrystal14 * n / (m << p) + 0.5));
}

// Some PLL word that reads as the given clock (14.31818 MHz crystal).
inline uint32_t WordForClock(uint32_t mhz)
{
    for (uint32_t p = 0; p < 4; ++p)
        for (uint32_t m = 1; m < 16; ++m)
            for (uint32_t n = 1; n < 256; ++n) {
                uint32_t word = p << 16 | n << 8 | m;
                if (ClockOfWord(word) == mhz)
                    return word;
            }
    ADD_FAILURE() << "no PLL word for " << mhz << " MHz";
    return 0;
}

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() : chip_(ChipStorage(), &trace_), ticks_(&trace_), display_(&trace_), system_(&trace_) {}

    void SetUp() override
    {
        store_ = MakeRegistryUnderTest();
        store_->Wipe();
        seam_.Attach(store_->Seam());
        for (uint32_t offset : {kGfxPllOffset, kMemPllOffset, kStrapOffset, kMemConfigOffset})
            chip_.Poke32(offset, 0);
        chip_.SetCrystal14MHz(true);

        gApp = AppState();
        gApp.platform.registry = &seam_;
        gApp.platform.ticks = &ticks_;
        gApp.platform.display = &display_;
        gApp.platform.system = &system_;
        gApp.registers = &chip_;
        UseBoard(BoardKind::TNT2, kTnt2DeviceId);
        SetLiveClocks(125, 150);
        trace_.Clear();
    }

    void TearDown() override
    {
        EXPECT_EQ(0, seam_.OpenKeys()) << "a registry key was left open";
        gApp = AppState();
        store_->Wipe();
    }

    void UseBoard(BoardKind kind, uint16_t deviceId)
    {
        gApp.boardKind = kind;
        gApp.deviceId = deviceId;
    }
    void SetLiveClocks(uint32_t gfxMHz, uint32_t memMHz)
    {
        chip_.Poke32(kGfxPllOffset, WordForClock(gfxMHz));
        chip_.Poke32(kMemPllOffset, WordForClock(memMHz));
    }
    uint32_t LiveGfxWord() const { return chip_.Peek32(kGfxPllOffset); }
    uint32_t LiveMemWord() const { return chip_.Peek32(kMemPllOffset); }
    int RegisterWrites(uint32_t offset) const
    {
        int writes = 0;
        for (int i = 0; i < trace_.Count(); ++i)
            writes += trace_.At(i).event == SimEvent::RegisterWrite32 && trace_.At(i).address == offset;
        return writes;
    }

    void PutDword(const std::string& path, const std::string& name, uint32_t value)
    {
        store_->Put(path, name, kRegDword, DwordBytes(value));
    }
    void PutString(const std::string& path, const std::string& name, const std::string& text)
    {
        store_->Put(path, name, kRegSz, TextBytes(text));
    }
    void PutRaw(const std::string& path, const std::string& name, uint32_t type,
                const std::vector<uint8_t>& data)
    {
        store_->Put(path, name, type, data);
    }
    void PutLimits(uint32_t device, uint32_t gfxMin, uint32_t gfxMax, uint32_t memMin, uint32_t memMax)
    {
        PutDword(kTestSettingsKey, "Device", device);
        PutDword(kTestSettingsKey, "GFX Min", gfxMin);
        PutDword(kTestSettingsKey, "GFX Max", gfxMax);
        PutDword(kTestSettingsKey, "MEM Min", memMin);
        PutDword(kTestSettingsKey, "MEM Max", memMax);
    }

    bool Has(const std::string& path, const std::string& name)
    {
        StoredValue value;
        return store_->Get(path, name, &value);
    }
    // A stored REG_DWORD, checked to be exactly 4 bytes; ~0 when missing or malformed.
    uint32_t Dword(const std::string& path, const std::string& name)
    {
        StoredValue value;
        if (!store_->Get(path, name, &value)) {
            ADD_FAILURE() << path << " \"" << name << "\" is missing";
            return ~0u;
        }
        EXPECT_EQ(kRegDword, value.type) << name;
        EXPECT_EQ(4u, value.data.size()) << name;
        if (value.type != kRegDword || value.data.size() != 4)
            return ~0u;
        return value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
               static_cast<uint32_t>(value.data[3]) << 24;
    }
    // A stored REG_SZ, checked to end with exactly one NUL counted in its size.
    std::string String(const std::string& path, const std::string& name)
    {
        StoredValue value;
        if (!store_->Get(path, name, &value)) {
            ADD_FAILURE() << path << " \"" << name << "\" is missing";
            return std::string();
        }
        EXPECT_EQ(kRegSz, value.type) << name;
        if (value.data.empty() || value.data.back() != 0) {
            ADD_FAILURE() << name << " is stored without its NUL";
            return std::string(value.data.begin(), value.data.end());
        }
        return std::string(value.data.begin(), value.data.end() - 1);
    }

    // 16 MiB of register file, made once for the whole program.
    static uint8_t* ChipStorage()
    {
        static std::vector<uint8_t> storage(kRegisterWindowBytes);
        return storage.data();
    }

    std::unique_ptr<RegistryUnderTest> store_;
    CountingRegistry seam_;
    SimTrace trace_;
    SimChip chip_;
    SimTicks ticks_;
    SimDisplay display_;
    SimSystem system_;
};
