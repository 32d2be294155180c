#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "process/ProgramEnd.h"

namespace {

// Only ordinary files count (read-only ones too); a wildcard counts when an
// ordinary file matches; unready or bogus paths are false without a box.
TEST(FileExists, OnlyOrdinaryFilesCount) {
    test::ScratchDir dir;
    const struct {
        const wchar_t* name;
        DWORD attributes;
    } files[] = {{L"plain.Log", FILE_ATTRIBUTE_NORMAL}, {L"readonly.Log", FILE_ATTRIBUTE_READONLY},
                 {L"hidden.Log", FILE_ATTRIBUTE_HIDDEN}, {L"system.Log", FILE_ATTRIBUTE_SYSTEM},
                 {L"a.hid", FILE_ATTRIBUTE_HIDDEN},      {L"b.sys", FILE_ATTRIBUTE_SYSTEM}, {L"c.sys", FILE_ATTRIBUTE_NORMAL}};
    for (const auto& f : files) {
        test::WriteBytes(dir.File(f.name), "x");
        ASSERT_TRUE(::SetFileAttributesW(dir.File(f.name).c_str(), f.attributes));
    }
    const std::pair<std::wstring, bool> cases[] = {
        {dir.File(L"plain.Log"), true}, {dir.File(L"readonly.Log"), true}, {dir.File(L"hidden.Log"), false},
        {dir.File(L"system.Log"), false}, {dir.Path(), false}, {dir.File(L"missing.Log"), false}, {L"", false},
        {dir.File(L"*.hid"), false}, {dir.File(L"*.sys"), true},  // an ordinary one after a system one
        {dir.File(L"*.none"), false}, {L"Q:\\nothing\\here.txt", false},
        {L"\\\\no-such-host-4711\\share\\f.txt", false}, {L"<>|\x0001?", false}, {std::wstring(40000, L'a'), false},
    };
    for (const auto& [path, exists] : cases) EXPECT_EQ(bFileExists(path), exists) << testing::PrintToString(path);
}

}  // namespace
