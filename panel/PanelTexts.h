#pragma once
// The texts of the main window's information panel: the language labels,
// the value texts of the last record with a fix and of the play time, and
// the lines the label controls show ("Speed:" + " 43.5 km/h"). Numbers take
// the language's decimal sign and speed unit; speeds are shown in the chosen
// units (km/h or mph). Value texts
// that come from a record begin with a blank, so they follow their label
// directly; the date and time gets its blank from the time line. The value
// texts of the last fix stay through reports without a fix and through new
// clips; a language change pairs the new labels with them, the numbers
// written anew in the new language.
//
// Threads: a plain value, owned by the view manager on the UI thread.
#include "config/ConfigStore.h"
#include "config/UnitSystem.h"
#include "telemetry/DisplayZone.h"
#include "track/TrackRecord.h"

#include <cstdint>
#include <string>
#include <string_view>

class PanelTexts {
public:
    static constexpr std::string_view kSection = "Main_Interface";
    static constexpr std::string_view kIdlePlayTime = "00:00:00/00:00:00";

    struct Labels {
        std::string title;           // IDS_TITLE
        std::string latitude;        // IDS_LAT
        std::string longitude;       // IDS_LNG
        std::string time;            // IDS_TIME
        std::string speed;           // IDS_SPEED
        std::string status;          // IDS_STATUS
        std::string fixWord;         // IDS_GPS
        std::string noFixWord;       // IDS_NOGPS
        std::string playlistHeader;  // IDS_PLAYLIST
        std::string decimalSign;     // IDS_DECIMAL; "." when empty
        std::string speedUnit;       // IDS_KMH; "km/h" when empty
        std::string imperialSpeedUnit;  // IDS_MPH; "mph" when empty
    };

    // The labels of the current language file; a missing key gives "".
    static Labels ReadLabels(const ConfigStore& store);

    void SetLabels(const Labels& labels);
    // Takes effect with the next text made; RelabelPanel rewrites the shown ones.
    void SetUnits(UnitSystem units) { units_ = units; }
    UnitSystem units() const { return units_; }
    // The zone the records' times are in (the TimeZone setting): written
    // after the date and time ("+01:00", "UTC"), as the export writes it.
    void SetZone(const DisplayZone& zone) { zone_ = zone; }
    // The lines before any report: the labels alone, the speed with " 0 km/h".
    void InitPanelTexts();
    // A record with a fix: value texts and lines.
    void ShowRecord(const TrackRecord& record);
    // No fix: the lines show the labels alone; the value texts stay.
    void ShowNoFix();
    // After new labels: each line pairs its new label with the last value;
    // without a fix at this moment (stopped too) the lines stay bare labels.
    void RelabelPanel();

    void StartPlayTime(int32_t lengthSeconds);
    void UpdatePlayTime(int32_t positionSeconds);
    void ResetPlayTime();

    const std::string& title() const { return labels_.title; }
    const std::string& playlistHeader() const { return labels_.playlistHeader; }
    const std::string& longitudeLine() const { return longitudeLine_; }
    const std::string& latitudeLine() const { return latitudeLine_; }
    const std::string& timeLine() const { return timeLine_; }
    const std::string& speedLine() const { return speedLine_; }
    const std::string& statusLine() const { return statusLine_; }
    const std::string& playTime() const { return playTimeText_; }
    bool trackKnown() const { return trackKnown_; }
    bool hasFix() const { return hasFix_; }

    // " E 113°56'12.34\"": hemisphere, whole degrees and minutes, seconds with two decimals.
    static std::string FormatCoordinate(char hemisphere, int degrees, int minutes, double seconds,
                                        std::string_view decimalSign = ".");
    // " 43.5 km/h": one decimal, the language's sign and unit.
    static std::string FormatSpeed(double speed, std::string_view decimalSign = ".", std::string_view unit = "km/h");
    // "hh:mm:ss"; hours are not limited, negative counts show as 0.
    static std::string FormatClock(int32_t seconds);

private:
    std::string statusWithWord(const std::string& word) const;
    std::string decimalSign() const;
    std::string speedUnit() const;
    // The value texts of the last fix (or the zero speed) in the current language.
    void formatValues();

    Labels labels_;
    UnitSystem units_ = UnitSystem::Metric;
    DisplayZone zone_;
    std::string totalTimeText_;
    std::string currentTimeText_;
    std::string playTimeText_{kIdlePlayTime};
    TrackRecord lastFix_;
    bool haveFix_ = false;  // lastFix_ holds a record
    std::string speedValue_{" 0 km/h"};
    std::string dateTimeValue_;
    std::string longitudeValue_;
    std::string latitudeValue_;
    std::string longitudeLine_;
    std::string latitudeLine_;
    std::string timeLine_;
    std::string speedLine_;
    std::string statusLine_;
    bool trackKnown_ = false;
    bool hasFix_ = false;
};
