#pragma once
// Writes test clips of every camera data layout from a made-up drive: the
// data exactly as the cameras lay it out, in a real ISO media file that FFmpeg,
// libmpv and ExifTool open. With video, the data is added to a small clip
// made by ffmpeg (test pattern and tone) so the player can play it; without,
// the file holds only the data (and an empty movie header), for readers'
// tests.
#include "support/MadeUpDrive.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

enum class ClipLayout {
    CameraText,      // the camera's own text track ("Ambarella EXT")
    Novatek,         // freeGPS classic, indexed by moov/"gps "
    NovatekV3,       // freeGPS v3 with G-sensor
    NovatekDoubles,  // freeGPS of doubles
    Nmea,            // NMEA RMC + GGA in a text track
    Thinkware,       // NMEA with the gsensori part
    BlackVue,        // top-level free box with gps and 3gf
    Gpmf,            // GoPro gpmd track: GPS5 + GPSU + ACCL
    GpmfGps9,        // GoPro gpmd track: GPS9 + ACCL
    Camm,            // camm track: types 6 and 3
    Garmin,          // PNDM samples in a text track
    SeventyMai,      // top-level "GPS " box
};

struct TelemetryClipSpec {
    ClipLayout layout = ClipLayout::Novatek;
    std::vector<DriveMoment> drive = madeUpDrive();
    bool withVideo = false;     // a real video and sound track underneath
    double videoSeconds = 0.0;  // 0: as long as the drive
    int width = 160, height = 90, frameRate = 10;
    bool novatekIndex = true;       // write moov/"gps " (false: only a scan finds the blocks)
    bool novatekLocalTime = false;  // year stored as 2026, not 26 (a camera clock)
    bool blackVueSidecars = false;  // also .gps and .3gf next to the clip, and no free box in it
    int64_t creationUnixSeconds = kDriveStartUtcMs / 1000;  // mvhd creation time
};

// Writes the clip; returns "" or what went wrong.
std::string makeTelemetryClip(const std::string& path, const TelemetryClipSpec& spec);

// The payloads alone, for readers' unit tests and fuzzer seeds.
std::string novatekBlock(const DriveMoment& m, ClipLayout layout, bool localTime = false);
std::string nmeaSample(const DriveMoment& m, bool thinkware = false);       // u16 length + text
std::string garminSample(const DriveMoment& m);                             // 22 bytes
// One GPMF record: key, type, element size, repeat, the data padded to four
// bytes; a nested one holds records.
std::string gpmfKlv(const char* key, char type, size_t elementSize, size_t repeat, const std::string& data);
std::string gpmfNested(const char* key, const std::string& body);
std::string gpmfSample(const std::vector<DriveMoment>& second, bool gps9);  // one DEVC payload
std::string cammSample(const DriveMoment& m);                               // type 6 + type 3 packets
std::string seventyMaiBox(const std::vector<DriveMoment>& drive);           // the whole "GPS " box
std::string blackVueFreeBox(const std::vector<DriveMoment>& drive);         // the whole top-level free box

// Parts of the above. NMEA: "$GPRMC,...*hh" without CR LF; the talker is GP
// but GN for the moments from 10 to 11 s; a moment without a fix has status
// V and empty position fields. BlackVue: the sidecar .gps text (the box's
// payload without its NUL padding) and the .3gf records with their end mark.
std::string nmeaChecksum(const std::string& body);  // two upper-case hex digits
std::string nmeaTalker(const DriveMoment& m);
std::string nmeaRmc(const DriveMoment& m, const std::string& talker);
std::string nmeaGga(const DriveMoment& m, const std::string& talker);
std::string blackVueGpsText(const std::vector<DriveMoment>& drive);
std::string blackVue3gf(const std::vector<DriveMoment>& drive);

// What ExifTool reads of a clip: one fix per sample (of a sample with
// several, as GPMF can hold, only the last: its JSON keeps one value a key),
// signed degrees, and its time (ms since 1970, UTC; 0 when it gives none)
// and speed (km/h as ExifTool states it; NaN when absent).
struct ExifToolFix {
    double latitude = 0.0;
    double longitude = 0.0;
    double speed = 0.0;
    int64_t utcMs = 0;
};
// Whether an exiftool program is on the PATH.
bool exifToolAvailable();
// Runs `TZ=UTC exiftool -j -ee -a -G3 -n -api QuickTimeUTC=1 -GPSLatitude
// -GPSLongitude -GPSSpeed -GPSDateTime CLIP`; false with `error` when it cannot.
bool exifToolFixes(const std::string& path, std::vector<ExifToolFix>& fixes, std::string& error);

}  // namespace testing_support
