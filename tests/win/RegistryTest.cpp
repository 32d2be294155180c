#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "hostenv/RegistryAPI.h"
#include "verify/VerifyHost.h"
#include "core/ProgramError.h"
#include "runtime/Handles.h"
#include "runtime/Text.h"

namespace {

// Removes a key under HKLM\Software in one registry view.
void Remove(REGSAM view, const wchar_t* keyUnderSoftware) {
    HKEY software = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, &software) != ERROR_SUCCESS) return;
    const rt::UniqueKey owner(software);
    ::RegDeleteTreeW(software, keyUnderSoftware);
}

// A key of our own under HKLM\Software, removed afterwards.
class Registry : public ::testing::Test {
protected:
    static constexpr wchar_t kKey[] = L"Software\\OrvaneTest\\RegistryReader";
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\OrvaneTest");
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        ::RegCloseKey(key_);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\OrvaneTest");
    }
    void PutAnsi(const char* name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(::RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    RegVariant Get(const wchar_t* name, std::int16_t type, const RegVariant& def = {}) {
        return GetRegValue(HKEY_LOCAL_MACHINE, kKey, name, type, def);
    }
    HKEY key_ = nullptr;
};

using Bytes = std::vector<std::uint8_t>;

TEST_F(Registry, EachValueComesBackAsStoredOrAsTheDefault) {
    const RegVariant none;
    struct Case {
        const char* name;
        DWORD stored;
        std::string bytes;  // written as they are: no layer adds a terminator
        std::int16_t asked;
        RegVariant dflt, expected;
    } cases[] = {
        {"Root Path", REG_SZ, std::string("C:\\Orvane\\", 11), kRegText, none, std::wstring(L"C:\\Orvane\\")},
        {"Empty", REG_SZ, std::string(1, '\0'), kRegText, none, std::wstring()},
        {"NoNul", REG_BINARY, "C:\\Orvane", kRegText, none, std::wstring(L"C:\\Orvane")},
        {"All Ones", REG_DWORD, std::string(4, '\xff'), kRegNumber, none, std::int32_t{-1}},
        {"Blob", REG_BINARY, std::string("\1\0\xff\7", 4), kRegBytes, none, Bytes{1, 0, 255, 7}},
        {"Nothing", REG_BINARY, "", kRegBytes, none, Bytes{}},
        // The stored type is not compared: a short text read as a number is its bytes.
        {"Abc", REG_SZ, std::string("ab\0", 3), kRegNumber, none, std::int32_t{0x6261}},
        // Missing, too long or too short for the type asked: the default.
        {"Missing", REG_SZ, "", kRegText, std::int32_t{42}, std::int32_t{42}},
        {"Long Text", REG_SZ, std::string(2000, 'x') + '\0', kRegText, std::wstring(L"d"), std::wstring(L"d")},
        {"Text As Number", REG_SZ, std::string("1234", 5), kRegNumber, none, none},
        {"Big Blob", REG_BINARY, std::string(5000, 'b'), kRegBytes, none, none},
        {"Qword", REG_QWORD, std::string(8, '\1'), kRegNumber, none, none},
    };
    for (const Case& c : cases) {
        if (std::string(c.name) != "Missing") PutAnsi(c.name, c.stored, c.bytes);
        EXPECT_EQ(Get(rt::FromUtf8(c.name).c_str(), c.asked, c.dflt), c.expected) << c.name;
    }
    PutAnsi("Caf", REG_SZ, std::string("Caf\xe9", 5));
    if (::GetACP() == 1252) {
        EXPECT_EQ(std::get<std::wstring>(Get(L"Caf", kRegText)), L"Caf\x00e9");
    }
    EXPECT_EQ(GetRegValue(HKEY_LOCAL_MACHINE, L"Software\\OrvaneTest\\NoSuchKey", L"x", kRegText, std::wstring(L"d")),
              RegVariant(std::wstring(L"d")));
    // Another requested type raises 1001, and the key is closed on that path too.
    for (std::int16_t type : {0, 2, 7, 11, -1}) {
        try {
            Get(L"All Ones", type);
            FAIL() << "type " << type;
        } catch (const ProgramError& e) {
            EXPECT_EQ(e.Number(), 1001);
            EXPECT_STREQ(e.what(), "Unsupported value type");
        }
    }
    ::RegCloseKey(key_);
    key_ = nullptr;
    EXPECT_EQ(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\OrvaneTest"), ERROR_SUCCESS);
}

// The check's bounds as stored (a DWORD, or odd; in the program's view, else
// the other), and a service this server does not have.
TEST_F(Registry, TheCheckBoundAndAServiceStateAtTheirBoundary) {
    EXPECT_FALSE(ReadProgramNumber(L"VerifySeconds", kKey).present);
    const std::tuple<DWORD, std::string, bool> cases[] = {{REG_DWORD, std::string("\x78\0\0\0", 4), true},
                                                          {REG_SZ, std::string("120\0", 4), false},
                                                          {REG_QWORD, std::string("\x78\0\0\0\0\0\0\0", 8), false}};
    for (const auto& [type, bytes, isNumber] : cases) {
        PutAnsi("VerifySeconds", type, bytes);
        const StoredNumber got = ReadProgramNumber(L"VerifySeconds", kKey);
        EXPECT_EQ((std::vector<std::uint32_t>{got.present, got.isNumber, got.value}),
                  (std::vector<std::uint32_t>{1, isNumber, isNumber ? 120u : 0u})) << type;
    }
    const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    HKEY other = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | otherView, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    const DWORD minutes = 45;
    ::RegSetValueExW(rt::UniqueKey(other).get(), L"RebootMinutes", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&minutes), sizeof minutes);
    EXPECT_EQ(ReadProgramNumber(L"RebootMinutes", kKey).value, 45u);
    Remove(otherView, L"OrvaneTest");
    const ServiceState missing = QueryServiceState(L"OrvaneTest no such service");
    EXPECT_EQ(std::pair(missing.kind, missing.text), std::pair(ServiceState::NotInstalled, std::string("not installed")));
}

// The product keeps its values in the 32-bit view; a 64-bit product in the other.
TEST(RegistryViews, The32BitViewFirstAndThe64BitViewWhereTheKeyIsMissingThere) {
    const wchar_t* key = L"Software\\OrvaneTestViews";
    const auto put = [key](REGSAM view, const std::wstring& text) {
        HKEY k = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        const rt::UniqueKey owner(k);
        ::RegSetValueExW(k, L"Root Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    };
    std::vector<std::wstring> read;  // after each step
    const auto step = [&](const std::function<void()>& change) {
        change();
        read.push_back(RegTextOrEmpty(GetRegValue(HKEY_LOCAL_MACHINE, key, L"Root Path", kRegText, std::wstring(L"none"))));
    };
    step([&] { put(KEY_WOW64_64KEY, L"C:\\Sixty-four"); });
    step([&] { put(KEY_WOW64_32KEY, L"C:\\Thirty-two"); });
    step([&] { Remove(KEY_WOW64_64KEY, L"OrvaneTestViews"); });
    step([&] { Remove(KEY_WOW64_32KEY, L"OrvaneTestViews"); });
    EXPECT_EQ(read, (std::vector<std::wstring>{L"C:\\Sixty-four", L"C:\\Thirty-two", L"C:\\Thirty-two", L"none"}));
}

}  // namespace
