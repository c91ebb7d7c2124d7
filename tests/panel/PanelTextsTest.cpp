// The texts of the information panel: what each label shows for a record,
// without a fix, after a language change, and the play time.
#include "config/ConfigStore.h"
#include "evidence/OverlayScript.h"
#include "panel/PanelTexts.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using testing_support::TempFolder;

namespace {

PanelTexts::Labels shortLabels() {
    PanelTexts::Labels labels;
    labels.title = "Player";
    labels.latitude = "Lat:";
    labels.longitude = "Lng:";
    labels.time = "Time:";
    labels.speed = "Speed:";
    labels.status = "Status:";
    labels.fixWord = "GPS";
    labels.noFixWord = "NoGPS";
    labels.playlistHeader = "List";
    return labels;
}

TrackRecord cameraRecord() {
    TrackRecord r;
    r.valid = true;
    r.year = 2016;
    r.month = 5;
    r.day = 20;
    r.hour = 10;
    r.minute = 30;
    r.second = 15;
    r.longitudeHemisphere = 'E';
    r.longitudeDegrees = 113;
    r.longitudeMinutes = 56;
    r.longitudeSeconds = 12.34f;
    r.latitudeHemisphere = 'N';
    r.latitudeDegrees = 22;
    r.latitudeMinutes = 33;
    r.latitudeSeconds = 44.5f;
    r.speed = 43.522f;
    return r;
}

PanelTexts panelWith(const PanelTexts::Labels& labels) {
    PanelTexts panel;
    panel.SetLabels(labels);
    panel.InitPanelTexts();
    return panel;
}

}  // namespace

TEST(PanelTexts, BeforeAnyReportTheLinesAreTheLabels) {
    const PanelTexts panel = panelWith(shortLabels());
    EXPECT_EQ(panel.statusLine(), "Status:");
    EXPECT_EQ(panel.longitudeLine(), "Lng:");
    EXPECT_EQ(panel.timeLine(), "Time:");
    EXPECT_EQ(panel.speedLine(), "Speed: 0 km/h");
    EXPECT_EQ(panel.playTime(), "00:00:00/00:00:00");
    EXPECT_FALSE(panel.trackKnown());
}

TEST(PanelTexts, ARecordWithAFixShowsEachValueOneBlankAfterItsLabel) {
    PanelTexts panel = panelWith(shortLabels());
    panel.SetZone(DisplayZone::utc());
    panel.ShowRecord(cameraRecord());
    EXPECT_EQ(panel.longitudeLine(), "Lng: E 113\u00b056'12.34\"");
    EXPECT_EQ(panel.latitudeLine(), "Lat: N 22\u00b033'44.50\"");
    EXPECT_EQ(panel.timeLine(), "Time: 2016-05-20 10:30:15 UTC");
    EXPECT_EQ(panel.speedLine(), "Speed: 43.5 km/h");
    EXPECT_EQ(panel.statusLine(), "Status: GPS");
    EXPECT_TRUE(panel.hasFix());
}

// The panel and the export's burned-in band write one time, the zone beside it.
TEST(PanelTexts, ThePanelAndTheExportsBandWriteTheSameTimeWithItsZone) {
    PanelTexts panel = panelWith(shortLabels());
    for (const auto& [zone, text] : {std::pair{DisplayZone::fixed(3600), "+01:00"}, {DisplayZone::fixed(-34200), "-09:30"},
                                     {DisplayZone::utc(), "UTC"}}) {
        panel.SetZone(zone);
        panel.ShowRecord(cameraRecord());
        const std::string shown = std::string("2016-05-20 10:30:15 ") + text;
        EXPECT_EQ(panel.timeLine(), "Time: " + shown);
        EXPECT_EQ(OverlayScript::line(cameraRecord(), UnitSystem::Metric, {}, DisplayZone::offsetText(zone.offsetAt(0)))
                      .rfind(shown, 0),
                  0u);
    }
}

TEST(PanelTexts, DegreesAndMinutesHaveNoLeadingZeros) {
    EXPECT_EQ(PanelTexts::FormatCoordinate('E', 8, 5, 3.0), " E 8\u00b05'3.00\"");
    // A hemisphere letter that never came must not put a control character into a label.
    EXPECT_EQ(PanelTexts::FormatCoordinate('\0', 1, 2, 3.0), " ? 1\u00b02'3.00\"");
}

TEST(PanelTexts, NoFixShowsBareLabelsAlsoAfterALanguageChange) {
    PanelTexts panel = panelWith(shortLabels());
    panel.ShowRecord(cameraRecord());
    panel.ShowNoFix();
    EXPECT_EQ(panel.longitudeLine(), "Lng:");
    EXPECT_EQ(panel.latitudeLine(), "Lat:");
    EXPECT_EQ(panel.speedLine(), "Speed:");
    EXPECT_EQ(panel.timeLine(), "Time:");
    EXPECT_EQ(panel.statusLine(), "Status: NoGPS");

    PanelTexts::Labels russian = shortLabels();
    russian.longitude = "Долгота:";
    russian.time = "Время:";
    russian.status = "Статус:";
    russian.noFixWord = "нет";
    panel.SetLabels(russian);
    panel.RelabelPanel();
    EXPECT_EQ(panel.longitudeLine(), "Долгота:");  // no stale value of the last fix
    EXPECT_EQ(panel.timeLine(), "Время:");
    EXPECT_EQ(panel.speedLine(), "Speed:");
    EXPECT_EQ(panel.statusLine(), "Статус: нет");
}

TEST(PanelTexts, RelabelBeforeAnyReportKeepsTheStatusAlone) {
    PanelTexts panel = panelWith(shortLabels());
    PanelTexts::Labels other = shortLabels();
    other.status = "Etat:";
    panel.SetLabels(other);
    panel.RelabelPanel();
    EXPECT_EQ(panel.statusLine(), "Etat:");
    EXPECT_EQ(panel.speedLine(), "Speed: 0 km/h");
}

TEST(PanelTexts, AMissingFixWordLeavesTheStatusWithItsBlank) {
    PanelTexts::Labels labels = shortLabels();
    labels.fixWord.clear();
    PanelTexts panel = panelWith(labels);
    panel.ShowRecord(cameraRecord());
    EXPECT_EQ(panel.statusLine(), "Status: ");
}

TEST(PanelTexts, PlayTimeCountsHoursWithoutLimit) {
    PanelTexts panel = panelWith(shortLabels());
    panel.StartPlayTime(3725);
    EXPECT_EQ(panel.playTime(), "00:00:00/01:02:05");
    panel.UpdatePlayTime(60);
    EXPECT_EQ(panel.playTime(), "00:01:00/01:02:05");
    panel.ResetPlayTime();
    EXPECT_EQ(panel.playTime(), "00:00:00/00:00:00");
    // The length stays for positions reported after a reset.
    panel.UpdatePlayTime(1);
    EXPECT_EQ(panel.playTime(), "00:00:01/01:02:05");

    panel.StartPlayTime(360000);
    EXPECT_EQ(panel.playTime(), "00:00:00/100:00:00");
    EXPECT_EQ(PanelTexts::FormatClock(-5), "00:00:00");
}

TEST(PanelTexts, LabelsComeFromTheLanguageFileWithQuotedBlanksKept) {
    TempFolder program;
    program.write("conf/sysconfig/test.ini",
                  "[Main_Interface]\nIDS_TITLE=\nIDS_SPEED=\"Tempo \"\nIDS_LAT=Breite:\nIDS_PLAYLIST=Liste\n");
    ConfigStore store(program.path());
    store.SetLanguageFilePath(store.languageFolder() + "test.ini");
    const PanelTexts::Labels labels = PanelTexts::ReadLabels(store);
    EXPECT_EQ(labels.title, "");
    EXPECT_EQ(labels.speed, "Tempo ");
    EXPECT_EQ(labels.latitude, "Breite:");
    EXPECT_EQ(labels.playlistHeader, "Liste");
    EXPECT_EQ(labels.fixWord, "");  // absent key

    store.SetLanguageFilePath(store.languageFolder() + "missing.ini");
    EXPECT_EQ(PanelTexts::ReadLabels(store).latitude, "");
}

TEST(PanelTexts, NumbersTakeTheLanguagesDecimalSignAndUnitAlsoAfterARelabel) {
    PanelTexts::Labels russian = shortLabels();
    russian.decimalSign = ",";
    russian.speedUnit = "км/ч";
    PanelTexts panel = panelWith(russian);
    EXPECT_EQ(panel.speedLine(), "Speed: 0 км/ч");
    panel.ShowRecord(cameraRecord());
    EXPECT_EQ(panel.speedLine(), "Speed: 43,5 км/ч");
    EXPECT_EQ(panel.latitudeLine(), "Lat: N 22\u00b033'44,50\"");

    // Back to a language file without the keys: point and km/h, as before.
    panel.SetLabels(shortLabels());
    panel.RelabelPanel();
    EXPECT_EQ(panel.speedLine(), "Speed: 43.5 km/h");
    EXPECT_EQ(panel.longitudeLine(), "Lng: E 113\u00b056'12.34\"");
}
