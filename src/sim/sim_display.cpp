#include "sim/sim_display.h"

#include <string.h>

namespace {

// The escape's answer: bytes 0-3 are a header the caller does not use.
const uint32_t kKeyTextOffset = 4;
const int kEscapeSucceeded = 1;

}  // namespace

SimDisplay::SimDisplay(SimTrace* trace) : trace_(trace)
{
    SetDriverKey(kSimDriverKey);
}

void SimDisplay::SetDriverKey(const char* key)
{
    int i = 0;
    if (key) {
        for (; i + 1 < kMaxKey && key[i]; ++i)
            key_[i] = key[i];
    }
    key_[i] = '\0';
}

int SimDisplay::ResetMode()
{
    ++resetCount_;
    Trace(SimEvent::DisplayReset, static_cast<uint32_t>(resetResult_));
    return resetResult_;
}

int SimDisplay::QueryDriverKey(char output[kDriverKeyEscapeBytes])
{
    ++keyQueryCount_;
    int result = 0;
    switch (keyMode_) {
    case SimKeyEscapeMode::Answer:
        memset(output, 0, kDriverKeyEscapeBytes);
        output[0] = 0x34;  // some header bytes, never meant to be read
        output[1] = 0x12;
        memcpy(output + kKeyTextOffset, key_, strlen(key_) + 1);
        result = kEscapeSucceeded;
        break;
    case SimKeyEscapeMode::Fail:
        // Whatever the buffer held stays: a failed escape writes nothing.
        result = 0;
        break;
    case SimKeyEscapeMode::Unterminated:
        for (uint32_t i = 0; i < kDriverKeyEscapeBytes; ++i)
            output[i] = static_cast<char>('A' + i % 26);
        result = kEscapeSucceeded;
        break;
    }
    Trace(SimEvent::DriverKeyEscape, static_cast<uint32_t>(result));
    return result;
}

void SimDisplay::Trace(SimEvent event, uint32_t value)
{
    if (trace_)
        trace_->Add(event, 0, value);
}
