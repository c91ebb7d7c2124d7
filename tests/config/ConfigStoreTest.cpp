#include "config/ConfigStore.h"
#include "config/CopyFolderTree.h"
#include "config/FormatText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <functional>

using testing_support::TempFolder;

namespace {

// A program folder with a default tree, and a documents folder.
struct Installation {
    TempFolder program;
    TempFolder documents;
    Installation() {
        program.write("conf/TotalConfig/Tavimoor.ini", "[MPlayer]\nLanguage=english.ini\nVolume=55\n");
        program.write("conf/TotalConfig/extra/readme.txt", "defaults");
    }
};

}  // namespace

TEST(ConfigStore, FirstStartCreatesTheUserFolderAndCopiesTheWholeTree) {
    Installation inst;
    ConfigStore store(inst.program.path());
    store.InitConfigPaths(inst.documents.path());
    const std::string userData = inst.documents.path() + "Veltara DVR Player/";
    EXPECT_EQ(store.userDataFolder(), userData);
    EXPECT_EQ(store.configFilePath(), userData + "conf/Tavimoor.ini");
    EXPECT_EQ(inst.documents.read("Veltara DVR Player/conf/extra/readme.txt"), "defaults");
    AppConfig config;
    store.LoadConfig(config);
    EXPECT_EQ(config.languageFile, "english.ini");
    EXPECT_EQ(config.volume, 55);
    EXPECT_EQ(store.languageFilePath(), inst.program.path() + "conf/sysconfig/english.ini");
}

TEST(ConfigStore, LaterStartKeepsTheUsersFileAndAddsNewDefaults) {
    Installation inst;
    {
        ConfigStore store(inst.program.path());
        store.InitConfigPaths(inst.documents.path());
        ASSERT_TRUE(store.WriteConfigInt(77, "Volume"));
    }
    inst.program.write("conf/TotalConfig/Tavimoor.ini", "[MPlayer]\nVolume=10\n");
    inst.program.write("conf/TotalConfig/new.txt", "new");
    ConfigStore store(inst.program.path());
    store.InitConfigPaths(inst.documents.path());
    EXPECT_EQ(store.ReadConfigInt(40, "Volume"), 77);
    EXPECT_EQ(inst.documents.read("Veltara DVR Player/conf/new.txt"), "new");
}

TEST(ConfigStore, FallsBackToTheProgramFolder) {
    auto expectFallback = [](const ConfigStore& store, const std::string& program) {
        EXPECT_EQ(store.userDataFolder(), program + "Screencut/");
        EXPECT_EQ(store.configFilePath(), program + "conf/TotalConfig/Tavimoor.ini");
    };
    {  // default tree missing
        TempFolder program, documents;
        ConfigStore store(program.path());
        store.InitConfigPaths(documents.path());
        expectFallback(store, program.path());
        EXPECT_FALSE(::access((program.path() + "Screencut").c_str(), F_OK) == 0);
    }
    {  // default tree empty
        TempFolder program, documents;
        ::mkdir((program.path() + "conf").c_str(), 0755);
        ::mkdir((program.path() + "conf/TotalConfig").c_str(), 0755);
        ConfigStore store(program.path());
        store.InitConfigPaths(documents.path());
        expectFallback(store, program.path());
    }
    {  // documents folder missing, or none at all
        Installation inst;
        ConfigStore store(inst.program.path());
        store.InitConfigPaths(inst.documents.path() + "missing");
        expectFallback(store, inst.program.path());
        store.InitConfigPaths("");
        expectFallback(store, inst.program.path());
    }
    {  // the user folder's place is taken by a file
        Installation inst;
        inst.documents.write("Veltara DVR Player", "not a folder");
        ConfigStore store(inst.program.path());
        store.InitConfigPaths(inst.documents.path());
        expectFallback(store, inst.program.path());
    }
}

TEST(ConfigStore, EmptyOrBrokenFileGivesAllDefaults) {
    TempFolder tmp;
    std::string binary("\xff\xfe\x00\x01[MPl\x80\n\x00=\x01", 14);
    for (const std::string& contents : {std::string(), std::string("garbage\n===\n[[[\n"), binary}) {
        tmp.write("conf/TotalConfig/Tavimoor.ini", contents);
        ConfigStore store(tmp.path());
        AppConfig config;
        store.LoadConfig(config);
        EXPECT_EQ(config.languageFile, "polish.ini");
        EXPECT_EQ(config.locale, "Oversea");
        EXPECT_EQ(config.videoOutput, "directx:noaccel");
        EXPECT_EQ(config.audioOutput, "dsound");
        EXPECT_EQ(config.soundDevice, 0);
        EXPECT_EQ(config.volume, 40);
        EXPECT_FALSE(config.snapshotPreview);
        EXPECT_FALSE(config.cleanTip);
        EXPECT_EQ(config.mapKind.load(), 0);
    }
}

TEST(ConfigStore, ValuesAreReadAsTheProfileFunctionsDo) {
    TempFolder tmp;
    const std::string longValue(300, 'v');
    std::string longUtf8;
    for (int i = 0; i < 300; ++i) longUtf8 += "ж";
    tmp.write("conf/TotalConfig/Tavimoor.ini", "[MPlayer]\nSSPreview=2\nCleanTip=0\nVO=" + longValue +
                                                   "\nAO=" + longUtf8 + "\nVolume=\nDEVICE=  -3x\nLocale=abc\n");
    ConfigStore store(tmp.path());
    AppConfig config;
    store.LoadConfig(config);
    EXPECT_TRUE(config.snapshotPreview);
    EXPECT_FALSE(config.cleanTip);
    EXPECT_EQ(config.videoOutput, longValue.substr(0, 254));
    EXPECT_EQ(config.audioOutput.size(), 254u * 2);  // 254 characters of two bytes
    EXPECT_EQ(config.volume, 40);                    // empty value: default
    EXPECT_EQ(config.soundDevice, -3);
    EXPECT_EQ(ConfigStore::parseProfileInt("abc"), 0);
    EXPECT_EQ(ConfigStore::parseProfileInt("99999999999"), 2147483647);
}

TEST(ConfigStore, LanguageStringsAndPath) {
    TempFolder tmp;
    tmp.write("conf/sysconfig/english.ini", "[Main_Interface]\nIDS_TITLE=Veltara DVR Player\n");
    ConfigStore store(tmp.path());
    store.SetLanguageFilePath(store.languageFolder() + "english.ini");
    EXPECT_EQ(store.ReadLanguageString("IDS_TITLE", "Main_Interface"), "Veltara DVR Player");
    EXPECT_EQ(store.ReadLanguageString("IDS_NONE", "Main_Interface"), "");
    // An unknown language, or one that names a path or a FIFO, gives English texts.
    store.SetLanguageFilePath(store.languageFolder() + "klingon.ini");
    EXPECT_EQ(store.ReadLanguageString("IDS_TITLE", "Main_Interface"), "Veltara DVR Player");
    ASSERT_EQ(::mkfifo((tmp.path() + "conf/sysconfig/fifo.ini").c_str(), 0600), 0);
    store.SetLanguageFilePath(store.languageFolder() + "fifo.ini");
    EXPECT_EQ(store.ReadLanguageString("IDS_TITLE", "Main_Interface"), "Veltara DVR Player");
    for (const char* bad : {"../../dev/zero", "/etc/passwd", "..", "a\\b.ini", ""}) {
        tmp.write("conf/TotalConfig/Tavimoor.ini", std::string("[MPlayer]\nLanguage=") + bad + "\n");
        AppConfig config;
        store.LoadConfig(config);
        EXPECT_EQ(config.languageFile, "english.ini") << bad;
    }
}

TEST(ConfigStore, SettingsFileThatIsNoSmallRegularFileGivesDefaultsAndStaysUntouched) {
    TempFolder tmp;
    const std::string ini = tmp.path() + "conf/TotalConfig/Tavimoor.ini";
    const std::string big = "[MPlayer]\nVolume=77\n" + std::string(2 << 20, ';');
    const auto makeFifo = [&] { return ::mkfifo(ini.c_str(), 0600) == 0; };
    const auto linkZero = [&] { return ::symlink("/dev/zero", ini.c_str()) == 0; };
    const auto writeBig = [&] { return !tmp.write("conf/TotalConfig/Tavimoor.ini", big).empty(); };
    tmp.write("conf/TotalConfig/x", "");
    for (const auto& make :
         {std::function<bool()>(makeFifo), std::function<bool()>(linkZero), std::function<bool()>(writeBig)}) {
        ::unlink(ini.c_str());
        ASSERT_TRUE(make());
        struct stat before;
        ASSERT_EQ(::lstat(ini.c_str(), &before), 0);
        ConfigStore store(tmp.path());
        AppConfig config;
        store.LoadConfig(config);  // returns at once: nothing waits on a writer or reads for ever
        EXPECT_EQ(config.volume, 40);
        EXPECT_FALSE(store.WriteConfigInt(5, "Volume"));
        struct stat after;
        ASSERT_EQ(::lstat(ini.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size, before.st_size);
    }
}

TEST(CopyFolderTree, ResultIsThatOfTheLastEntry) {
    TempFolder tmp;
    EXPECT_FALSE(CopyFolderTree("", tmp.path() + "d", true));
    tmp.write("src/a.txt", "a");
    ::mkdir((tmp.path() + "src/empty").c_str(), 0755);
    // An empty subfolder fails the copy (it has no entries of its own).
    EXPECT_FALSE(CopyFolderTree(tmp.path() + "src", tmp.path() + "dst", true));
    ::rmdir((tmp.path() + "src/empty").c_str());
    tmp.write("dst/a.txt", "user");
    EXPECT_TRUE(CopyFolderTree(tmp.path() + "src", tmp.path() + "dst", true));
    EXPECT_EQ(tmp.read("dst/a.txt"), "user");
}

TEST(FormatText, MeasuresFirstAndNeverCuts) {
    EXPECT_EQ(FormatText("%d%s", -6, "G"), "-6G");
    EXPECT_EQ(FormatText("%s", std::string(5000, 'x').c_str()).size(), 5000u);
    EXPECT_EQ(FormatText("%s", ""), "");
}
