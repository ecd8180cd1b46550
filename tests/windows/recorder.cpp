// Records how it was started: appends its command line exactly as Windows handed it over, then its
// current folder, as UTF-8 lines to the file that TOLV_RECORD_LOG names. A console program.
#include <windows.h>

#include <string>

static void append(std::string &out, const wchar_t *text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n > 1) {
        std::string bytes(std::size_t(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), n, nullptr, nullptr);
        out.append(bytes.c_str());
    }
    out += '\n';
}

int main()
{
    wchar_t log[1024];
    if (!GetEnvironmentVariableW(L"TOLV_RECORD_LOG", log, 1024))
        return 2;
    wchar_t folder[1024];
    GetCurrentDirectoryW(1024, folder);
    std::string record;
    append(record, GetCommandLineW());
    append(record, folder);
    const HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    WriteFile(file, record.data(), DWORD(record.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
