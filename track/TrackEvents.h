#pragma once
// Event codes of the track extraction, posted to the main window as wParam of
// platform::WM_TRACK_EVENT (lParam 0). Shared by SubtitleExtractor and
// TrackBatchProcessor: include this header instead of repeating the numbers.
#include <cstdint>

constexpr uintptr_t TRACK_COMMAND_FAILED = 512;    // the stop command could not be written
constexpr uintptr_t TRACK_BATCH_READY = 516;       // a page of the store is complete and converted
constexpr uintptr_t TRACK_FIRST_BATCH_DONE = 518;  // after the first batch of a run, or a run without any text
