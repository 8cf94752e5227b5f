#pragma once
// The display: mode resets (traced as DisplayReset, value = result) and the
// display driver's private escape that names its registry key (traced as
// DriverKeyEscape, value = result).
#include <stdint.h>

#include "platform/display.h"
#include "sim/sim_trace.h"

enum class SimKeyEscapeMode : uint8_t {
    Answer,        // the key text at byte 4, NUL-terminated, result > 0
    Fail,          // result 0: no such escape, as under Wine
    Unterminated,  // result > 0 but all 256 bytes are text, no NUL anywhere
};

const char kSimDriverKey[] = "System\\CurrentControlSet\\Services\\Class\\Display\\0000";

class SimDisplay final : public Display {
public:
    static constexpr int kMaxKey = kDriverKeyEscapeBytes - 4;  // the text and its NUL fill the answer

    explicit SimDisplay(SimTrace* trace);

    void SetResetResult(int result) { resetResult_ = result; }
    void SetKeyEscapeMode(SimKeyEscapeMode mode) { keyMode_ = mode; }
    // The key the escape answers with; up to kMaxKey - 1 characters are kept.
    void SetDriverKey(const char* key);

    int ResetMode() override;
    int QueryDriverKey(char output[kDriverKeyEscapeBytes]) override;

    int ResetCount() const { return resetCount_; }
    int KeyQueryCount() const { return keyQueryCount_; }

private:
    void Trace(SimEvent event, uint32_t value);

    SimTrace* trace_;
    int resetResult_ = 1;
    SimKeyEscapeMode keyMode_ = SimKeyEscapeMode::Answer;
    char key_[kMaxKey];
    int resetCount_ = 0;
    int keyQueryCount_ = 0;
};
