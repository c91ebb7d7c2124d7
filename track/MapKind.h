#pragma once
// The map kinds of the "Map" setting, as AppConfig::mapKind holds them. They
// choose the map page and the datum its track line is converted to.
#include <cstdint>

constexpr uint8_t MAP_KIND_UNKNOWN = 0;
constexpr uint8_t MAP_KIND_BAIDU = 1;
constexpr uint8_t MAP_KIND_GOOGLE = 2;
constexpr uint8_t MAP_KIND_YANDEX = 3;
