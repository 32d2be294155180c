// Language-library discovery: any file name beside the program.
#include <cstdlib>
#include "FuzzInput.h"
#include "localize/LanguageTables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring name = WideFrom(data, size);
    const std::wstring code = LanguageCodeOfFile(name, L"OrvaneScheduledRestart");
    if (!code.empty() && code.size() != 3) std::abort();
    std::string ascii;
    for (wchar_t c : code) ascii += static_cast<char>(c & 0x7F);
    LanguageIdFromCode(ascii);
    return 0;
}
