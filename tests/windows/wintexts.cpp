// Prints the texts of a top-level window and of every control in it, one per line in UTF-8, the
// window's title first: what a user reads on an installer's page. Argument: the window title, or its beginning.
// A console program; exit status 1 when no such window is shown.
#include <windows.h>

#include <cstdio>
#include <cwchar>

static void print(HWND window)
{
    // Sent, not read from our own memory: the window belongs to another process.
    wchar_t text[2048];
    const LRESULT n = SendMessageTimeoutW(window, WM_GETTEXT, sizeof text / sizeof *text,
                                          reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    if (n <= 0 || !IsWindowVisible(window))
        return;
    char bytes[sizeof text * 2];
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    if (size > 1)
        std::printf("%s\n", bytes);
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
    ++found;
    return TRUE;
}

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2)
        return 2;
    EnumWindows(topLevel, reinterpret_cast<LPARAM>(argv[1]));
    return found ? 0 : 1;
}
