// A Windows process that touches a log as the server or an administrator does:
//   win_file_op append FILE HEX[*N]...   appends the bytes in one write, sharing as a
//                                        log writer does; HEX*N repeats HEX N times,
//                                        since a command line holds only 32,767 characters
//   win_file_op rename FROM TO
//   win_file_op delete FILE
// Exits 0 when the call succeeded, else with the system's error code.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

namespace {

std::string FromHex(const std::wstring& arg) {
    const std::size_t star = arg.find(L'*');
    const std::wstring hex = arg.substr(0, star);
    const long times = star == arg.npos ? 1 : std::wcstol(arg.c_str() + star + 1, nullptr, 10);
    std::string piece, bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        piece += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    for (long i = 0; i < times; ++i) bytes += piece;
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
    if (op == L"append" && argc >= 4) {
        std::string bytes;
        for (int i = 3; i < argc; ++i) bytes += FromHex(argv[i]);
        return static_cast<int>(Append(argv[2], bytes));
    }
    const bool rename = op == L"rename" && argc == 4, remove = op == L"delete" && argc == 3;
    if (!rename && !remove) return ERROR_BAD_ARGUMENTS;
    const BOOL ok = rename ? MoveFileExW(argv[2], argv[3], 0) : DeleteFileW(argv[2]);
    return ok ? 0 : static_cast<int>(GetLastError());
}
