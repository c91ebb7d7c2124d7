#pragma once
// Numbers the windows share with the rest of the system: the close codes of
// ShowModal and the messages the layer itself hands to a window.
#include <QStringList>
#include <cstdint>

namespace ui {

// Close codes, returned by ShowModal.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// MessageHandler receives key presses as WM_KEYDOWN with the Qt::Key in
// wParam and the Qt::KeyboardModifiers in lParam.
inline constexpr uint32_t WM_KEYDOWN = 0x0100;

// HandleMessage receives dropped local files as WM_DROPFILES; wParam points
// to a DroppedFiles that is valid during the call only.
inline constexpr uint32_t WM_DROPFILES = 0x0233;

struct DroppedFiles {
    QStringList paths;  // absolute local paths, in the order they were dropped
};

}  // namespace ui
