// The export directory of each DLL as Windows sees it: module name and ordinals.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

struct ExportDirectory {
    std::string moduleName;
    std::map<std::string, WORD> ordinals;  // name -> ordinal
};

ExportDirectory ReadExports(HMODULE module) {
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    ExportDirectory result;
    result.moduleName = reinterpret_cast<const char*>(base + directory->Name);
    auto* names = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
    auto* indexes = reinterpret_cast<const WORD*>(base + directory->AddressOfNameOrdinals);
    for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
        std::string name = reinterpret_cast<const char*>(base + names[i]);
        result.ordinals[name] = static_cast<WORD>(directory->Base + indexes[i]);
    }
    return result;
}

std::map<std::string, WORD> OrdinalsFor(bool withPosition2) {
    if (!withPosition2) {
        return {{"ProbeGetForce", 1},      {"ProbeGetParameters", 2},
                {"ProbeGetPosition", 3},   {"ProbeGetPression", 4},
                {"ProbeInit", 5},          {"ProbeIsCalibrated", 6},
                {"ProbeSetParameters", 7}, {"DllMain", 8}};
    }
    return {{"ProbeGetForce", 1},     {"ProbeGetParameters", 2}, {"ProbeGetPosition2", 3},
            {"ProbeGetPosition", 4},  {"ProbeGetPression", 5},   {"ProbeInit", 6},
            {"ProbeIsCalibrated", 7}, {"ProbeSetParameters", 8}, {"DllMain", 9}};
}

class ExportTable : public ::testing::TestWithParam<const char*> {};

TEST_P(ExportTable, NamesOrdinalsAndModuleName) {
    HMODULE module = LoadLibraryA(GetParam());
    ASSERT_NE(module, nullptr);
    ExportDirectory exports = ReadExports(module);
    EXPECT_EQ(exports.moduleName, "DllPalvo.dll");
    bool type6 = std::string(GetParam()) == "Palvo6.dll";
    std::map<std::string, WORD> expected = OrdinalsFor(type6);
    EXPECT_EQ(exports.ordinals, expected);
    for (const auto& [name, ordinal] : expected) {
        FARPROC byName = GetProcAddress(module, name.c_str());
        FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
        EXPECT_NE(byName, nullptr) << name;
        EXPECT_EQ(byName, byOrdinal) << name;
    }
    FreeLibrary(module);
}

INSTANTIATE_TEST_SUITE_P(Libraries, ExportTable,
                         ::testing::Values("Palvo2.dll", "Palvo3.dll", "Palvo6.dll"));

TEST(ExportTable, DllMainAnswersTrueForEveryReason) {
    HMODULE module = LoadLibraryA("Palvo6.dll");
    ASSERT_NE(module, nullptr);
    auto dllMain = reinterpret_cast<BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllMain")));
    ASSERT_NE(dllMain, nullptr);
    for (DWORD reason : {0ul, 1ul, 2ul, 3ul})
        EXPECT_EQ(dllMain(module, reason, nullptr), TRUE);
    FreeLibrary(module);
}

}  // namespace
