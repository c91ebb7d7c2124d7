#include "panel/PanelTexts.h"

#include "track/CameraTime.h"

#include "config/FormatText.h"

PanelTexts::Labels PanelTexts::ReadLabels(const ConfigStore& store) {
    Labels labels;
    labels.title = store.ReadLanguageString("IDS_TITLE", kSection);
    labels.latitude = store.ReadLanguageString("IDS_LAT", kSection);
    labels.longitude = store.ReadLanguageString("IDS_LNG", kSection);
    labels.time = store.ReadLanguageString("IDS_TIME", kSection);
    labels.speed = store.ReadLanguageString("IDS_SPEED", kSection);
    labels.status = store.ReadLanguageString("IDS_STATUS", kSection);
    labels.fixWord = store.ReadLanguageString("IDS_GPS", kSection);
    labels.noFixWord = store.ReadLanguageString("IDS_NOGPS", kSection);
    labels.playlistHeader = store.ReadLanguageString("IDS_PLAYLIST", kSection);
    labels.decimalSign = store.ReadLanguageString("IDS_DECIMAL", kSection);
    labels.speedUnit = store.ReadLanguageString("IDS_KMH", kSection);
    labels.imperialSpeedUnit = store.ReadLanguageString("IDS_MPH", kSection);
    return labels;
}

void PanelTexts::SetLabels(const Labels& labels) {
    labels_ = labels;
}

void PanelTexts::InitPanelTexts() {
    longitudeLine_ = labels_.longitude;
    latitudeLine_ = labels_.latitude;
    timeLine_ = labels_.time;
    speedLine_ = labels_.speed + " 0 " + speedUnit();
    playTimeText_ = kIdlePlayTime;
    statusLine_ = labels_.status;
}

void PanelTexts::ShowRecord(const TrackRecord& record) {
    dateTimeValue_ = FormatText("%04d-%02d-%02d %02d:%02d:%02d", record.year, record.month, record.day, record.hour,
                                record.minute, record.second);
    // The records hold the time as shown; its zone is the one it was shown in at that moment.
    if (int64_t seconds = 0; cameraSeconds(record, seconds))
        dateTimeValue_ += " " + DisplayZone::offsetText(zone_.offsetAtLocal(seconds));
    timeLine_ = labels_.time + " " + dateTimeValue_;
    lastFix_ = record;
    haveFix_ = true;
    formatValues();
    longitudeLine_ = labels_.longitude + longitudeValue_;
    latitudeLine_ = labels_.latitude + latitudeValue_;
    speedLine_ = labels_.speed + speedValue_;
    trackKnown_ = true;
    hasFix_ = true;
    statusLine_ = statusWithWord(labels_.fixWord);
}

void PanelTexts::ShowNoFix() {
    trackKnown_ = true;
    hasFix_ = false;
    statusLine_ = statusWithWord(labels_.noFixWord);
    latitudeLine_ = labels_.latitude;
    longitudeLine_ = labels_.longitude;
    speedLine_ = labels_.speed;
    timeLine_ = labels_.time;
}

void PanelTexts::RelabelPanel() {
    if (trackKnown_ && !hasFix_) {
        // Stopped or between fixes: the last fix's values are not this moment's.
        ShowNoFix();
        return;
    }
    formatValues();
    latitudeLine_ = labels_.latitude + latitudeValue_;
    longitudeLine_ = labels_.longitude + longitudeValue_;
    timeLine_ = labels_.time + " " + dateTimeValue_;
    speedLine_ = labels_.speed + speedValue_;
    if (!trackKnown_) {
        statusLine_ = labels_.status;
    } else {
        statusLine_ = statusWithWord(hasFix_ ? labels_.fixWord : labels_.noFixWord);
    }
}

void PanelTexts::StartPlayTime(int32_t lengthSeconds) {
    currentTimeText_ = "00:00:00/";
    totalTimeText_ = FormatClock(lengthSeconds);
    playTimeText_ = currentTimeText_ + totalTimeText_;
}

void PanelTexts::UpdatePlayTime(int32_t positionSeconds) {
    currentTimeText_ = FormatClock(positionSeconds) + "/";
    playTimeText_ = currentTimeText_ + totalTimeText_;
}

void PanelTexts::ResetPlayTime() {
    playTimeText_ = kIdlePlayTime;
}

std::string PanelTexts::statusWithWord(const std::string& word) const {
    return labels_.status + " " + word;
}

void PanelTexts::formatValues() {
    if (!haveFix_) {
        speedValue_ = " 0 " + speedUnit();
        return;
    }
    const TrackRecord& r = lastFix_;
    const std::string sign = decimalSign();
    longitudeValue_ =
        FormatCoordinate(r.longitudeHemisphere, r.longitudeDegrees, r.longitudeMinutes, r.longitudeSeconds, sign);
    latitudeValue_ =
        FormatCoordinate(r.latitudeHemisphere, r.latitudeDegrees, r.latitudeMinutes, r.latitudeSeconds, sign);
    speedValue_ = FormatSpeed(Units::speed(static_cast<double>(r.speed), units_), sign, speedUnit());
}

std::string PanelTexts::decimalSign() const {
    return labels_.decimalSign.empty() ? std::string(".") : labels_.decimalSign;
}

std::string PanelTexts::speedUnit() const {
    if (units_ == UnitSystem::Imperial) {
        return labels_.imperialSpeedUnit.empty() ? std::string("mph") : labels_.imperialSpeedUnit;
    }
    return labels_.speedUnit.empty() ? std::string("km/h") : labels_.speedUnit;
}

std::string PanelTexts::FormatCoordinate(char hemisphere, int degrees, int minutes, double seconds,
                                         std::string_view decimalSign) {
    // A letter that is not printable (a record that never had one) must not
    // put a control character into a label.
    if (hemisphere < 0x20 || hemisphere > 0x7e) hemisphere = '?';
    return FormatText(" %c %d\u00b0%d'", hemisphere, degrees, minutes) + Units::fixedNumber(seconds, 2, decimalSign) +
           "\"";
}

std::string PanelTexts::FormatSpeed(double speed, std::string_view decimalSign, std::string_view unit) {
    return " " + Units::fixedNumber(speed, 1, decimalSign) + " " + std::string(unit);
}

std::string PanelTexts::FormatClock(int32_t seconds) {
    if (seconds < 0) seconds = 0;
    return FormatText("%02d:%02d:%02d", seconds / 3600, seconds % 3600 / 60, seconds % 60);
}
