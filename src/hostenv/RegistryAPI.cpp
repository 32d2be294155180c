#include "hostenv/RegistryAPI.h"

#include "runtime/Handles.h"
#include "core/ProgramError.h"
#include "runtime/Text.h"

RegVariant GetRegValue(HKEY hive, const std::wstring& keyPath, const std::wstring& valueName,
                       std::int16_t requestedType, const RegVariant& defaultValue) {
    RegVariant result = defaultValue;
    const std::string key = rt::ToAnsi(keyPath);
    const std::string name = rt::ToAnsi(valueName);
    // The product's tools are 32-bit and keep their values in the 32-bit
    // view (WOW6432Node on 64-bit Windows). A key missing there is looked
    // for in the 64-bit view, for a 64-bit product.
    HKEY opened = nullptr;
    LSTATUS status = ::RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &opened);
    if (status == ERROR_FILE_NOT_FOUND) {
        status = ::RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &opened);
    }
    if (status != ERROR_SUCCESS) return result;
    rt::UniqueKey owner(opened);
    switch (requestedType) {
    case kRegText: {
        std::string buffer(1024, ' ');
        DWORD type = REG_SZ;
        DWORD size = 1024;
        if (::RegQueryValueExA(opened, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS) {
            buffer.resize(size);
            // Drop the terminator only when one is really there: a value
            // stored without it keeps its last character.
            if (!buffer.empty() && buffer.back() == '\0') buffer.pop_back();
            result = rt::FromAnsi(buffer);
        }
        break;
    }
    case kRegBytes: {
        std::vector<std::uint8_t> bytes(4096);
        DWORD size = 4096;
        if (::RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, bytes.data(), &size) == ERROR_SUCCESS) {
            bytes.resize(size);
            result = std::move(bytes);
        }
        break;
    }
    case kRegNumber: {
        std::uint32_t value = 0;
        DWORD size = sizeof value;
        if (::RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS) {
            result = static_cast<std::int32_t>(value);
        }
        break;
    }
    default:
        throw ProgramError(kErrUnsupportedValueType, "Unsupported value type");  // the key owner closes the key
    }
    return result;
}

std::int32_t RegNumberOrZero(const RegVariant& value) {
    const auto* n = std::get_if<std::int32_t>(&value);
    return n ? *n : 0;
}

std::wstring RegTextOrEmpty(const RegVariant& value) {
    const auto* s = std::get_if<std::wstring>(&value);
    return s ? *s : std::wstring();
}
