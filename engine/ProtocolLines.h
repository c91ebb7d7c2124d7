#pragma once
// The lines the engine prints, in the number style of the player the
// program expects ("ID_LENGTH=60.00", "ID_VIDEO_ASPECT=1.7778",
// "ANS_TIME_POSITION=12.3"). Each result is one line without its line feed.
// Pure functions: no libmpv needed.
#include <string>
#include <string_view>

namespace engine::lines {

std::string videoWidth(long long pixels);
std::string videoHeight(long long pixels);
std::string videoAspect(double aspect);
std::string length(double seconds);
std::string startingPlayback();
// Milliseconds: a frame step must show in the answer.
std::string timePosition(double seconds);
// The answer to "speed_set": the speed now in effect.
std::string speed(double factor);
// The text on one line: line breaks and other control characters become
// blanks; a very long text is cut at a character boundary.
std::string subtitleLog(std::string_view text);
std::string screenshotWritten(std::string_view fileName);
// The cameras of the moment: the layout and mirror in effect, and whether
// the partner plays ("ID_PARTNER=playing") or could not ("ID_PARTNER=failed").
std::string cameraLayout(std::string_view name, bool mirror);
std::string partnerPlaying(bool playing);
// No sound output could be opened: the picture plays without sound.
std::string noSoundOutput();
std::string exitEof();
std::string exitQuit();

}  // namespace engine::lines
