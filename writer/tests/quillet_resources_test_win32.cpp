// Quillet's compiled resources, read back from the program file: every id, text,
// position and style of both dialogs, the menu string, the icon images, the
// version record and the manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"

namespace {

constexpr WORD ButtonClass = 0x0080;
constexpr WORD StaticClass = 0x0082;

struct Control {
    DWORD style;
    DWORD id;
    short x, y, cx, cy;
    std::wstring windowClass;  // "#128" for an ordinal
    std::wstring title;
};

struct Dialog {
    DWORD style, exStyle;
    short x, y, cx, cy;
    std::wstring caption;
    WORD pointSize;
    std::wstring typeface;
    std::vector<Control> controls;
};

// Reads the sz_Or_Ord fields of a dialog template.
class TemplateReader {
  public:
    explicit TemplateReader(const BYTE* at) : at_(at) {}

    template <typename T>
    T Take() {
        T value;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    std::wstring TakeText() {
        const WORD first = Take<WORD>();
        if (first == 0) {
            return {};
        }
        if (first == 0xFFFF) {
            return L"#" + std::to_wstring(Take<WORD>());
        }
        std::wstring text(1, static_cast<wchar_t>(first));
        while (WORD c = Take<WORD>()) {
            text.push_back(static_cast<wchar_t>(c));
        }
        return text;
    }
    void AlignToDword(const BYTE* base) {
        while ((at_ - base) % 4) {
            ++at_;
        }
    }
    void Skip(size_t bytes) { at_ += bytes; }

  private:
    const BYTE* at_;
};

class QuilletResources : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        program = std::wstring(path);
        program = program.substr(0, program.find_last_of(L'\\') + 1) + L"Quillet.exe";
        module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module); }

    static const BYTE* Resource(LPCSTR type, int id, DWORD* size = nullptr) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
        if (found == nullptr) {
            return nullptr;
        }
        if (size) {
            *size = SizeofResource(module, found);
        }
        return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    }

    static Dialog ReadDialog(int id) {
        const BYTE* base = Resource(RT_DIALOG, id);
        EXPECT_NE(base, nullptr);
        Dialog dialog{};
        if (base == nullptr) {
            return dialog;
        }
        TemplateReader reader(base);
        EXPECT_EQ(reader.Take<WORD>(), 1);       // dlgVer
        EXPECT_EQ(reader.Take<WORD>(), 0xFFFF);  // DIALOGEX
        reader.Take<DWORD>();                    // help id
        dialog.exStyle = reader.Take<DWORD>();
        dialog.style = reader.Take<DWORD>();
        const WORD count = reader.Take<WORD>();
        dialog.x = reader.Take<short>();
        dialog.y = reader.Take<short>();
        dialog.cx = reader.Take<short>();
        dialog.cy = reader.Take<short>();
        EXPECT_EQ(reader.TakeText(), L"");  // menu
        EXPECT_EQ(reader.TakeText(), L"");  // class
        dialog.caption = reader.TakeText();
        dialog.pointSize = reader.Take<WORD>();
        reader.Take<WORD>();  // weight
        reader.Take<BYTE>();  // italic
        reader.Take<BYTE>();  // character set
        dialog.typeface = reader.TakeText();
        for (WORD i = 0; i < count; ++i) {
            reader.AlignToDword(base);
            Control control{};
            reader.Take<DWORD>();  // help id
            reader.Take<DWORD>();  // extended style
            control.style = reader.Take<DWORD>();
            control.x = reader.Take<short>();
            control.y = reader.Take<short>();
            control.cx = reader.Take<short>();
            control.cy = reader.Take<short>();
            control.id = reader.Take<DWORD>();
            control.windowClass = reader.TakeText();
            control.title = reader.TakeText();
            reader.Skip(reader.Take<WORD>());
            dialog.controls.push_back(control);
        }
        return dialog;
    }

    static std::wstring VersionText(const void* block, const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040c04e4\\") + name;
        if (!VerQueryValueW(block, key.c_str(), reinterpret_cast<void**>(&value), &length)) {
            return L"<missing>";
        }
        return value;
    }

    static inline std::wstring program;
    static inline HMODULE module = nullptr;
};

void ExpectControl(const Control& control, DWORD id, const wchar_t* text, WORD kind,
                   std::pair<short, short> at, std::pair<short, short> size) {
    SCOPED_TRACE(text);
    EXPECT_EQ(control.id & 0xFFFF, id);
    EXPECT_EQ(control.title, text);
    EXPECT_EQ(control.windowClass, L"#" + std::to_wstring(kind));
    EXPECT_EQ(std::make_pair(control.x, control.y), at);
    EXPECT_EQ(std::make_pair(control.cx, control.cy), size);
    EXPECT_TRUE(control.style & WS_VISIBLE);
}

TEST_F(QuilletResources, MainDialog) {
    ASSERT_NE(module, nullptr);
    const Dialog dialog = ReadDialog(IDD_QUILLET_DIALOG);
    EXPECT_EQ(dialog.caption, L"Quillet");
    EXPECT_EQ(std::make_pair(dialog.cx, dialog.cy), std::make_pair(short{275}, short{89}));
    EXPECT_EQ(dialog.typeface, L"MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);
    const DWORD wanted = WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_POPUP;
    EXPECT_EQ(dialog.style & wanted, wanted);
    EXPECT_EQ(dialog.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
    EXPECT_EQ(dialog.exStyle & (WS_EX_CLIENTEDGE | WS_EX_APPWINDOW),
              DWORD{WS_EX_CLIENTEDGE | WS_EX_APPWINDOW});

    ASSERT_EQ(dialog.controls.size(), 5u);
    const auto& c = dialog.controls;
    ExpectControl(c[0], IDCANCEL, L"Close", ButtonClass, {213, 6}, {50, 16});
    EXPECT_EQ(c[0].style & (WS_TABSTOP | BS_TYPEMASK), DWORD{WS_TABSTOP | BS_PUSHBUTTON});
    ExpectControl(c[1], IDC_STATUS_LINE, L"Communication Closed", StaticClass, {33, 65}, {202, 9});
    EXPECT_EQ(c[1].style & SS_TYPEMASK, DWORD{SS_CENTER});
    ExpectControl(c[2], 0xFFFF, L"Communication Status", ButtonClass, {7, 54}, {256, 28});
    EXPECT_EQ(c[2].style & BS_TYPEMASK, DWORD{BS_GROUPBOX});
    ExpectControl(c[3], IDC_WRITE, L"Write", ButtonClass, {93, 26}, {84, 19});
    EXPECT_EQ(c[3].style & (WS_TABSTOP | BS_TYPEMASK), DWORD{WS_TABSTOP | BS_PUSHBUTTON});
    ExpectControl(c[4], 0xFFFF, L"Quillet Version 1.0.0", StaticClass, {7, 6}, {119, 8});
    EXPECT_EQ(c[4].style & (SS_TYPEMASK | SS_NOPREFIX), DWORD{SS_LEFT | SS_NOPREFIX});
}

TEST_F(QuilletResources, AboutBoxAndItsMenuString) {
    ASSERT_NE(module, nullptr);
    const Dialog dialog = ReadDialog(IDD_ABOUTBOX);
    EXPECT_EQ(dialog.caption, L"\u00C0 propos de Quillet");
    EXPECT_EQ(std::make_pair(dialog.cx, dialog.cy), std::make_pair(short{235}, short{55}));
    EXPECT_EQ(dialog.typeface, L"MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);

    ASSERT_EQ(dialog.controls.size(), 4u);
    const auto& c = dialog.controls;
    EXPECT_EQ(c[0].style & SS_TYPEMASK, DWORD{SS_ICON});
    EXPECT_EQ(c[0].title, L"#" + std::to_wstring(IDR_MAINFRAME));
    EXPECT_EQ(std::make_pair(c[0].x, c[0].y), std::make_pair(short{11}, short{17}));
    ExpectControl(c[1], 0xFFFF, L"Quillet Version 1.0.0", StaticClass, {40, 10}, {119, 8});
    EXPECT_EQ(std::make_pair(c[2].x, c[2].y), std::make_pair(short{40}, short{25}));
    EXPECT_EQ(std::make_pair(c[2].cx, c[2].cy), std::make_pair(short{74}, short{8}));
    EXPECT_FALSE(c[2].title.empty());
    ExpectControl(c[3], IDOK, L"OK", ButtonClass, {178, 7}, {50, 16});
    EXPECT_EQ(c[3].style & BS_TYPEMASK, DWORD{BS_DEFPUSHBUTTON});

    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(module, IDS_ABOUTBOX, text, 64), 0);
    EXPECT_STREQ(text, L"&\u00C0 propos de Quillet...");
}

TEST_F(QuilletResources, IconImages) {
    ASSERT_NE(module, nullptr);
    DWORD size = 0;
    const BYTE* group = Resource(RT_GROUP_ICON, IDR_MAINFRAME, &size);
    ASSERT_NE(group, nullptr);
    TemplateReader reader(group);
    reader.Take<WORD>();
    EXPECT_EQ(reader.Take<WORD>(), 1);  // icons
    const WORD count = reader.Take<WORD>();
    std::multiset<std::pair<int, int>> images;
    for (WORD i = 0; i < count; ++i) {
        const int width = reader.Take<BYTE>();
        reader.Skip(3);  // height, colours, reserved
        reader.Take<WORD>();
        const int bits = reader.Take<WORD>();
        reader.Take<DWORD>();
        const WORD id = reader.Take<WORD>();
        EXPECT_NE(Resource(RT_ICON, id), nullptr);
        images.insert({width, bits});
    }
    const std::multiset<std::pair<int, int>> expected{{48, 4},  {48, 8},  {48, 24}, {32, 4},
                                                      {32, 8},  {32, 24}, {16, 4},  {16, 8},
                                                      {16, 24}, {32, 1}};
    EXPECT_EQ(images, expected);
    EXPECT_NE(LoadIconW(module, MAKEINTRESOURCEW(IDR_MAINFRAME)), nullptr);
}

TEST_F(QuilletResources, VersionRecordAndManifest) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);

    DWORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(*translation, MAKELONG(0x040C, 1252));
    EXPECT_EQ(VersionText(block.data(), L"FileDescription"), L"Quillet");
    EXPECT_EQ(VersionText(block.data(), L"OriginalFilename"), L"Quillet.exe");
    EXPECT_EQ(VersionText(block.data(), L"FileVersion"), L"1.0.0");
    EXPECT_EQ(VersionText(block.data(), L"ProductVersion"), L"1.0.0");

    DWORD manifestSize = 0;
    const BYTE* manifest = Resource(RT_MANIFEST, 1, &manifestSize);
    ASSERT_NE(manifest, nullptr);
    const std::string text(reinterpret_cast<const char*>(manifest), manifestSize);
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
}

}  // namespace
