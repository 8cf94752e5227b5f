// Not part of the normal run: leaves a first save and a kept-clock store in
// the prefix's registry, for settings_records.sh to read back with reg.exe
// from outside the program.
#include <string.h>

#include "platform/win32/win32_platform.h"
#include "settings/boot_store.h"
#include "settings/settings_store.h"
#include "settings_fixture.h"

namespace {

class DISABLED_LeaveRecords : public SettingsTest {
protected:
    void TearDown() override { EXPECT_EQ(0, seam_.OpenKeys()); }  // no wipe: the script reads them
};

TEST_F(DISABLED_LeaveRecords, FirstSaveAndStoreForTheCompanion)
{
    Win32Display display;  // the real escape; Wine does not know it, so the fixed key serves
    gApp.platform.display = &display;
    PutString(kTestSettingsKey, "Path", "C:\\Program Files\\Velkor");
    system_.AddPath("C:\\Program Files\\Velkor\\Arbolt.exe", "C:\\PROGRA~1\\VELKOR\\ARBOLT.EXE");
    LoadSettings();
    gApp.resetOnReboot = 0;
    SaveSettings();

    gApp.driverBuild = 320;
    ticks_.SetNow(0x12345678);
    gApp.gfx.pendingBoot = 140;
    gApp.mem.pendingBoot = 166;
    SetLiveClocks(140, 166);
    StoreBootClocks();
    EXPECT_STREQ("SOFTWARE\\NVIDIA Corporation\\RIVA TNT", GetDisplayDriverKey());
    gApp.platform.display = &display_;
}

}  // namespace
