#pragma once
// The state of the player process, and the event codes the player's output
// reader posts to the main window as wParam of platform::WM_PLAYER_EVENT
// (lParam 0). Code 23 is not used.
#include <cstdint>

enum class PlayerState : int32_t {
    Idle = 0,
    Stopping = 1,
    Starting = 2,
    Playing = 3,
    Paused = 4,
};

constexpr uintptr_t PLAYER_PIPE_ERROR = 16;   // the player's pipes failed; it has been cleaned up
constexpr uintptr_t PLAYER_STARTED = 17;      // "Starting playback": the length is known
constexpr uintptr_t PLAYER_QUIT = 18;         // the player quit on its own
constexpr uintptr_t PLAYER_EOF = 19;          // the end of the clip
constexpr uintptr_t PLAYER_ASPECT = 20;       // the aspect of the picture is known
constexpr uintptr_t PLAYER_TIME = 21;         // a new play position
constexpr uintptr_t PLAYER_SCREENSHOT = 22;   // a snapshot was written
constexpr uintptr_t PLAYER_NO_SUBTITLE = 24;  // no track text at the play position
constexpr uintptr_t PLAYER_PARTNER_FAILED = 25;  // the partner camera could not be shown; the main clip plays alone
constexpr uintptr_t PLAYER_LAYOUT = 26;          // the engine took a camera layout
constexpr uintptr_t PLAYER_NO_SOUND = 27;        // no sound output could be opened; the picture plays without sound
