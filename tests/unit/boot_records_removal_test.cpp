// RemoveBootRecords against the registry under test: what the uninstaller's
// companion takes away after real stores, and what it must leave.
#include "settings/boot_records_removal.h"
#include "settings/boot_store.h"
#include "settings/settings_store.h"
#include "settings_fixture.h"
#include "ui/arbolt_switches.h"

namespace {

const char kInstalledCompanion[] = "C:\\Program Files\\Ostrane\\Velkor\\Arbolt.exe";
const char kInstalledEntry[] = "C:\\PROGRA~1\\OSTRANE\\VELKOR\\ARBOLT.EXE";  // as the store writes it

class BootRecordsRemoval : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        LoadSettings();  // TNT2, 125 / 150 MHz defaults
        ticks_.SetNow(0x12345678);
        strcpy(gApp.installPath, "C:\\Program Files\\Ostrane\\Velkor");
        system_.AddPath(kInstalledCompanion, kInstalledEntry);
    }

    // A kept apply of 140 / 166 MHz stored by Velkor with a driver of this build.
    void StoreKeptClocks(uint32_t driverBuild)
    {
        gApp.driverBuild = driverBuild;
        gApp.gfx.pendingBoot = 140;
        gApp.mem.pendingBoot = 166;
        SetLiveClocks(140, 166);
        StoreBootClocks();
    }
    // The companion is a process of its own: it asks the display driver afresh.
    void RemoveAsTheCompanion(const char* companionPath)
    {
        gApp.driverKeyAsked = 0;
        gApp.driverKey[0] = '\0';
        RemoveBootRecords(companionPath);
    }
};

TEST_F(BootRecordsRemoval, UndoesANewerDriverStoreWhereverTheDriverKeyLeadsAndKeepsTheSeed)
{
    struct Case {
        SimKeyEscapeMode escape;
        const char* tweakKey;
    } cases[] = {{SimKeyEscapeMode::Answer, kTestSimTweakKey}, {SimKeyEscapeMode::Fail, kTestFallbackTweakKey}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tweakKey);
        store_->Wipe();
        display_.SetKeyEscapeMode(c.escape);
        gApp.driverKeyAsked = 0;
        StoreKeptClocks(320);
        ASSERT_EQ(kInstalledEntry, String(kTestRunKey, "NvInitialize"));
        ASSERT_TRUE(Has(c.tweakKey, "Krusty"));
        PutString(kTestRunKey, "Other Program", "C:\\Other\\Other.exe");
        PutDword(c.tweakKey, "Driver Setting", 7);

        // The uninstaller may spell the folder in another case than the installer did.
        RemoveAsTheCompanion("c:\\PROGRAM FILES\\ostrane\\Velkor\\ARBOLT.EXE");
        EXPECT_FALSE(Has(kTestRunKey, "NvInitialize"));
        EXPECT_FALSE(Has(c.tweakKey, "Krusty"));
        EXPECT_EQ(0x12345678u, Dword(c.tweakKey, "Homer"));
        EXPECT_EQ(7u, Dword(c.tweakKey, "Driver Setting"));
        EXPECT_EQ("C:\\Other\\Other.exe", String(kTestRunKey, "Other Program"));
        // The settings key is the uninstaller's to delete, after this ran.
        EXPECT_EQ(140u, Dword(kTestSettingsKey, "Gracie"));
    }
}

TEST_F(BootRecordsRemoval, LeavesALogOnEntryThatStartsAnotherFile)
{
    StoreKeptClocks(320);
    for (const char* other : {"C:\\Velkor Copy\\Arbolt.exe", "C:\\Program Files\\Ostrane\\Velkor\\Arbolt.exe.old",
                              "C:\\Program Files\\Ostrane\\Velkor\\Arbolt", ""}) {
        SCOPED_TRACE(other);
        RemoveAsTheCompanion(other);
        EXPECT_EQ(kInstalledEntry, String(kTestRunKey, "NvInitialize"));
    }
    // An empty entry is not this installation's either.
    PutString(kTestRunKey, "NvInitialize", "");
    RemoveAsTheCompanion("");
    EXPECT_TRUE(Has(kTestRunKey, "NvInitialize"));
    // A value of another type is not a command line.
    PutRaw(kTestRunKey, "NvInitialize", kRegDword, DwordBytes(1));
    RemoveAsTheCompanion(kInstalledCompanion);
    EXPECT_TRUE(Has(kTestRunKey, "NvInitialize"));
}

TEST_F(BootRecordsRemoval, TakesTheOlderDriversWordsOnlyWhileTheSettingsKeyShowsThem)
{
    StoreKeptClocks(319);
    PutDword(kTestSystemKey, "Driver Setting", 7);
    RemoveAsTheCompanion(kInstalledCompanion);
    EXPECT_FALSE(Has(kTestSystemKey, "Gracie"));
    EXPECT_FALSE(Has(kTestSystemKey, "George"));
    EXPECT_EQ(7u, Dword(kTestSystemKey, "Driver Setting"));

    // Only the graphics clock recorded by Velkor: the memory word is not its own.
    store_->Wipe();
    PutDword(kTestSettingsKey, "Gracie", 140);
    PutString(kTestSettingsKey, "George", "166");
    PutDword(kTestSystemKey, "Gracie", 0x0001E30D);
    PutDword(kTestSystemKey, "George", 0x0000880D);
    RemoveAsTheCompanion(kInstalledCompanion);
    EXPECT_FALSE(Has(kTestSystemKey, "Gracie"));
    EXPECT_EQ(0x0000880Du, Dword(kTestSystemKey, "George"));
}

TEST_F(BootRecordsRemoval, AMachineWithoutRecordsGetsNoKeys)
{
    store_->Wipe();
    RemoveAsTheCompanion(kInstalledCompanion);
    for (const char* key : {kTestSettingsKey, kTestSystemKey, kTestRunKey, kTestSimTweakKey}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(store_->KeyExists(key));
    }
}

TEST(ArboltSwitch, WholeWordsInAnyCaseAfterEitherSwitchCharacterAndNothingElse)
{
    struct Case {
        const char* tail;
        ArboltSwitch expected;
    } cases[] = {
        {"-running", ArboltSwitch::Running},
        {"/RUNNING  ", ArboltSwitch::Running},
        {"-Uninstall", ArboltSwitch::Uninstall},
        {"/uninstall\t", ArboltSwitch::Uninstall},
        {"-uninstaller", ArboltSwitch::BadUsage},
        {"-uninstall now", ArboltSwitch::BadUsage},
        {"-run", ArboltSwitch::BadUsage},
        {"-running now", ArboltSwitch::BadUsage},
        {"-board x", ArboltSwitch::BadUsage},
        {"/", ArboltSwitch::BadUsage},
        {"uninstall", ArboltSwitch::None},
        {"", ArboltSwitch::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(c.expected, ParseArboltSwitch(c.tail));
    }
    EXPECT_EQ(ArboltSwitch::None, ParseArboltSwitch(nullptr));
}

TEST(ArboltSwitch, TheBoardCheckAndTheUninstallersQuotedCompanion)
{
    struct Case {
        const char* tail;
        ArboltSwitch expected;
        const char* path;
    } cases[] = {
        {"-board", ArboltSwitch::Board, ""},
        {"/BOARD ", ArboltSwitch::Board, ""},
        {"-boards", ArboltSwitch::BadUsage, ""},
        {"-uninstall \"C:\\My Velkor\\Arbolt.exe\"", ArboltSwitch::Uninstall, "C:\\My Velkor\\Arbolt.exe"},
        {"-uninstall \"C:\\V\\Arbolt.exe\" ", ArboltSwitch::Uninstall, "C:\\V\\Arbolt.exe"},
        {"-uninstall \"C:\\V\\Arbolt.exe", ArboltSwitch::BadUsage, ""},
        {"-uninstall C:\\V\\Arbolt.exe", ArboltSwitch::BadUsage, ""},
        {"-uninstall \"C:\\V\\Arbolt.exe\" x", ArboltSwitch::BadUsage, ""},
        {"-uninstall \"\"", ArboltSwitch::BadUsage, ""},
        {"-running \"C:\\V\\Arbolt.exe\"", ArboltSwitch::BadUsage, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        char path[256] = "unchanged";
        EXPECT_EQ(c.expected, ParseArboltSwitch(c.tail, path, sizeof path));
        EXPECT_STREQ(c.path, path);
    }
    // A path longer than the buffer is no path the uninstaller gave.
    char small[8];
    EXPECT_EQ(ArboltSwitch::BadUsage, ParseArboltSwitch("-uninstall \"C:\\Velkor\\Arbolt.exe\"", small, sizeof small));
}

}  // namespace
