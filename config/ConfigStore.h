#pragma once
// The configuration store: the folders the program works in, the per-user
// copy of the default configuration, the profile helpers on the
// configuration and language files, and the loading of AppConfig.
//
// Threads: created, set up (InitConfigPaths, then LoadConfig) and changed
// (SetLanguageFilePath) on the UI thread before or while the window runs.
// The read and write helpers may be called from any thread once the paths
// are set; each read sees the file as it is now.
#include "config/AppConfig.h"

#include <string>
#include <string_view>

class ConfigStore {
public:
    static constexpr std::string_view kSection = "MPlayer";
    static constexpr std::string_view kCameraLayoutKey = "CameraLayout";
    static constexpr std::string_view kMirrorRearKey = "MirrorRear";
    static constexpr std::string_view kLargeCameraKey = "LargeCamera";
    static constexpr size_t kMaxValueCharacters = 254;
    static constexpr std::string_view kFallbackLanguage = "english.ini";

    // programFolder ends in "/".
    explicit ConfigStore(std::string programFolder);

    // Resolves the user data folder and the configuration file from the
    // documents folder (the platform's when none is given), copying the
    // default tree into the user's folder; falls back to the program folder.
    void InitConfigPaths();
    void InitConfigPaths(const std::string& documentsFolder);
    void LoadConfig(AppConfig& config);
    // Reads and writes this file instead (a tool that only reads settings).
    void UseConfigFile(std::string path) { configFilePath_ = std::move(path); }
    // The user's settings file the program keeps under the documents folder.
    static std::string UserConfigFile(const std::string& documentsFolder);

    // At most 254 characters come back; an absent key gives the default.
    std::string ReadConfigString(std::string_view defaultValue, std::string_view key,
                                 std::string_view section = kSection) const;
    int ReadConfigInt(int defaultValue, std::string_view key, std::string_view section = kSection) const;
    // False when the file could not be written; it is then unchanged.
    bool WriteConfigString(std::string_view value, std::string_view key, std::string_view section = kSection) const;
    bool WriteConfigInt(int value, std::string_view key, std::string_view section = kSection) const;
    // The text of the language file; where that file or the key is absent,
    // the English text; the empty string when that is absent too.
    std::string ReadLanguageString(std::string_view key, std::string_view section) const;
    void SetLanguageFilePath(std::string path);

    const std::string& programFolder() const { return programFolder_; }
    const std::string& userDataFolder() const { return userDataFolder_; }
    const std::string& configFilePath() const { return configFilePath_; }
    const std::string& languageFilePath() const { return languageFilePath_; }
    // The folder of the language files: <program folder>conf/sysconfig/.
    std::string languageFolder() const { return programFolder_ + "conf/sysconfig/"; }

    // A plain file name (no path separator, not "." or ".."): what
    // Language= may name; anything else falls back to kFallbackLanguage.
    static bool isLanguageFileName(std::string_view name);
    // Parses a decimal integer as the profile functions do: blanks, a sign
    // and digits; no number gives 0.
    static int parseProfileInt(std::string_view text);
    // Cuts a UTF-8 text to at most `characters` characters.
    static std::string truncateCharacters(std::string_view text, size_t characters);

private:
    void useFallbackPaths();

    std::string programFolder_;
    std::string userDataFolder_;
    std::string configFilePath_;
    std::string languageFilePath_;
};
