// Writes a component's log as the server does, for the cross-store tests to
// follow from the native side: usage `win_log_writer <folder> <component>`.
// Appends its whole input to <folder>\<component>-Activity-YYMMDD.log, named
// after the local date and opened for appending with every sharing flag, the
// folders made first when missing; prints that name, in UTF-8.
#include <windows.h>

#include <string>

namespace {

// Each folder from the drive down; those that exist already stay.
void MakeFolders(const std::wstring& folder) {
    std::size_t pos = folder.find(L'\\', 3);
    for (;;) {
        CreateDirectoryW(folder.substr(0, pos).c_str(), nullptr);
        if (pos == std::wstring::npos) break;
        pos = folder.find(L'\\', pos + 1);
    }
}

std::wstring TwoDigits(unsigned v) {
    v %= 100;
    return {static_cast<wchar_t>(L'0' + v / 10), static_cast<wchar_t>(L'0' + v % 10)};
}

std::string ReadInput() {
    std::string data;
    char buf[4096];
    DWORD got = 0;
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    return data;
}

bool WriteAll(HANDLE handle, const std::string& data) {
    DWORD written = 0;
    return WriteFile(handle, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
           written == data.size();
}

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const std::wstring folder = argv[1];
    MakeFolders(folder);
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring path = folder + L"\\" + argv[2] + L"-Activity-" + TwoDigits(now.wYear) +
                              TwoDigits(now.wMonth) + TwoDigits(now.wDay) + L".log";
    const std::string data = ReadInput();
    const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const bool ok = WriteAll(file, data);
    CloseHandle(file);
    if (!ok) return 1;
    return WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), Utf8(path)) ? 0 : 1;
}
