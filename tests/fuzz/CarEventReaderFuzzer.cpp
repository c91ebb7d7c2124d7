// A car's event.json as a damaged or crafted drive gives it: whatever is
// read must be whole (UTF-8 texts within their limit, a position that is a
// place, a real moment) and nothing may crash.
#include "vehicle/CarEventReader.h"
#include "vehicle/CarEventReason.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CarEvent event = CarEventReader::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (event.reason.size() > CarEventReader::kMaxText || event.city.size() > CarEventReader::kMaxText) std::abort();
    if (event.latitude.has_value() != event.longitude.has_value()) std::abort();
    if (event.latitude && (*event.latitude < -90 || *event.latitude > 90)) std::abort();
    if (event.longitude && (*event.longitude < -180 || *event.longitude > 180)) std::abort();
    for (const char c : event.reason + event.city)
        if (static_cast<unsigned char>(c) < 0x20) std::abort();
    (void)CarEventReason::text(event.reason, size % 2 == 0);
    return 0;
}
