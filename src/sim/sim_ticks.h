#pragma once
// Simulated time: Sleep advances a virtual clock at once and is traced.
#include <stdint.h>

#include "platform/ticks.h"
#include "sim/sim_trace.h"

class SimTicks final : public Ticks {
public:
    explicit SimTicks(SimTrace* trace) : trace_(trace) {}

    void Sleep(uint32_t milliseconds) override
    {
        now_ += milliseconds;
        if (trace_)
            trace_->Add(SimEvent::Sleep, 0, milliseconds);
    }
    uint32_t GetTickCount() override { return now_; }
    void SetNow(uint32_t now) { now_ = now; }

private:
    SimTrace* trace_;
    uint32_t now_ = 0;
};
