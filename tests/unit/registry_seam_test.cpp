// The registry seam's promises, checked against the registry under test: in
// the native run they hold the in-memory registry to Windows' behaviour, and
// under Wine the same cases check that behaviour itself.
#include <gtest/gtest.h>

#include <string.h>

#include <memory>

#include "registry_under_test.h"

namespace {

const char kKey[] = "SOFTWARE\\Velkor Test\\Seam\\Inner";

class RegistrySeam : public ::testing::Test {
protected:
    void SetUp() override
    {
        store_ = MakeRegistryUnderTest();
        store_->Wipe();
        registry_ = store_->Seam();
    }
    void TearDown() override { store_->Wipe(); }

    std::unique_ptr<RegistryUnderTest> store_;
    Registry* registry_ = nullptr;
};

TEST_F(RegistrySeam, OpeningAMissingKeyFailsAndCreatesNothing)
{
    RegKey key = 0;
    EXPECT_EQ(0, registry_->OpenForRead(kKey, &key));
    EXPECT_EQ(0, registry_->OpenForWrite(kKey, &key));
    EXPECT_FALSE(store_->KeyExists(kKey));
    EXPECT_FALSE(store_->KeyExists("SOFTWARE\\Velkor Test"));
}

TEST_F(RegistrySeam, CreateMakesTheKeysOnTheWayAndNamesIgnoreCase)
{
    RegKey key = 0;
    ASSERT_EQ(1, registry_->Create(kKey, &key));
    EXPECT_EQ(1, registry_->SetDword(key, "Reboot", 0x01020304));
    registry_->Close(key);
    EXPECT_TRUE(store_->KeyExists("SOFTWARE\\Velkor Test\\Seam"));

    ASSERT_EQ(1, registry_->OpenForRead("software\\VELKOR TEST\\seam\\inner", &key));
    uint8_t data[20] = {};
    uint32_t type = 0, size = sizeof data;
    EXPECT_EQ(1, registry_->QueryValue(key, "REBOOT", &type, data, &size));
    EXPECT_EQ(kRegDword, type);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(0, memcmp(data, "\x04\x03\x02\x01", 4)) << "little-endian";
    registry_->Close(key);

    // Writing under another spelling replaces the value; it does not add one.
    ASSERT_EQ(1, registry_->Create(kKey, &key));
    EXPECT_EQ(1, registry_->SetDword(key, "reboot", 5));
    registry_->Close(key);
    EXPECT_EQ(1u, store_->ValueNames(kKey).size());
}

TEST_F(RegistrySeam, StringsCountTheirNulAndTooSmallBuffersFail)
{
    RegKey key = 0;
    ASSERT_EQ(1, registry_->Create(kKey, &key));
    EXPECT_EQ(1, registry_->SetString(key, "Path", "C:\\Velkor"));
    char text[32];
    uint32_t type = 0, size = sizeof text;
    EXPECT_EQ(1, registry_->QueryValue(key, "Path", &type, text, &size));
    EXPECT_EQ(kRegSz, type);
    EXPECT_EQ(10u, size);
    EXPECT_STREQ("C:\\Velkor", text);

    size = 5;
    EXPECT_EQ(0, registry_->QueryValue(key, "Path", &type, text, &size));
    size = sizeof text;
    EXPECT_EQ(0, registry_->QueryValue(key, "Missing", &type, text, &size));
    registry_->Close(key);
}

TEST_F(RegistrySeam, DeletingWorksOnceAndAMissingValueIsHarmless)
{
    RegKey key = 0;
    ASSERT_EQ(1, registry_->Create(kKey, &key));
    registry_->SetDword(key, "Gracie", 140);
    registry_->SetDword(key, "George", 166);
    EXPECT_EQ(1, registry_->DeleteValue(key, "GRACIE"));
    EXPECT_EQ(0, registry_->DeleteValue(key, "Gracie"));
    registry_->Close(key);
    EXPECT_EQ(std::vector<std::string>{"George"}, store_->ValueNames(kKey));
}

}  // namespace
