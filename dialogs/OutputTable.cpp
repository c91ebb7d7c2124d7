#include "dialogs/OutputTable.h"

#include "config/LanguageTable.h"

#include <array>

namespace {

// "\u00a0" keeps the last words of a name together when the list wraps.
constexpr std::array<OutputRow, 12> kVideoEnglish{{
    {"gl:yuv=0:force-pbo", " Direct3D(XP/Vista/Win7)"},
    {"gl:yuv=0:force-pbo", " Direct3D(No Auto Color Range Fix)"},
    {"gl:yuv=0:force-pbo", " DirectX(XP/Vista)"},
    {"directx:noaccel", " DirectX(No Hardware Acceleration)"},
    {"gl:yuv=2:force-pbo", " OpenGL(Win2K/XP/Vista)"},
    {"gl:force-pbo", " OpenGL(Auto)"},
    {"gl:yuv=3:force-pbo", " OpenGL(YUV3)"},
    {"gl:yuv=4:force-pbo", " OpenGL(YUV4)"},
    {"gl:yuv=1:force-pbo", " OpenGL(nVIDIA Only)"},
    {"gl:yuv=5:force-pbo", " OpenGL(ATI Old Only)"},
    {"gl:yuv=6:force-pbo", " OpenGL(YUV6)"},
    {"gl:yuv=0:force-pbo", " OpenGL(Software YUV)"},
}};

constexpr std::array<OutputRow, 12> kVideoRussian{{
    {"gl:yuv=0:force-pbo", " Direct3D(XP/Vista/Win7)"},
    {"gl:yuv=0:force-pbo", " Direct3D(без автокоррекции цветового диапазона)"},
    {"gl:yuv=0:force-pbo", " DirectX(XP/Vista)"},
    {"directx:noaccel", " DirectX(без аппаратного ускорения)"},
    {"gl:yuv=2:force-pbo", " OpenGL(Win2K/XP/Vista)"},
    {"gl:force-pbo", " OpenGL(автоматическое обнаружение)"},
    {"gl:yuv=3:force-pbo", " OpenGL(YUV3)"},
    {"gl:yuv=4:force-pbo", " OpenGL(YUV4)"},
    {"gl:yuv=1:force-pbo", " OpenGL(только для видеокарт\u00a0nVIDIA)"},
    {"gl:yuv=5:force-pbo", " OpenGL(только для старых видеокарт ATI)"},
    {"gl:yuv=6:force-pbo", " OpenGL(YUV6)"},
    {"gl:yuv=0:force-pbo", " OpenGL(высокая\u00a0совместимость)"},
}};

constexpr std::array<OutputRow, 2> kSoundEnglish{{
    {"win32", " Windows Waveout"},
    {"dsound", " DirectSound"},
}};

constexpr std::array<OutputRow, 2> kSoundRussian{{
    {"win32", " Стандартный\u00a0вывод звука Windows Waveout"},
    {"dsound", " Вывод звука DirectX DirectSound"},
}};

bool russian(std::string_view languageFile) {
    return languageFile == LanguageTable::kRussianFile;
}

}  // namespace

std::span<const OutputRow> OutputTable::video(std::string_view languageFile) {
    if (russian(languageFile)) return kVideoRussian;
    return kVideoEnglish;
}

std::span<const OutputRow> OutputTable::sound(std::string_view languageFile) {
    if (russian(languageFile)) return kSoundRussian;
    return kSoundEnglish;
}

int OutputTable::indexOf(std::span<const OutputRow> rows, std::string_view value) {
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].value == value) return static_cast<int>(i);
    }
    return -1;
}

const OutputRow* OutputTable::at(std::span<const OutputRow> rows, int index) {
    if (index < 0 || static_cast<size_t>(index) >= rows.size()) return nullptr;
    return &rows[static_cast<size_t>(index)];
}

bool OutputTable::isDirectSound(std::string_view value) {
    if (value.size() != kDirectSound.size()) return false;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != kDirectSound[i]) return false;
    }
    return true;
}
