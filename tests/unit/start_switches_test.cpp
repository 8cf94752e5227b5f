#include <gtest/gtest.h>

#include <string>

#include "runtime/command_line.h"
#include "ui/start_switches.h"

namespace {

struct TailCase {
    const char* commandLine;
    const char* tail;
};

TEST(CommandLineTail, SkipsTheProgramNameAndTheBlanksBehindIt)
{
    const TailCase cases[] = {
        {"Velkor.exe", ""},
        {"Velkor.exe /q", "/q"},
        {"Velkor.exe      /s now", "/s now"},
        {"Velkor.exe\t \x01\x1f-q", "-q"},                  // control characters count as blanks
        {"\"C:\\Program Files\\Velkor\\Velkor.exe\" -s", "-s"},
        {"\"C:\\Program Files\\Velkor\\Velkor.exe\"/q", "/q"},  // a quoted name ends at its quote
        {"\"C:\\Velkor.exe\"", ""},
        {"\"C:\\unterminated quote /q", ""},                // the whole line is the name
        {"C:\\Velkor\\Velkor.exe\"odd\" /q", "/q"},        // a quote inside an unquoted name is part of it
        {"Velkor.exe \xe9t\xe9", "\xe9t\xe9"},               // bytes above 0x7F are no blanks
        {"", ""},
    };
    for (const TailCase& c : cases) {
        SCOPED_TRACE(c.commandLine);
        EXPECT_EQ(std::string(c.tail), CommandLineTail(c.commandLine));
    }
    EXPECT_STREQ("", CommandLineTail(nullptr));
}

struct SwitchCase {
    const char* tail;
    StartSwitch expected;
};

TEST(ParseStartSwitch, OnlyTheFirstTwoCharactersOfTheWholeTailCount)
{
    const SwitchCase cases[] = {
        {"-q", StartSwitch::Hidden},        {"/q", StartSwitch::Hidden},
        {"/Q", StartSwitch::Hidden},        {"-Q", StartSwitch::Hidden},
        {"/quiet", StartSwitch::Hidden},    {"-qx", StartSwitch::Hidden},
        {"-s", StartSwitch::HiddenStored},  {"/s", StartSwitch::HiddenStored},
        {"-S", StartSwitch::HiddenStored},  {"/S extra words", StartSwitch::HiddenStored},
        {"q", StartSwitch::None},           {"/", StartSwitch::None},
        {"-", StartSwitch::None},           {"--q", StartSwitch::None},
        {"x /q", StartSwitch::None},        {" /q", StartSwitch::None},  // the tail comes without leading blanks
        {"\\q", StartSwitch::None},         {"/x", StartSwitch::None},
        {"", StartSwitch::None},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(c.expected, ParseStartSwitch(c.tail));
    }
    EXPECT_EQ(StartSwitch::None, ParseStartSwitch(nullptr));
}

TEST(ParseStartSwitch, FollowsTheTailOfARealCommandLine)
{
    EXPECT_EQ(StartSwitch::HiddenStored, ParseStartSwitch(CommandLineTail("velkor-sim.exe     /s")));
    EXPECT_EQ(StartSwitch::Hidden, ParseStartSwitch(CommandLineTail("\"Velkor.exe\"\t/QUIET")));
    EXPECT_EQ(StartSwitch::None, ParseStartSwitch(CommandLineTail("Velkor.exe x /q")));
    EXPECT_EQ(StartSwitch::None, ParseStartSwitch(CommandLineTail("Velkor.exe q")));
}

}  // namespace
