// The configuration shipped in conf/: the defaults a first-time user gets and
// the language files.
#include "config/ConfigStore.h"
#include "config/PrivateProfile.h"

#include <gtest/gtest.h>

namespace {
const std::string kConf = std::string(VELTARA_TEST_SOURCE_DIR) + "conf/";
}

TEST(ShippedConfiguration, DefaultsAreThoseOfAFirstTimeUser) {
    ConfigStore store(VELTARA_TEST_SOURCE_DIR);
    AppConfig config;
    store.LoadConfig(config);
    EXPECT_EQ(config.languageFile, "english.ini");
    EXPECT_EQ(config.locale, "Oversea");
    EXPECT_EQ(store.ReadConfigString("", "Map"), "GoogleMap");
    EXPECT_EQ(store.ReadConfigString("", "Associate"), "MP4;MOV");
    EXPECT_EQ(store.ReadConfigString("", "Filter"), "*.mp4;*.mov");
}
