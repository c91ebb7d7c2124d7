#include "panel/PanelTexts.h"

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
    return labels;
}

void PanelTexts::SetLabels(const Labels& labels) {
    labels_ = labels;
}

void PanelTexts::InitPanelTexts() {
    longitudeLine_ = labels_.longitude;
    latitudeLine_ = labels_.latitude;
    timeLine_ = labels_.time;
    speedLine_ = labels_.speed + " 0 km/h";
    playTimeText_ = kIdlePlayTime;
    statusLine_ = labels_.status;
}

void PanelTexts::ShowRecord(const TrackRecord& record) {
    dateTimeValue_ = FormatText("%04d-%02d-%02d %02d:%02d:%02d", record.year, record.month, record.day, record.hour,
                                record.minute, record.second);
    timeLine_ = labels_.time + " " + dateTimeValue_;
    longitudeValue_ = FormatCoordinate(record.longitudeHemisphere, record.longitudeDegrees, record.longitudeMinutes,
                                       record.longitudeSeconds);
    longitudeLine_ = labels_.longitude + longitudeValue_;
    latitudeValue_ = FormatCoordinate(record.latitudeHemisphere, record.latitudeDegrees, record.latitudeMinutes,
                                      record.latitudeSeconds);
    latitudeLine_ = labels_.latitude + latitudeValue_;
    speedValue_ = FormatText(" %.1f km/h", static_cast<double>(record.speed));
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

std::string PanelTexts::FormatCoordinate(char hemisphere, int degrees, int minutes, double seconds) {
    // A letter that is not printable (a record that never had one) must not
    // put a control character into a label.
    if (hemisphere < 0x20 || hemisphere > 0x7e) hemisphere = '?';
    return FormatText(" %c %d\u00b0%d'%.2f\"", hemisphere, degrees, minutes, seconds);
}

std::string PanelTexts::FormatClock(int32_t seconds) {
    if (seconds < 0) seconds = 0;
    return FormatText("%02d:%02d:%02d", seconds / 3600, seconds % 3600 / 60, seconds % 60);
}
