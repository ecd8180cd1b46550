// Prints the texts of a top-level window and of every control in it, one per line in UTF-8, the
// window's title first: what a user reads on an installer's page. Arguments: the window title, or its
// beginning, and optionally the face and point size of the page's font (for controls whose own font
// cannot be read from another process).
// Then checks that no text is cut: each one, measured in its control's font, must fit the control,
// and buttons side by side must not touch; each fault is a line "CUT: ...".
// A console program; exit status 1 when no such window is shown, 3 when a text is cut.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

static std::wstring textOf(HWND window)
{
    // Sent, not read from our own memory: the window belongs to another process.
    wchar_t text[2048];
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, sizeof text / sizeof *text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &n)
        || !IsWindowVisible(window))
        return {};
    // A picture's resource number (0xFFFF and the number) is no text.
    if (n > 0 && text[0] == 0xFFFF)
        return {};
    return std::wstring(text, n);
}

static std::string utf8(const std::wstring &text)
{
    std::string bytes(text.size() * 3 + 1, '\0');
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), bytes.data(),
                                         int(bytes.size()), nullptr, nullptr);
    bytes.resize(size > 0 ? size : 0);
    return bytes;
}

static void print(HWND window)
{
    const std::wstring text = textOf(window);
    if (!text.empty())
        std::printf("%s\n", utf8(text).c_str());
}

static int cuts = 0;
static LOGFONTW pageFont; // the font of a page's controls when their own cannot be read

static void cut(const std::wstring &text, const char *what, long need, long have)
{
    std::printf("CUT: %s (%s: needs %ld, has %ld)\n", utf8(text).c_str(), what, need, have);
    ++cuts;
}

// The text of each shown control in the control's own font, against the control's client area: a
// label's lines wrapped as the label wraps them (DrawText) in its height, its last line not one or
// two characters cast off from the rest; a button's, check box's or single-line text's extent
// (GetTextExtentPoint32) in its width, less the frame or box the control draws beside it. Push buttons next to each other keep a
// gap. Edit fields and lists scroll and are left out.
static void checkFits(HWND top)
{
    std::vector<std::pair<RECT, HWND>> buttons;
    for (HWND control = GetWindow(top, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        if (!IsWindowVisible(control))
            continue;
        HWND inner = FindWindowExW(control, nullptr, nullptr, nullptr);
        if (inner) // an inner dialog (a page): its controls too
            checkFits(control);
        wchar_t kind[64] = {};
        GetClassNameW(control, kind, 64);
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        const std::wstring text = textOf(control);
        RECT client;
        GetClientRect(control, &client);
        const bool isButton = _wcsicmp(kind, L"Button") == 0;
        const LONG type = style & 0x1F;
        if (isButton && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
            RECT r;
            GetWindowRect(control, &r);
            buttons.push_back({r, control});
        }
        if (text.empty())
            continue;
        const bool isStatic = _wcsicmp(kind, L"Static") == 0;
        if (!isButton && !isStatic)
            continue;
        if (isStatic && (type == SS_ICON || type == SS_BITMAP || type == SS_ETCHEDHORZ || type == SS_OWNERDRAW))
            continue;
        // The control's font; Wine answers WM_GETFONT from another process with none, and a
        // font handle of another process may not be usable here: then the page's font as given.
        LOGFONTW logical = pageFont;
        const HGDIOBJ own = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
        if (!own || !GetObjectW(own, sizeof logical, &logical))
            logical = pageFont;
        HFONT font = CreateFontIndirectW(&logical);
        HDC dc = GetDC(control);
        HGDIOBJ before = SelectObject(dc, font);
        const bool prefix = !(isStatic && (style & SS_NOPREFIX));
        const UINT prefixFlag = prefix ? 0 : DT_NOPREFIX;
        const long width = client.right - client.left;
        const long height = client.bottom - client.top;
        const bool wraps = (isStatic && (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT))
                || (isButton && (style & BS_MULTILINE));
        if (wraps) {
            RECT all = {0, 0, width, 0};
            DrawTextW(dc, text.c_str(), -1, &all, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | prefixFlag);
            if (all.bottom > height)
                cut(text, "height", all.bottom, height);
            else if (all.right > width)
                cut(text, "width", all.right, width);
            else if (text.size() > 2 && text.back() != L'\n') {
                // A last line of one or two characters: they were pushed off the line before.
                const std::wstring shorter = text.substr(0, text.size() - 2);
                RECT rest = {0, 0, width, 0};
                DrawTextW(dc, shorter.c_str(), -1, &rest, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | prefixFlag);
                if (rest.bottom < all.bottom)
                    cut(text, "last line of two characters, height", all.bottom, rest.bottom);
            }
        } else {
            // The text as drawn: "&" marks the next character's underline, "&&" is one "&".
            std::wstring shown;
            for (size_t i = 0; i < text.size(); ++i) {
                if (prefix && text[i] == L'&' && i + 1 < text.size())
                    ++i;
                shown += text[i];
            }
            SIZE extent = {0, 0};
            GetTextExtentPoint32W(dc, shown.c_str(), int(shown.size()), &extent);
            // What the control draws beside its text: a push button's frame and focus rectangle, a
            // check box's or option's box, a group box's indent.
            long beside = 0;
            if (isButton && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
                beside = 2 * (GetSystemMetrics(SM_CXEDGE) + 2);
            else if (isButton && type != BS_GROUPBOX)
                beside = GetSystemMetrics(SM_CXMENUCHECK) + 4;
            else if (isButton)
                beside = 2 * 8;
            if (extent.cx + beside > width)
                cut(text, "width", extent.cx + beside, width);
        }
        SelectObject(dc, before);
        ReleaseDC(control, dc);
        DeleteObject(font);
    }
    for (size_t i = 0; i < buttons.size(); ++i)
        for (size_t j = 0; j < buttons.size(); ++j) {
            const RECT &a = buttons[i].first, &b = buttons[j].first;
            const bool sameRow = a.top < b.bottom && b.top < a.bottom;
            if (i != j && sameRow && a.left <= b.left && b.left <= a.right)
                cut(textOf(buttons[i].second), "gap to the next button", 1, b.left - a.right);
        }
}

static int found = 0;

static BOOL CALLBACK child(HWND window, LPARAM)
{
    print(window);
    return TRUE;
}

// Every shown top-level window whose title begins with the given one (a page may add its own), and
// the controls in it; a program may keep hidden windows of the same title.
static BOOL CALLBACK topLevel(HWND window, LPARAM title)
{
    wchar_t text[512];
    if (!IsWindowVisible(window) || !GetWindowTextW(window, text, sizeof text / sizeof *text)
        || wcsncmp(text, reinterpret_cast<const wchar_t *>(title), wcslen(reinterpret_cast<const wchar_t *>(title))) != 0)
        return TRUE;
    print(window);
    EnumChildWindows(window, child, 0);
    checkFits(window);
    ++found;
    return TRUE;
}

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2 && argc != 4)
        return 2;
    // Measured in the pixels that the (DPI-aware) installer lays its pages out in.
    SetProcessDPIAware();
    HDC screen = GetDC(nullptr);
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof pageFont, &pageFont);
    if (argc == 4) {
        wcsncpy(pageFont.lfFaceName, argv[2], LF_FACESIZE - 1);
        pageFont.lfHeight = -MulDiv(_wtoi(argv[3]), GetDeviceCaps(screen, LOGPIXELSY), 72);
        pageFont.lfWidth = 0;
        pageFont.lfWeight = FW_NORMAL;
    }
    ReleaseDC(nullptr, screen);
    EnumWindows(topLevel, reinterpret_cast<LPARAM>(argv[1]));
    return !found ? 1 : cuts ? 3 : 0;
}
