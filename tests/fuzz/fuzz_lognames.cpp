// The run log's names and the purge's day count, for any date the clock or
// a file's time stamp may give.
#include <cstdlib>
#include <cstring>

#include "logging/LogNames.h"

namespace {
CivilTime TimeFrom(const std::uint8_t* p) {
    std::int32_t v[6];
    std::memcpy(v, p, sizeof v);
    return {v[0], v[1], v[2], v[3], v[4], v[5]};
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 52) return 0;
    const CivilTime a = TimeFrom(data), b = TimeFrom(data + 24);
    std::int32_t counter = 0;
    std::memcpy(&counter, data + 48, 4);
    LogTimeStamp(a);
    LogFileName(std::string(reinterpret_cast<const char*>(data + 52), size - 52), a, counter);
    if (CalendarDaysBetween(a, a) != 0) std::abort();
    if (CalendarDaysBetween(a, b) != -CalendarDaysBetween(b, a)) std::abort();
    return 0;
}
