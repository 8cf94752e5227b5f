#pragma once
// A fresh AppState on a simulated PC with a 16 MiB chip: by default a TNT2
// at bus 1 device 0 behind configuration mechanism #1, 14.31818 MHz crystal,
// PLL words for 125/150 MHz, VELKOR.VXD that maps (and a DPMI mapping that
// fails, should the driver go missing). The registry is left null.
//
//   class MyTest : public SimPcTest {};
//   TEST_F(MyTest, ...) { Configure("board=GravenorPro ddr=1"); ... }
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app_state.h"
#include "sim/sim_config.h"
#include "sim/sim_pc.h"

class SimPcTest : public ::testing::Test {
protected:
    SimPcTest() : chipStorage(kRegisterWindowBytes, 0), pc(new SimPc(chipStorage.data()))
    {
        ApplySimConfig(pc.get(), SimConfig());
        FreshApp();
    }
    ~SimPcTest() override { gApp = AppState(); }

    // A new AppState on the same PC, as a new run of the utility would see
    // it; the trace is cleared.
    void FreshApp()
    {
        gApp = AppState();
        gApp.platform = pc->Platform();
        pc->trace.Clear();
    }

    // Re-configures the PC from VELKOR_SIM text and clears the trace.
    void Configure(const char* text)
    {
        SimConfig config;
        char error[128];
        ASSERT_TRUE(ParseSimConfig(text, &config, error, sizeof(error))) << error;
        ApplySimConfig(pc.get(), config);
        pc->trace.Clear();
    }

    // Gives the board's video memory (up to 32 MiB) storage; few tests need it.
    void AttachVideoMemory()
    {
        videoStorage.assign(2 * (32u << 20) / 4, 0);
        pc->videoBlocks.SetStorage(videoStorage.data(), 32u << 20);
    }

    std::vector<uint8_t> chipStorage;  // before pc: the chip lives in it
    std::vector<uint32_t> videoStorage;
    std::unique_ptr<SimPc> pc;
};
