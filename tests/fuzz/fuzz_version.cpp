// The product's version numbers as the registry holds them.
#include <cstdlib>
#include <cstring>

#include "hostenv/VersionDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    std::int32_t version = 0, build = 0;
    std::memcpy(&version, data, 4);
    std::memcpy(&build, data + 4, 4);
    const VersionInfo info = DecodeVersion(version, build);
    if (info.DisplayText.empty()) std::abort();
    LeadingDecimal(std::string_view(reinterpret_cast<const char*>(data + 8), size - 8));
    return 0;
}
