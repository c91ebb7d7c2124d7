#pragma once
// One Novatek "freeGPS" block decoded: the box `size, "free", "GPS "` that
// Novatek-based cameras put into the media data once a second. Three
// layouts, told apart by where the status and hemisphere letters stand:
// classic (`A`/`V`, N/S, E/W at 0x48; f32 DDMM.MMMM), v3 (at 0x28; f32, with
// G-sensor in 1/256 G) and doubles (`A` at 0x3C, letters at 0x48 and 0x58;
// f64, G-sensor in 1/1000 G). 0xAC at 0x0C marks an encrypted variant.
// A plain value; any thread.
#include "telemetry/TelemetrySample.h"

#include <cstddef>
#include <cstdint>

class NovatekBlock {
public:
    enum class Layout : uint8_t { Unknown, Classic, V3, Doubles, Encrypted };
    enum class Issue : uint8_t {
        None,
        NotABlock,  // no "freeGPS " signature
        UnknownLayout,
        CutShort,     // the layout's fields reach past the block or the data
        BadPosition,  // a fix with NaN, infinite or out-of-range coordinates
        BadDate,      // a fix whose date or time cannot be
    };
    // The most bytes any layout uses, counted from the block's size field.
    static constexpr size_t kHeadBytes = 0x88;
    static constexpr char kSignature[] = "freeGPS ";  // at offset 4

    // Decodes the first n bytes of a block (from its size field; n may be
    // more than the block, the block's own size bounds it). `preferred` is
    // tried first, so a no-fix block without letters follows the clip's
    // other blocks.
    void decode(const unsigned char* p, size_t n, Layout preferred = Layout::Unknown);

    Layout layout = Layout::Unknown;
    Issue issue = Issue::NotABlock;
    bool speedDropped = false;  // speed or course out of range: left unset
    // Position, speed, course, accelerations, and the block's date and time
    // (timeKind Utc, or Camera when the year was written in full, or None);
    // clipMs is left for the reader.
    TelemetrySample sample;
};
