// velkor-pll: prints the PLL word Velkor would program for a range of clocks
// and the clock that word reads back as. It runs the product's own clock
// engine against a simulated chip whose crystal strap and DDR bit follow the
// options, so what it prints is what Velkor.exe would do on such a board.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app_state.h"
#include "board/board_kind.h"
#include "board/chip_registers.h"
#include "clock/pll_search.h"
#include "sim/sim_chip.h"

namespace {

const char kUsage[] =
    "usage: velkor-pll [--board KIND] [--crystal 14.31818|13.5] [--domain gfx|mem] [--ddr] MHZ [TO_MHZ]\n"
    "  KIND: TNT, TNT2, UltraTNT2, Vanta, TNT2Value, Gravenor, GravenorPro or a PCI device ID (0x0028)\n"
    "  prints: target PllWord readback M=.. N=.. P=.. exactMHz (\"none\" when no coefficients exist)\n";

struct Options {
    BoardKind board = BoardKind::TNT2;
    bool crystal14 = true;
    uint32_t domain = kGfxDomain;
    bool ddr = false;
    uint32_t from = 0;
    uint32_t to = 0;
};

int Fail(const std::string& message)
{
    std::fprintf(stderr, "velkor-pll: %s\n", message.c_str());
    return 2;
}

// Whole MHz as plain decimal digits, up to 4294967295.
bool ParseMHz(const char* text, uint32_t* value)
{
    if (*text == '\0' || std::strlen(text) > 10)
        return false;
    unsigned long long result = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9')
            return false;
        result = result * 10 + static_cast<unsigned>(*c - '0');
    }
    if (result > 0xFFFFFFFFull)
        return false;
    *value = static_cast<uint32_t>(result);
    return true;
}

bool ParseCrystal(const char* text, bool* crystal14)
{
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0')
        return false;
    if (value == kCrystal14MHz)
        *crystal14 = true;
    else if (value == kCrystal13MHz)
        *crystal14 = false;
    else
        return false;
    return true;
}

// 0 when parsed, 1 for --help, otherwise the exit code of a reported error.
int ParseArguments(int argc, char** argv, Options* options)
{
    std::vector<const char*> positional;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasValue = false;
        const size_t equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasValue = true;
        }
        const bool takesValue = arg == "--board" || arg == "--crystal" || arg == "--domain";
        if (takesValue && !hasValue) {
            if (i + 1 >= argc)
                return Fail(arg + " needs a value");
            value = argv[++i];
        } else if (!takesValue && hasValue) {
            return Fail(arg + " takes no value");
        }

        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 1;
        } else if (arg == "--board") {
            options->board = ParseBoardKind(value.c_str());
            if (options->board == BoardKind::None)
                return Fail("unknown board '" + value + "'");
        } else if (arg == "--crystal") {
            if (!ParseCrystal(value.c_str(), &options->crystal14))
                return Fail("crystal must be 14.31818 or 13.5, not '" + value + "'");
        } else if (arg == "--domain") {
            if (value == "gfx")
                options->domain = kGfxDomain;
            else if (value == "mem")
                options->domain = kMemDomain;
            else
                return Fail("domain must be gfx or mem, not '" + value + "'");
        } else if (arg == "--ddr") {
            options->ddr = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail("unknown option '" + arg + "'");
        } else {
            positional.push_back(argv[i]);
        }
    }

    if (positional.empty() || positional.size() > 2)
        return Fail("expected MHZ [TO_MHZ] (try --help)");
    if (!ParseMHz(positional[0], &options->from))
        return Fail(std::string("not a clock in whole MHz: '") + positional[0] + "'");
    options->to = options->from;
    if (positional.size() == 2) {
        if (!ParseMHz(positional[1], &options->to))
            return Fail(std::string("not a clock in whole MHz: '") + positional[1] + "'");
        if (options->to < options->from)
            return Fail("TO_MHZ is below MHZ");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    const int parsed = ParseArguments(argc, argv, &options);
    if (parsed == 1)
        return 0;
    if (parsed != 0)
        return parsed;

    // The chip as the options describe it. The DDR bit is set whenever --ddr
    // is given; as on the real chip, only the GeForce memory PLL looks at it.
    // calloc: fresh zero pages, so only the few registers used are ever touched.
    std::unique_ptr<uint8_t, decltype(&std::free)> storage(
        static_cast<uint8_t*>(std::calloc(kRegisterWindowBytes, 1)), &std::free);
    if (!storage)
        return Fail("out of memory");
    SimChip chip(storage.get(), nullptr);
    chip.SetCrystal14MHz(options.crystal14);
    chip.SetDdr(options.ddr);
    gApp.boardKind = options.board;
    gApp.deviceId = DeviceIdOfBoardKind(options.board);
    gApp.registers = &chip;

    const uint32_t pllRegister = options.domain == kMemDomain ? kMemPllRegister : kGfxPllRegister;
    uint32_t target = options.from;
    for (;;) {
        const uint32_t word = ClockToPllWord(target, options.domain);
        if (word == 0) {
            std::printf("%u 0x%08X 0 none\n", target, 0u);
        } else {
            chip.Poke32(pllRegister, word);
            const uint32_t readback = options.domain == kMemDomain ? ReadMemClock() : ReadGfxClock();
            const double exact = PllWordClockMHz(word, options.domain);
            const PllCoefficients c = SplitPllWord(word);
            std::printf("%u 0x%08X %u M=%d N=%d P=%d %.6f\n", target, word, readback, c.m, c.n, c.p, exact);
        }
        if (target == options.to)
            break;
        ++target;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
