#pragma once
// A CMplayer driving the scripted stand-in player (ScriptedPlayer.cpp), with
// its events recorded. The script file is what the player gets as its media
// file; the stand-in logs the commands it receives next to it.
#include "platform/RecordingMessageTarget.h"
#include "player/CMplayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

class ScriptedPlayerFixture : public ::testing::Test {
protected:
    static constexpr auto kWait = std::chrono::seconds(15);

    ScriptedPlayerFixture() {
        player.SetPlayerPath(VELTARA_SCRIPTED_PLAYER);
        player.SetWorkDir(folder.path());
        player.SetNotifyWindow(&events, platform::WM_PLAYER_EVENT);
        player.SetVideoOut("null");
        player.SetAudioOut("null");
    }

    // Writes the script and starts the player on it; returns Start's result.
    int startScript(const std::string& script, const std::string& name = "clip.script") {
        scriptPath = folder.write(name, script);
        player.SetMediaFile(scriptPath);
        return player.Start();
    }

    bool waitForEvent(uintptr_t code) { return events.waitFor(platform::WM_PLAYER_EVENT, code, kWait); }
    size_t eventCount(uintptr_t code) const { return events.countOf(platform::WM_PLAYER_EVENT, code); }

    std::vector<uintptr_t> eventCodes() const {
        std::vector<uintptr_t> codes;
        for (const auto& m : events.messagesOf(platform::WM_PLAYER_EVENT)) codes.push_back(m.wParam);
        return codes;
    }

    // The commands the stand-in received, without the periodic "sub_log_static".
    std::vector<std::string> commands(bool withSubtitleLog = false) const {
        std::vector<std::string> lines;
        std::ifstream in(scriptPath + ".log");
        std::string line;
        while (std::getline(in, line))
            if (withSubtitleLog || line != "sub_log_static") lines.push_back(line);
        return lines;
    }

    // Waits until the stand-in has received `count` commands (other than "sub_log_static").
    std::vector<std::string> waitForCommands(size_t count) const {
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        while (commands().size() < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return commands();
    }

    bool waitForState(PlayerState state) const {
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        while (player.GetState() != state) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // Gone and reaped: not even a zombie is left.
    static bool reaped(pid_t pid) { return pid > 0 && ::kill(pid, 0) == -1 && errno == ESRCH; }

    testing_support::TempFolder folder;
    platform::RecordingMessageTarget events;
    std::string scriptPath;
    CMplayer player;  // last: stopped before the target and the folder go
};
