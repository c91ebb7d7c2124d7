#include "config/ConfigStore.h"

#include "config/CopyFolderTree.h"
#include "config/PrivateProfile.h"
#include "platform/DocumentsFolder.h"
#include "platform/FileSystem.h"

#include <climits>
#include <cstdlib>

ConfigStore::ConfigStore(std::string programFolder)
    : programFolder_(platform::withTrailingSlash(std::move(programFolder))) {
    useFallbackPaths();
}

void ConfigStore::InitConfigPaths() {
    InitConfigPaths(platform::documentsFolder());
}

void ConfigStore::InitConfigPaths(const std::string& documentsFolder) {
    if (documentsFolder.empty() || !platform::isDirectory(documentsFolder)) {
        useFallbackPaths();
        return;
    }
    const std::string userData = platform::withTrailingSlash(documentsFolder) + "Veltara DVR Player/";
    if (!platform::makeDirectory(userData)) {
        useFallbackPaths();
        return;
    }
    // Runs at every start: existing files are kept, missing defaults added.
    if (!CopyFolderTree(programFolder_ + "conf/TotalConfig/", userData + "conf/", true)) {
        useFallbackPaths();
        return;
    }
    userDataFolder_ = userData;
    configFilePath_ = UserConfigFile(documentsFolder);
}

std::string ConfigStore::UserConfigFile(const std::string& documentsFolder) {
    return platform::withTrailingSlash(documentsFolder) + "Veltara DVR Player/conf/Tavimoor.ini";
}

void ConfigStore::useFallbackPaths() {
    userDataFolder_ = programFolder_ + "Screencut/";
    configFilePath_ = programFolder_ + "conf/TotalConfig/Tavimoor.ini";
}

void ConfigStore::LoadConfig(AppConfig& config) {
    config.languageFile = ReadConfigString("polish.ini", "Language");
    // A language is a file of the language folder, never a path elsewhere.
    if (!isLanguageFileName(config.languageFile)) config.languageFile = std::string(kFallbackLanguage);
    SetLanguageFilePath(languageFolder() + config.languageFile);
    config.locale = ReadConfigString("Oversea", "Locale");
    config.videoOutput = ReadConfigString("directx:noaccel", "VO");
    config.audioOutput = ReadConfigString("dsound", "AO");
    config.soundDevice = ReadConfigInt(0, "DEVICE");
    config.volume = ReadConfigInt(40, "Volume");
    config.snapshotPreview = ReadConfigInt(0, "SSPreview") != 0;
    config.cleanTip = ReadConfigInt(0, "CleanTip") != 0;
    config.units = Units::fromSetting(ReadConfigInt(0, Units::kSettingKey));
    config.displayZone = DisplayZone::parse(ReadConfigString("system", DisplayZone::kKey));
    config.cameraLayout = cameras::parseLayout(ReadConfigString("inset", kCameraLayoutKey)).value_or(cameras::CameraLayout::Inset);
    config.mirrorRear = ReadConfigInt(0, kMirrorRearKey) != 0;
    config.largeCamera = cameras::channelOfName(ReadConfigString("", kLargeCameraKey));
}

std::string ConfigStore::truncateCharacters(std::string_view text, size_t characters) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        // Count only lead bytes, so a character is never split.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (count == characters) return std::string(text.substr(0, i));
            ++count;
        }
    }
    return std::string(text);
}

int ConfigStore::parseProfileInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

std::string ConfigStore::ReadConfigString(std::string_view defaultValue, std::string_view key,
                                          std::string_view section) const {
    auto value = PrivateProfile::read(configFilePath_, section, key);
    return truncateCharacters(value ? *value : defaultValue, kMaxValueCharacters);
}

int ConfigStore::ReadConfigInt(int defaultValue, std::string_view key, std::string_view section) const {
    auto value = PrivateProfile::read(configFilePath_, section, key);
    if (!value || value->empty()) return defaultValue;
    return parseProfileInt(*value);
}

bool ConfigStore::WriteConfigString(std::string_view value, std::string_view key, std::string_view section) const {
    return PrivateProfile::write(configFilePath_, section, key, value);
}

bool ConfigStore::WriteConfigInt(int value, std::string_view key, std::string_view section) const {
    return WriteConfigString(std::to_string(value), key, section);
}

bool ConfigStore::isLanguageFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string ConfigStore::ReadLanguageString(std::string_view key, std::string_view section) const {
    auto value = PrivateProfile::read(languageFilePath_, section, key);
    // A language file that is missing, unreadable or lacks the text: the
    // English text rather than an empty label.
    if (!value) value = PrivateProfile::read(languageFolder() + std::string(kFallbackLanguage), section, key);
    return truncateCharacters(value ? *value : std::string_view{}, kMaxValueCharacters);
}

void ConfigStore::SetLanguageFilePath(std::string path) {
    languageFilePath_ = std::move(path);
}
