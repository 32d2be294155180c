#include "hostenv/OrvaneVersion.h"

#include "hostenv/RegistryAPI.h"
#include "runtime/ErrorReporting.h"

VersionInfo InstalledVersion;

VersionInfo getVersion() {
    VersionInfo result;
    std::int32_t version = 0;
    std::int32_t build = 0;
    const auto step = [](auto&& body) {
        rt::ContinueAfterProcedureBox(L"getVersion", rt::ErrorScope::Module, L"OrvaneVersion", body);
    };
    step([&] {
        version = RegNumberOrZero(GetRegValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version Number", kRegNumber, {}));
    });
    step([&] { build = RegNumberOrZero(GetRegValue(HKEY_LOCAL_MACHINE, kProductKey, L"Build Number", kRegNumber, {})); });
    step([&] { result = DecodeVersion(version, build); });
    return result;
}
