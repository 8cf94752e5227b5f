// StoreBootClocks and GetDisplayDriverKey against the registry under test.
#include "settings/boot_store.h"
#include "settings/boot_word.h"
#include "settings/settings_store.h"
#include "settings_fixture.h"

namespace {

const uint32_t kOlderBuild = 319;
const uint32_t kNewerBuild = 320;

class BootStore : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        LoadSettings();  // board constants: TNT2, 125 / 150 MHz defaults
        ticks_.SetNow(0x12345678);
        strcpy(gApp.installPath, "C:\\VELKOR");  // as "Path" gives it
        system_.AddPath("C:\\VELKOR\\Arbolt.exe", "C:\\VELKOR\\Arbolt.exe");
    }

    // The clocks the user kept; the chip runs at them when the store runs.
    void Keep(uint32_t gfxMHz, uint32_t memMHz)
    {
        gApp.gfx.pendingBoot = gfxMHz;
        gApp.mem.pendingBoot = memMHz;
        SetLiveClocks(gfxMHz ? gfxMHz : 125, memMHz ? memMHz : 150);
    }
    void PlantOldRecords()
    {
        PutDword(kTestSettingsKey, "Gracie", 111);
        PutDword(kTestSettingsKey, "George", 222);
        PutDword(kTestSystemKey, "Gracie", 0x0001E30D);
        PutDword(kTestSystemKey, "George", 0x0000880D);
        PutDword(kTestSimTweakKey, "Krusty", 0xDEADBEEF);
        PutString(kTestRunKey, "NvInitialize", "C:\\Old\\Arbolt.exe");
    }
    uint32_t ExpectedWord(uint32_t gfxMHz, uint32_t memMHz, uint32_t seed)
    {
        return ScrambleBootClocks(gfxMHz, memMHz, gApp.deviceId, seed);
    }
};

TEST_F(BootStore, OlderDriverWithDefaultClocksDeletesBothRecords)
{
    gApp.driverBuild = kOlderBuild;
    PlantOldRecords();
    Keep(125, 150);
    EXPECT_EQ(1, StoreBootClocks());

    EXPECT_FALSE(Has(kTestSettingsKey, "Gracie"));
    EXPECT_FALSE(Has(kTestSettingsKey, "George"));
    EXPECT_FALSE(Has(kTestSystemKey, "Gracie"));
    EXPECT_FALSE(Has(kTestSystemKey, "George"));
    // The companion's records belong to the other path.
    EXPECT_EQ(0xDEADBEEFu, Dword(kTestSimTweakKey, "Krusty"));
    EXPECT_EQ("C:\\Old\\Arbolt.exe", String(kTestRunKey, "NvInitialize"));
    EXPECT_EQ(0, display_.KeyQueryCount());
    EXPECT_EQ(0u, gApp.gfx.pendingBoot);
    EXPECT_EQ(0u, gApp.mem.pendingBoot);
}

TEST_F(BootStore, OlderDriverRecordsMHzAndThePllWordOfTheRaisedClock)
{
    gApp.driverBuild = kOlderBuild;
    PlantOldRecords();
    Keep(125, 166);
    StoreBootClocks();

    EXPECT_FALSE(Has(kTestSettingsKey, "Gracie"));
    EXPECT_EQ(166u, Dword(kTestSettingsKey, "George"));
    EXPECT_FALSE(Has(kTestSystemKey, "Gracie"));
    uint32_t word = Dword(kTestSystemKey, "George");
    EXPECT_NE(0u, word & 0xFF) << "a usable reference divider";
    EXPECT_EQ(0u, word >> 19);
    EXPECT_EQ(166u, ClockOfWord(word));
}

TEST_F(BootStore, ADomainWithoutAPendingClockKeepsItsRecords)
{
    for (uint32_t build : {kOlderBuild, kNewerBuild}) {
        SCOPED_TRACE(build);
        gApp.driverBuild = build;
        PlantOldRecords();
        Keep(0, 166);
        StoreBootClocks();
        EXPECT_EQ(111u, Dword(kTestSettingsKey, "Gracie"));
        EXPECT_EQ(166u, Dword(kTestSettingsKey, "George"));
        if (build == kOlderBuild) {
            EXPECT_EQ(0x0001E30Du, Dword(kTestSystemKey, "Gracie"));
            EXPECT_EQ(166u, ClockOfWord(Dword(kTestSystemKey, "George")));
        }
    }
}

TEST_F(BootStore, StoreReadsTheBaselineAgainAndClearsThePendingClocks)
{
    for (uint32_t build : {kOlderBuild, kNewerBuild}) {
        SCOPED_TRACE(build);
        gApp.driverBuild = build;
        gApp.gfx.baseline = 1;
        gApp.mem.baseline = 2;
        Keep(140, 166);
        StoreBootClocks();
        EXPECT_EQ(140u, gApp.gfx.baseline);
        EXPECT_EQ(166u, gApp.mem.baseline);
        EXPECT_EQ(0u, gApp.gfx.pendingBoot);
        EXPECT_EQ(0u, gApp.mem.pendingBoot);
    }
}

TEST_F(BootStore, DriverBuildChoosesThePath)
{
    struct Case {
        uint32_t build;
        bool companion;
    };
    for (const Case& c : {Case{0, false}, Case{319, false}, Case{320, true}, Case{450, true}}) {
        SCOPED_TRACE(c.build);
        store_->Wipe();
        gApp.driverBuild = c.build;
        Keep(140, 166);
        StoreBootClocks();
        EXPECT_EQ(!c.companion, Has(kTestSystemKey, "Gracie"));
        EXPECT_EQ(c.companion, Has(kTestSimTweakKey, "Krusty"));
        EXPECT_EQ(c.companion, Has(kTestRunKey, "NvInitialize"));
        EXPECT_EQ(140u, Dword(kTestSettingsKey, "Gracie"));
    }
}

// A store of the defaults removes Velkor's own pair only, and one with
// nothing pending (a stray timer message) changes nothing at all; neither
// makes a key just to find nothing to do.
TEST_F(BootStore, AStoreOfTheDefaultsOrOfNothingTouchesOnlyVelkorsOwnEntry)
{
    const struct Case {
        const char* what;
        uint32_t build, gfx, mem;
        const char* entry;
        bool entryGoes;
    } cases[] = {
        {"defaults, the entry ours", kNewerBuild, 125, 150, "C:\\VELKOR\\Arbolt.exe", true},
        {"defaults, the entry ours in another case", kNewerBuild, 125, 150, "c:\\velkor\\ARBOLT.EXE", true},
        {"defaults, another program's companion", kNewerBuild, 125, 150, "C:\\Other\\Arbolt.exe", false},
        {"defaults, another program, quoted", kNewerBuild, 125, 150, "\"C:\\Other\\Other.exe\" /x", false},
        {"nothing pending", kNewerBuild, 0, 0, "C:\\VELKOR\\Arbolt.exe", false},
        {"nothing pending, older driver", kOlderBuild, 0, 0, "C:\\VELKOR\\Arbolt.exe", false},
        {"defaults, older driver", kOlderBuild, 125, 150, "C:\\VELKOR\\Arbolt.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store_->Wipe();
        gApp.driverBuild = c.build;
        PutString(kTestRunKey, "NvInitialize", c.entry);
        Keep(c.gfx, c.mem);
        StoreBootClocks();
        EXPECT_EQ(!c.entryGoes, Has(kTestRunKey, "NvInitialize"));
        EXPECT_FALSE(store_->KeyExists(kTestSimTweakKey));
        EXPECT_FALSE(store_->KeyExists(kTestSystemKey));
        EXPECT_EQ(c.gfx != 0, store_->KeyExists(kTestSettingsKey));
    }
}

TEST_F(BootStore, NewerDriverNeverCreatesTheRunKeyToDeleteFromIt)
{
    gApp.driverBuild = kNewerBuild;
    bool runKeyExisted = store_->KeyExists(kTestRunKey);
    Keep(0, 0);  // both domains stand for their defaults
    StoreBootClocks();
    EXPECT_EQ(runKeyExisted, store_->KeyExists(kTestRunKey));
    for (const std::string& open : seam_.Opens())
        EXPECT_NE("create " + std::string(kTestRunKey), open);
}

TEST_F(BootStore, NewerDriverWritesTheWordAndTheLogOnEntry)
{
    struct Case {
        const char* what;
        uint32_t pendingGfx, pendingMem;
        uint32_t gfx, mem;  // the clocks the word carries
    };
    const Case cases[] = {
        {"graphics at default, memory raised", 125, 166, 125, 166},
        {"no graphics clock pending", 0, 166, 125, 166},
        {"graphics raised, memory at default", 140, 150, 140, 150},
        {"both raised", 140, 183, 140, 183},
    };
    gApp.driverBuild = kNewerBuild;
    strcpy(gApp.installPath, "C:\\Program Files\\Velkor");
    system_.AddPath("C:\\Program Files\\Velkor\\Arbolt.exe", "C:\\PROGRA~1\\VELKOR\\ARBOLT.EXE");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Keep(c.pendingGfx, c.pendingMem);
        StoreBootClocks();
        uint32_t word = Dword(kTestSimTweakKey, "Krusty");
        EXPECT_EQ(ExpectedWord(c.gfx, c.mem, 0x12345678), word);
        uint32_t gfx = 0, mem = 0;
        UnscrambleBootClocks(word, kTnt2DeviceId, Dword(kTestSimTweakKey, "Homer"), &gfx, &mem);
        EXPECT_EQ(c.gfx, gfx);
        EXPECT_EQ(c.mem, mem);
        EXPECT_EQ("C:\\PROGRA~1\\VELKOR\\ARBOLT.EXE", String(kTestRunKey, "NvInitialize"));
    }
}

TEST_F(BootStore, SeedIsMadeOnceAndReused)
{
    gApp.driverBuild = kNewerBuild;
    Keep(140, 166);
    ticks_.SetNow(1000);
    StoreBootClocks();
    uint32_t first = Dword(kTestSimTweakKey, "Krusty");
    EXPECT_EQ(1000u, Dword(kTestSimTweakKey, "Homer"));

    Keep(140, 166);
    ticks_.SetNow(5000);
    StoreBootClocks();
    EXPECT_EQ(1000u, Dword(kTestSimTweakKey, "Homer"));
    EXPECT_EQ(first, Dword(kTestSimTweakKey, "Krusty"));

    // A seed the store cannot use is replaced by the tick count.
    const std::vector<uint8_t> badSeeds[] = {{1, 2}, TextBytes("1000"), std::vector<uint8_t>(24, 1)};
    const uint32_t badTypes[] = {kRegDword, kRegSz, kRegDword};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        PutRaw(kTestSimTweakKey, "Homer", badTypes[i], badSeeds[i]);
        ticks_.SetNow(7000 + i);
        Keep(140, 166);
        StoreBootClocks();
        EXPECT_EQ(7000u + i, Dword(kTestSimTweakKey, "Homer"));
        EXPECT_EQ(ExpectedWord(140, 166, 7000 + i), Dword(kTestSimTweakKey, "Krusty"));
    }
}

TEST_F(BootStore, DriverKeyComesFromTheEscapeOnceARun)
{
    gApp.driverBuild = kNewerBuild;
    display_.SetDriverKey("System\\CurrentControlSet\\Services\\Class\\Display\\0001");
    Keep(140, 166);
    StoreBootClocks();
    const char* tweak = "System\\CurrentControlSet\\Services\\Class\\Display\\0001\\NVTweak\\Hardware";
    EXPECT_TRUE(Has(tweak, "Krusty"));
    EXPECT_EQ(1, display_.KeyQueryCount());

    Keep(125, 150);
    StoreBootClocks();
    EXPECT_FALSE(Has(tweak, "Krusty"));
    EXPECT_EQ(1, display_.KeyQueryCount());
    EXPECT_STREQ("System\\CurrentControlSet\\Services\\Class\\Display\\0001", GetDisplayDriverKey());
}

TEST_F(BootStore, DriverKeyFallsBackToTheFixedKeyWithoutAUsableAnswer)
{
    struct Case {
        const char* what;
        SimKeyEscapeMode mode;
        const char* key;
    };
    const Case cases[] = {
        {"escape fails", SimKeyEscapeMode::Fail, kSimDriverKey},
        {"answer without a NUL", SimKeyEscapeMode::Unterminated, kSimDriverKey},
        {"empty answer", SimKeyEscapeMode::Answer, ""},
    };
    gApp.driverBuild = kNewerBuild;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store_->Wipe();
        gApp.driverKeyAsked = 0;
        display_.SetKeyEscapeMode(c.mode);
        display_.SetDriverKey(c.key);
        int asked = display_.KeyQueryCount();
        Keep(140, 166);
        StoreBootClocks();
        EXPECT_EQ(ExpectedWord(140, 166, 0x12345678), Dword(kTestFallbackTweakKey, "Krusty"));
        EXPECT_EQ(0x12345678u, Dword(kTestFallbackTweakKey, "Homer"));

        // Not asked again in this run, even after the failure.
        Keep(140, 183);
        StoreBootClocks();
        EXPECT_EQ(asked + 1, display_.KeyQueryCount());
        EXPECT_EQ(ExpectedWord(140, 183, 0x12345678), Dword(kTestFallbackTweakKey, "Krusty"));
    }
}

// The log-on entry names a companion that is there, in short form (no
// blanks): the one in the folder "Path" names, however it is spelled, else
// the one beside the program; when there is none, no entry may start a
// missing file, and another program's entry stays.
TEST_F(BootStore, TheLogOnEntryNamesACompanionThatIsThere)
{
    const std::string tooLong(245, 'd');
    const char* inPath = "C:\\PROGRA~1\\VELKOR\\ARBOLT.EXE";
    const char* beside = "C:\\BESIDE\\ARBOLT.EXE";
    const struct Case {
        const char* what;
        std::string installPath;
        bool besideThere;
        const char* entry;  // null: no pair written
    } cases[] = {
        {"no Path, no companion beside the program", "", false, nullptr},
        {"Path names no folder, none beside", "C:\\Velkor Gone", false, nullptr},
        {"no Path", "", true, beside},
        {"Path too long to join", tooLong, true, beside},
        {"Path names no folder", "C:\\Velkor Gone", true, beside},
        {"Path with blanks", "C:\\Program Files\\Velkor", true, inPath},
        {"quoted Path", "\"C:\\Program Files\\Velkor\"", true, inPath},
        {"Path ending in a backslash", "C:\\Program Files\\Velkor\\", true, inPath},
        {"Path in short form", "C:\\PROGRA~1\\VELKOR", true, inPath},
    };
    gApp.driverBuild = kNewerBuild;
    system_.SetProgramPath("C:\\Beside\\Velkor.exe");
    system_.AddPath("C:\\Program Files\\Velkor\\Arbolt.exe", inPath);
    int added = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store_->Wipe();
        PlantOldRecords();
        if (c.besideThere && !added)  // from here on the file is there
            added = system_.AddPath("C:\\Beside\\Arbolt.exe", beside);
        memcpy(gApp.installPath, c.installPath.c_str(), c.installPath.size() + 1);
        Keep(140, 166);
        StoreBootClocks();
        EXPECT_EQ(c.entry != nullptr, Has(kTestSimTweakKey, "Krusty"));
        EXPECT_EQ(c.entry ? c.entry : "C:\\Old\\Arbolt.exe", String(kTestRunKey, "NvInitialize"));
    }
}

// The key path and the command line are built in 256-byte buffers.
TEST_F(BootStore, DriverKeyTooLongForTheTweakPathSkipsThatKeyAndTheLogOnEntry)
{
    const std::string root = std::string(kTestKeyRoot) + "\\";
    struct Case {
        size_t length;  // of the driver key text
        bool written;
    };
    gApp.driverBuild = kNewerBuild;
    for (const Case& c : {Case{238, true}, Case{239, false}, Case{251, false}}) {
        SCOPED_TRACE(c.length);
        store_->Wipe();
        gApp.driverKeyAsked = 0;
        const std::string key = root + std::string(c.length - root.size(), 'k');
        display_.SetDriverKey(key.c_str());
        PutString(kTestRunKey, "NvInitialize", "C:\\VELKOR\\Arbolt.exe");
        Keep(140, 166);
        StoreBootClocks();
        EXPECT_EQ(c.written, Has(key + "\\NVTweak\\Hardware", "Krusty"));
        EXPECT_EQ(c.written, store_->KeyExists(key + "\\NVTweak"));
        // The log-on entry goes with its word; the rest of the store still happens.
        EXPECT_EQ(c.written, Has(kTestRunKey, "NvInitialize"));
        if (c.written) {
            EXPECT_EQ("C:\\VELKOR\\Arbolt.exe", String(kTestRunKey, "NvInitialize"));
        }
        EXPECT_EQ(140u, Dword(kTestSettingsKey, "Gracie"));
        EXPECT_EQ(0u, gApp.gfx.pendingBoot);
    }
    // No cut-off key was made in place of the real one.
    for (const std::string& open : seam_.Opens())
        EXPECT_TRUE(open.find(root) == std::string::npos || open.find("\\NVTweak\\Hardware") != std::string::npos)
            << open;
}

// "Krusty" and "NvInitialize" are written together and removed together: an
// install path too long for the command removes the earlier pair instead of
// leaving a word that no entry reads, or an entry that sets stale clocks.
TEST_F(BootStore, InstallPathTooLongForTheCommandKeepsThePairTogether)
{
    gApp.driverBuild = kNewerBuild;
    for (size_t length : {244, 245, 255}) {
        SCOPED_TRACE(length);
        store_->Wipe();
        PlantOldRecords();
        std::string path(length, 'd');
        memcpy(gApp.installPath, path.c_str(), length + 1);
        if (length <= 244)
            system_.AddPath((path + "\\Arbolt.exe").c_str(), (path + "\\Arbolt.exe").c_str());
        Keep(140, 166);
        StoreBootClocks();
        EXPECT_EQ(140u, Dword(kTestSettingsKey, "Gracie"));
        if (length <= 244) {
            EXPECT_EQ(ExpectedWord(140, 166, 0x12345678), Dword(kTestSimTweakKey, "Krusty"));
            EXPECT_EQ(path + "\\Arbolt.exe", String(kTestRunKey, "NvInitialize"));
        } else {
            EXPECT_FALSE(Has(kTestSimTweakKey, "Krusty"));
            EXPECT_EQ("C:\\Old\\Arbolt.exe", String(kTestRunKey, "NvInitialize")) << "not Velkor's to take";
        }
    }
}

TEST_F(BootStore, OlderDriverNeverRecordsAWordOfZero)
{
    // The TNT search finds nothing above 151 MHz.
    UseBoard(BoardKind::TNT, 0x0020);
    LoadSettings();
    gApp.driverBuild = kOlderBuild;
    PlantOldRecords();
    gApp.gfx.pendingBoot = 200;
    gApp.mem.pendingBoot = 120;
    StoreBootClocks();
    EXPECT_FALSE(Has(kTestSystemKey, "Gracie"));
    EXPECT_EQ(200u, Dword(kTestSettingsKey, "Gracie"));
    uint32_t word = Dword(kTestSystemKey, "George");
    EXPECT_EQ(120u, ClockOfWord(word));
}

}  // namespace
