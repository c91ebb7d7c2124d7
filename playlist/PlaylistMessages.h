#pragma once
// The window message of the playlist tree: a row's delete button was clicked
// (wParam: the row's key, lParam: its row at the click).
#include "platform/MessageTarget.h"

#include <cstdint>

constexpr uint32_t WM_PLAYLIST_DELETED = platform::WM_USER + 100;
