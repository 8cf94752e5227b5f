#include "sim/sim_config.h"

#include <string.h>

#include "platform/text.h"
#include "sim/sim_boards.h"
#include "sim/sim_pc.h"

namespace {

// ---- Default PLL words -------------------------------------------------

struct KnownWord {
    uint32_t mhz;
    bool floatSearch;  // TNT boards search in floating point, the others in integers
    uint32_t word14;   // 14.31818 MHz crystal
    uint32_t word13;   // 13.5 MHz crystal
};

// What ClockToPllWord() answers for those clocks (a unit test runs the real
// search against every entry), so that the simulated PC needs no clock code
// and no AppState to start up.
const KnownWord kKnownWords[] = {
    {90, true, 0x0001B00E, 0x0001A00C},   {110, true, 0x0001A90B, 0x0001A30A},
    {100, false, 0x00010E01, 0x0001A30B}, {120, false, 0x0001DA0D, 0x0001A009},
    {125, false, 0x0001E30D, 0x00012502}, {150, false, 0x0000880D, 0x00006409},
    {166, false, 0x00003A05, 0x00007B0A}, {183, false, 0x00007309, 0x00007A09},
    {300, false, 0x00001501, 0x00005904}, {332, false, 0x00005D04, 0x00003102},
};

// ---- Text helpers ------------------------------------------------------

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Appends text to a NUL-terminated message, cutting it at the buffer's end.
class Message {
public:
    Message(char* buffer, int size) : buffer_(buffer), size_(buffer ? size : 0)
    {
        if (size_ > 0)
            buffer_[0] = '\0';
    }
    Message& Add(const char* text, int length = -1)
    {
        if (size_ <= 0 || !text)
            return *this;
        for (int i = 0; (length < 0 || i < length) && text[i]; ++i) {
            if (used_ + 1 >= size_)
                break;
            buffer_[used_++] = text[i];
        }
        buffer_[used_] = '\0';
        return *this;
    }

private:
    char* buffer_;
    int size_;
    int used_ = 0;
};

int ParseHexWord(const char* text, uint32_t* value)
{
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ParseUnsigned(text, value);
    // Bare hex digits: give them the prefix the number parser wants.
    char prefixed[16] = "0x";
    size_t length = strlen(text);
    if (length == 0 || length + 3 > sizeof(prefixed))
        return 0;
    memcpy(prefixed + 2, text, length + 1);
    return ParseUnsigned(prefixed, value);
}

int ParseSlot(const char* text, uint32_t* bus, uint32_t* device)
{
    const char* colon = strchr(text, ':');
    if (!colon)
        return 0;
    char busText[16];
    size_t busLength = static_cast<size_t>(colon - text);
    if (busLength == 0 || busLength >= sizeof(busText))
        return 0;
    memcpy(busText, text, busLength);
    busText[busLength] = '\0';
    uint32_t b, d;
    if (!ParseUnsigned(busText, &b) || !ParseUnsigned(colon + 1, &d) || b > 255 || d > 31)
        return 0;
    *bus = b;
    *device = d;
    return 1;
}

int ParseChoice(const char* text, const char* const* choices, int count)
{
    for (int i = 0; i < count; ++i) {
        if (strcmp(text, choices[i]) == 0)
            return i;
    }
    return -1;
}

enum Key {
    kBoard, kSlot, kBoard2, kSlot2, kMech, kXtal, kDdr, kGfx, kMem, kDriver, kDpmi,
    kVram, kMemOk, kGfxOk, kGfx2dOk, kMemHang, kGfxHang, kSeed, kD3d, kKeyCount
};
const char* const kKeyNames[kKeyCount] = {"board",  "slot", "board2", "slot2", "mech",    "xtal",
                                          "ddr",    "gfx",  "mem",    "driver", "dpmi",   "vram",
                                          "memok",  "gfxok", "gfx2dok", "memhang", "gfxhang", "seed",
                                          "d3d"};

// A clock in whole MHz, 1 to 10000.
int ParseMHz(const char* text, uint32_t* mhz)
{
    uint32_t value;
    if (!ParseUnsigned(text, &value) || value == 0 || value > 10000)
        return 0;
    *mhz = value;
    return 1;
}

int ApplyValue(int key, const char* value, SimConfig* config)
{
    static const char* const kMechanisms[] = {"1", "2"};
    static const char* const kCrystals[] = {"14.31818", "13.5"};
    static const char* const kFlags[] = {"0", "1"};
    static const char* const kDriverModes[] = {"ok", "missing", "refuse"};
    static const char* const kDpmiModes[] = {"ok", "fail", "fault"};
    static const char* const kVramSizes[] = {"4", "8", "16", "32"};
    int choice;
    switch (key) {
    case kBoard:
        return SimParseDeviceId(value, &config->board.deviceId);
    case kSlot:
        return ParseSlot(value, &config->board.bus, &config->board.device);
    case kBoard2:
        config->hasBoard2 = true;
        return SimParseDeviceId(value, &config->board2.deviceId);
    case kSlot2:
        return ParseSlot(value, &config->board2.bus, &config->board2.device);
    case kMech:
        if ((choice = ParseChoice(value, kMechanisms, 2)) < 0)
            return 0;
        config->mechanism = static_cast<uint32_t>(choice + 1);
        return 1;
    case kXtal:
        if ((choice = ParseChoice(value, kCrystals, 2)) < 0)
            return 0;
        config->crystal14 = choice == 0;
        return 1;
    case kDdr:
        if ((choice = ParseChoice(value, kFlags, 2)) < 0)
            return 0;
        config->ddr = choice == 1;
        return 1;
    case kGfx:
        config->gfxWordGiven = true;
        return ParseHexWord(value, &config->gfxWord);
    case kMem:
        config->memWordGiven = true;
        return ParseHexWord(value, &config->memWord);
    case kDriver:
        if ((choice = ParseChoice(value, kDriverModes, 3)) < 0)
            return 0;
        config->driver = static_cast<SimDriverMode>(choice);
        return 1;
    case kDpmi:
        if ((choice = ParseChoice(value, kDpmiModes, 3)) < 0)
            return 0;
        config->dpmi = static_cast<SimDpmiMode>(choice);
        return 1;
    case kVram:
        if ((choice = ParseChoice(value, kVramSizes, 4)) < 0)
            return 0;
        config->vramMiB = 4u << choice;
        return 1;
    case kMemOk:
        return ParseMHz(value, &config->memOkMHz);
    case kGfxOk:
        return ParseMHz(value, &config->gfxOkMHz);
    case kGfx2dOk:
        return ParseMHz(value, &config->gfx2dOkMHz);
    case kMemHang:
        return ParseMHz(value, &config->memHangMHz);
    case kGfxHang:
        return ParseMHz(value, &config->gfxHangMHz);
    case kSeed:
        return ParseUnsigned(value, &config->seed);
    case kD3d:
        if ((choice = ParseChoice(value, kFlags, 2)) < 0)
            return 0;
        config->d3d = choice == 1;
        return 1;
    default:
        return 0;
    }
}

bool Reachable(const SimBoardPlace& place, uint32_t mechanism)
{
    if (mechanism == 2)
        return place.bus == 0 && place.device >= 1 && place.device <= 15;
    return place.bus <= 15 && (place.bus > 0 || place.device > 0);
}

uint32_t SlotOf(const SimBoardPlace& place)
{
    return place.bus * 32 + place.device;
}

}  // namespace

int ParseSimConfig(const char* text, SimConfig* config, char* error, int errorSize)
{
    Message message(error, errorSize);
    if (!config) {
        message.Add("no configuration to fill");
        return 0;
    }
    *config = SimConfig();
    if (!text)
        return 1;

    bool seen[kKeyCount] = {};
    const char* p = text;
    for (;;) {
        while (IsSpace(*p))
            ++p;
        if (!*p)
            break;
        const char* token = p;
        while (*p && !IsSpace(*p))
            ++p;
        int tokenLength = static_cast<int>(p - token);

        const char* equals = static_cast<const char*>(memchr(token, '=', static_cast<size_t>(tokenLength)));
        if (!equals) {
            message.Add("'").Add(token, tokenLength).Add("' is not key=value");
            return 0;
        }
        int keyLength = static_cast<int>(equals - token);
        int key = -1;
        for (int k = 0; k < kKeyCount; ++k) {
            if (static_cast<int>(strlen(kKeyNames[k])) == keyLength && memcmp(kKeyNames[k], token, keyLength) == 0)
                key = k;
        }
        if (key < 0) {
            message.Add("unknown key '").Add(token, keyLength).Add("'");
            return 0;
        }
        if (seen[key]) {
            message.Add("key '").Add(kKeyNames[key]).Add("' given twice");
            return 0;
        }
        seen[key] = true;

        char value[40];
        int valueLength = tokenLength - keyLength - 1;
        bool fits = valueLength > 0 && valueLength < static_cast<int>(sizeof(value));
        if (fits) {
            memcpy(value, equals + 1, static_cast<size_t>(valueLength));
            value[valueLength] = '\0';
        }
        if (!fits || !ApplyValue(key, value, config)) {
            message.Add("bad value '").Add(equals + 1, valueLength).Add("' for ").Add(kKeyNames[key]);
            return 0;
        }
    }

    if (seen[kSlot2] && !seen[kBoard2]) {
        message.Add("slot2 needs board2");
        return 0;
    }
    if (config->hasBoard2 && config->board.bus == config->board2.bus &&
        config->board.device == config->board2.device) {
        message.Add("board2 is at the same slot as board");
        return 0;
    }
    return 1;
}

const SimBoardPlace& SimDetectedBoard(const SimConfig& config)
{
    const SimBoardPlace* candidates[2] = {&config.board, config.hasBoard2 ? &config.board2 : nullptr};
    const SimBoardPlace* best = nullptr;
    for (const SimBoardPlace* place : candidates) {
        if (!place || !Reachable(*place, config.mechanism))
            continue;
        if (!SimBoardModelOf(place->deviceId))
            continue;
        if (!best || SlotOf(*place) < SlotOf(*best))
            best = place;
    }
    return best ? *best : config.board;
}

uint32_t SimChipIdentification(uint16_t deviceId)
{
    return SimBoardModelOrTnt2(deviceId).identification;
}

uint32_t SimDefaultPllWord(uint16_t deviceId, bool crystal14, bool ddr, uint32_t domain)
{
    const SimBoardModel& board = SimBoardModelOrTnt2(deviceId);
    uint32_t mhz = domain == 1 ? board.memMHz : board.gfxMHz;
    // The memory PLL of a DDR GeForce 256 runs at twice the memory clock.
    if (domain == 1 && ddr && board.family == SimChipFamily::GeForce256)
        mhz *= 2;
    bool floatSearch = board.family == SimChipFamily::RivaTnt;
    for (const KnownWord& known : kKnownWords) {
        if (known.mhz == mhz && known.floatSearch == floatSearch)
            return crystal14 ? known.word14 : known.word13;
    }
    return 0;
}

uint32_t SimVideoMemoryMiB(const SimConfig& config)
{
    if (config.vramMiB)
        return config.vramMiB;
    const SimChipFamily family = SimBoardModelOrTnt2(SimDetectedBoard(config).deviceId).family;
    return family == SimChipFamily::GeForce256 ? 32 : 16;
}

SimVideoBlocksLimits SimVideoBlocksLimitsOf(const SimConfig& config)
{
    const SimBoardModel& clocks = SimBoardModelOrTnt2(SimDetectedBoard(config).deviceId);
    SimVideoBlocksLimits limits;
    limits.memOkMHz = config.memOkMHz ? config.memOkMHz : clocks.memMHz * 6 / 5;
    limits.gfxOkMHz = config.gfxOkMHz ? config.gfxOkMHz : clocks.gfxMHz * 6 / 5;
    limits.gfx2dOkMHz = config.gfx2dOkMHz ? config.gfx2dOkMHz : limits.gfxOkMHz + 8;
    limits.memHangMHz = config.memHangMHz ? config.memHangMHz : limits.memOkMHz * 5 / 4;
    limits.gfxHangMHz = config.gfxHangMHz ? config.gfxHangMHz : limits.gfxOkMHz * 5 / 4;
    limits.seed = config.seed;
    return limits;
}

void ApplySimConfig(SimPc* pc, const SimConfig& config)
{
    if (!pc)
        return;
    SimPciBus& bus = pc->bus;
    bus.SetMechanism(config.mechanism);
    bus.RemoveAllDevices();
    // Register apertures are 16 MiB aligned, memory space, not prefetchable.
    bus.AddDevice(config.board.bus, config.board.device, kSimNvidiaVendorId, config.board.deviceId, 0xE6000000u);
    if (config.hasBoard2)
        bus.AddDevice(config.board2.bus, config.board2.device, kSimNvidiaVendorId, config.board2.deviceId, 0xDE000000u);
    // The rest of a typical AGP machine; a board placed there takes precedence.
    bus.AddDevice(0, 0, 0x8086, 0x7190, 0xE0000008u, kPciClassHostBridge);
    bus.AddDevice(0, 1, 0x8086, 0x7191, 0, kPciClassPciBridge);

    const SimBoardPlace& detected = SimDetectedBoard(config);
    SimChip& chip = pc->chip;
    chip.Poke32(kChipIdOffset, SimChipIdentification(detected.deviceId));
    chip.SetCrystal14MHz(config.crystal14);
    chip.SetDdr(config.ddr);
    chip.Poke32(kGfxPllOffset, config.gfxWordGiven ? config.gfxWord
                                                   : SimDefaultPllWord(detected.deviceId, config.crystal14,
                                                                       config.ddr, 0));
    chip.Poke32(kMemPllOffset, config.memWordGiven ? config.memWord
                                                   : SimDefaultPllWord(detected.deviceId, config.crystal14,
                                                                       config.ddr, 1));

    const SimChipFamily family = SimBoardModelOrTnt2(detected.deviceId).family;
    chip.SetVideoMemoryMiB(family, SimVideoMemoryMiB(config));
    pc->videoBlocks.SetBoard(family);
    pc->videoBlocks.SetLimits(SimVideoBlocksLimitsOf(config));
    pc->render.SetBoard(family);
    pc->render.SetLimits(SimVideoBlocksLimitsOf(config));
    pc->render.SetAvailable(config.d3d);

    pc->driver.SetMode(config.driver);
    pc->physicalMemory.SetMode(config.dpmi);
}
