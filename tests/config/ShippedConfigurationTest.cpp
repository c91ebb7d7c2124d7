// The configuration shipped in conf/: the defaults a first-time user gets and
// the language files.
#include "config/ConfigStore.h"
#include "config/PrivateProfile.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <string_view>
#include <vector>

namespace {
const std::string kConf = std::string(VELTARA_TEST_DATA_DIR) + "conf/";

const char* const kLanguageFiles[] = {"polish.ini", "russian.ini",    "english.ini", "french.ini",
                                      "german.ini", "portuguese.ini", "spanish.ini"};

struct TextSection {
    const char* name;
    std::vector<const char*> keys;
};

// Every text the windows look up in a language file.
const TextSection kTextSections[] = {
    {"Main_Interface", {"IDS_STEERING", "IDS_ACCELERATOR", "IDS_BRAKE", "IDS_INDICATORS", "IDS_GEAR", "IDS_ASSIST",
                        "IDS_VEHICLE_ON", "IDS_VEHICLE_OFF", "IDS_VEHICLE_LEFT", "IDS_VEHICLE_RIGHT",
                        "IDS_VEHICLE_BOTH", "IDS_ASSIST_NONE", "IDS_ASSIST_SELF_DRIVING", "IDS_ASSIST_AUTOSTEER",
                        "IDS_ASSIST_CRUISE", "IDS_CHART_SHOW_G", "IDS_CHART_SHOW_CAR", "IDS_CHART_SHOW_BOTH",
                        "IDS_TITLE",         "IDS_PLAYLIST",     "IDS_STATUS",
                        "IDS_GPS",           "IDS_NOGPS",        "IDS_TIME",
                        "IDS_SPEED",         "IDS_LAT",          "IDS_LNG",
                        "IDS_FILTER",        "IDS_OK",           "IDS_CANCEL",
                        "IDS_LANGUAGE",      "IDS_VIDEO",        "IDS_SOUND",
                        "IDS_SOUNDCARD",     "IDS_VERSION",      "IDS_PLAYER",
                        "IDS_SHOWSHOT",      "IDS_TIP_POSITION", "IDS_TIP_PREV",
                        "IDS_TIP_PLAY",      "IDS_TIP_PAUSE",    "IDS_TIP_STOP",
                        "IDS_TIP_NEXT",      "IDS_TIP_MUTE",     "IDS_TIP_SOUNDON",
                        "IDS_TIP_VOLUME",    "IDS_TIP_OPEN",     "IDS_TIP_CLEAR",
                        "IDS_TIP_SNAPSHOT",  "IDS_TIP_SETTINGS", "IDS_TIP_FULL",
                        "IDS_TIP_LEAVEFULL", "IDS_VIDEO_HINT",   "IDS_VO_X11",
                        "IDS_VO_OPENGL",     "IDS_AO_DEFAULT",   "IDS_AO_DEVICE",
                        "IDS_AO_ALSA",       "IDS_AUTODEVICE",   "IDS_DECIMAL",
                        "IDS_KMH",           "IDS_MPH",          "IDS_UNITS",
                        "IDS_METRIC",        "IDS_IMPERIAL",     "IDS_READING_TRACKS",
                        "IDS_TIMEZONE",      "IDS_TZ_SYSTEM",
                        "IDS_TRIP_FIGURES",  "IDS_TRIP_SPAN",    "IDS_TRIP_DISTANCE",
                        "IDS_TRIP_NOTRACK",  "IDS_EVENTS",       "IDS_EVENT_LINE",
                        "IDS_EVENT_BRAKE",   "IDS_EVENT_ACCEL",  "IDS_EVENT_IMPACT",
                        "IDS_EVENTS_LEFT_OUT"}},
    {"Snapshot_Interface",
     {"IDS_CLEANTITLE", "IDS_CLEANTIPCONTENT", "IDS_CLEANTIPCONTENTTWO", "IDS_NOAGAIN", "IDS_SAVEPATH",
      "IDS_SSHOTVIEW"}},
};

std::string languagePath(const char* file) {
    return kConf + "sysconfig/" + file;
}

std::string mainText(const char* file, const char* key) {
    return PrivateProfile::read(languagePath(file), "Main_Interface", key).value_or("");
}

bool isUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t length = c < 0x80                  ? 1
                              : (c >= 0xC2 && c < 0xE0) ? 2
                              : (c >= 0xE0 && c < 0xF0) ? 3
                              : (c >= 0xF0 && c < 0xF5) ? 4
                                                        : 0;
        if (length == 0 || i + length > s.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

bool hasBlankAtAnEnd(const std::string& s) {
    return !s.empty() && (s.front() == ' ' || s.back() == ' ');
}
}  // namespace

TEST(ShippedConfiguration, DefaultsAreThoseOfAFirstTimeUser) {
    ConfigStore store(VELTARA_TEST_DATA_DIR);
    AppConfig config;
    store.LoadConfig(config);
    EXPECT_EQ(config.languageFile, "english.ini");
    EXPECT_EQ(config.locale, "Oversea");
    EXPECT_EQ(store.ReadConfigString("", "Map"), "GoogleMap");
    EXPECT_EQ(store.ReadConfigString("", "Associate"), "MP4;MOV");
    EXPECT_EQ(store.ReadConfigString("", "Filter"), "*.mp4;*.mov");
}

TEST(ShippedConfiguration, EveryLanguageFileHoldsEveryTextAsPlainUtf8) {
    for (const char* file : kLanguageFiles) {
        SCOPED_TRACE(file);
        std::string contents;
        ASSERT_TRUE(platform::readFile(languagePath(file), contents));
        EXPECT_TRUE(isUtf8(contents));
        EXPECT_NE(contents.rfind("\xEF\xBB\xBF", 0), 0u) << "byte order mark";
        for (const TextSection& section : kTextSections) {
            for (const char* key : section.keys) {
                SCOPED_TRACE(key);
                const auto text = PrivateProfile::read(languagePath(file), section.name, key);
                ASSERT_TRUE(text.has_value());
                EXPECT_FALSE(text->empty());
                // Labels show their text as it stands; markup would appear literally.
                EXPECT_EQ(text->find('<'), std::string::npos) << *text;
            }
        }
    }
}

// Names and units may read alike; so may the words the translations already
// shared with English (Latitude, Version, OK).
TEST(ShippedConfiguration, EveryOtherLanguageTranslatesEveryText) {
    const std::vector<std::string_view> alike{"IDS_TITLE", "IDS_OK",  "IDS_VERSION", "IDS_LAT",
                                              "IDS_LNG",   "IDS_KMH", "IDS_MPH",     "IDS_EVENT_LINE"};
    for (const char* file : kLanguageFiles) {
        if (std::string_view(file) == "english.ini") continue;
        SCOPED_TRACE(file);
        for (const TextSection& section : kTextSections) {
            for (const char* key : section.keys) {
                if (std::find(alike.begin(), alike.end(), key) != alike.end()) continue;
                EXPECT_NE(PrivateProfile::read(languagePath(file), section.name, key),
                          PrivateProfile::read(languagePath("english.ini"), section.name, key))
                    << key;
            }
        }
    }
}

TEST(ShippedConfiguration, TextsFitTheLinesTheyAreJoinedInto) {
    for (const char* file : kLanguageFiles) {
        SCOPED_TRACE(file);
        EXPECT_EQ(mainText(file, "IDS_TITLE"), "Veltara DVR Player");
        // The panel puts one blank between label and value; a blank of the text's
        // own would double it.
        for (const char* key : {"IDS_STATUS", "IDS_GPS", "IDS_NOGPS", "IDS_TIME", "IDS_SPEED", "IDS_LAT", "IDS_LNG"})
            EXPECT_FALSE(hasBlankAtAnEnd(mainText(file, key))) << key;
        // The version number and the filter's pattern list follow these texts
        // directly, so they end in one blank of their own (kept by the quotes).
        for (const char* key : {"IDS_VERSION", "IDS_FILTER"}) {
            const std::string text = mainText(file, key);
            ASSERT_GE(text.size(), 2u) << key;
            EXPECT_EQ(text.back(), ' ') << key;
            EXPECT_NE(text[text.size() - 2], ' ') << key;
        }
        // The preview title adds its own colon before the path.
        const auto preview = PrivateProfile::read(languagePath(file), "Snapshot_Interface", "IDS_SSHOTVIEW");
        ASSERT_TRUE(preview.has_value());
        EXPECT_NE(preview->back(), ':');
    }
}
