// A Windows process that touches a log as the server or an administrator does:
//   win_file_op append FILE HEX    appends the bytes, sharing as a log writer does
//   win_file_op rename FROM TO
//   win_file_op delete FILE
// Exits 0 when the call succeeded, else with the system's error code.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

namespace {

std::string FromHex(const wchar_t* hex) {
    std::string bytes;
    for (const wchar_t* p = hex; p[0] && p[1]; p += 2) {
        bytes += static_cast<char>(std::stoi(std::wstring(p, 2), nullptr, 16));
    }
    return bytes;
}

DWORD Append(const wchar_t* path, const std::string& bytes) {
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    return error;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring op = argc > 2 ? argv[1] : L"";
    if (op == L"append" && argc == 4) return static_cast<int>(Append(argv[2], FromHex(argv[3])));
    BOOL ok = FALSE;
    if (op == L"rename" && argc == 4) {
        ok = MoveFileExW(argv[2], argv[3], 0);
    } else if (op == L"delete" && argc == 3) {
        ok = DeleteFileW(argv[2]);
    } else {
        return ERROR_BAD_ARGUMENTS;
    }
    return ok ? 0 : static_cast<int>(GetLastError());
}
