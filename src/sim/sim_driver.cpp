#include "sim/sim_driver.h"

#include "sim/sim_chip.h"

DriverHandle SimDriver::Open()
{
    ++openCount_;
    DriverHandle handle = kInvalidDriverHandle;
    if (mode_ != SimDriverMode::Missing) {
        handle = kSimDriverHandle;
        open_ = true;
    }
    Trace(SimEvent::DriverOpen, 0, static_cast<uint32_t>(handle));
    return handle;
}

uint32_t SimDriver::Map(DriverHandle handle, const MapRequest* request, uint32_t* linearAddress)
{
    ++mapCount_;
    if (request)
        lastRequest_ = *request;
    Trace(SimEvent::DriverMap, request ? request->physicalAddress : 0, request ? request->length : 0);

    if (!open_ || handle != kSimDriverHandle || !request || !linearAddress)
        return 0;
    if (mode_ == SimDriverMode::Refuse) {
        if (refusalWritesAddress_)
            *linearAddress = kSimLinearAddress;
        return 0;
    }
    *linearAddress = kSimLinearAddress;
    mapped_ = true;
    return sizeof(uint32_t);
}

RegisterWindow* SimDriver::WindowAt(uint32_t linearAddress)
{
    return (mapped_ && linearAddress == kSimLinearAddress) ? chip_ : nullptr;
}

void SimDriver::Close(DriverHandle handle)
{
    ++closeCount_;
    lastClosed_ = handle;
    if (handle == kSimDriverHandle) {
        open_ = false;
        mapped_ = false;
    }
    Trace(SimEvent::DriverClose, 0, static_cast<uint32_t>(handle));
}

void SimDriver::Trace(SimEvent event, uint32_t address, uint32_t value)
{
    if (trace_)
        trace_->Add(event, address, value);
}
