#pragma once
// VELKOR.VXD as the simulated PC has it: it "maps" the simulated chip by
// handing back a fixed linear-address token that WindowAt() turns into the
// SimChip. Open, map and close are traced; the last map request is kept.
#include <stdint.h>

#include "platform/kernel_driver.h"
#include "sim/sim_trace.h"

class SimChip;

enum class SimDriverMode : uint8_t {
    Ok,       // opens and maps
    Missing,  // Open() fails as CreateFileA does for a missing driver
    Refuse,   // opens, but Map() reports 0 bytes returned
};

const DriverHandle kSimDriverHandle = 0x00000ABC;
// Where a Windows 98 VxD would put such a mapping: the shared arena above 2 GB.
const uint32_t kSimLinearAddress = 0x82400000u;

class SimDriver final : public KernelDriver {
public:
    SimDriver(SimTrace* trace, SimChip* chip) : trace_(trace), chip_(chip) {}

    void SetMode(SimDriverMode mode) { mode_ = mode; }
    SimDriverMode Mode() const { return mode_; }
    // Whether a refusing driver still writes the address token (default yes).
    void SetRefusalWritesAddress(bool writes) { refusalWritesAddress_ = writes; }

    DriverHandle Open() override;
    uint32_t Map(DriverHandle handle, const MapRequest* request, uint32_t* linearAddress) override;
    RegisterWindow* WindowAt(uint32_t linearAddress) override;
    void Close(DriverHandle handle) override;

    int OpenCount() const { return openCount_; }
    int MapCount() const { return mapCount_; }
    int CloseCount() const { return closeCount_; }
    bool IsOpen() const { return open_; }
    const MapRequest& LastRequest() const { return lastRequest_; }
    DriverHandle LastClosedHandle() const { return lastClosed_; }

private:
    void Trace(SimEvent event, uint32_t address, uint32_t value);

    SimTrace* trace_;
    SimChip* chip_;
    SimDriverMode mode_ = SimDriverMode::Ok;
    bool refusalWritesAddress_ = true;
    bool open_ = false;
    bool mapped_ = false;
    int openCount_ = 0;
    int mapCount_ = 0;
    int closeCount_ = 0;
    MapRequest lastRequest_ = {0, 0};
    DriverHandle lastClosed_ = 0;
};
