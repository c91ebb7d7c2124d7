#pragma once
// Which of a clip's messages a run keeps: Player keeps the 1st, 11th, 21st,
// ... message and ends the track with the last one once more (what the
// player's map and chart are drawn from); All keeps every message once.
// Threads: any (plain values).
#include <cstdint>

enum class TrackSampling : uint8_t { Player, All };

constexpr int kPlayerSamplingKeepEvery = 10;  // Player sampling keeps one message in ten
