#include <windows.h>

#include "log_file.h"
#include "registry_value.h"

namespace activity {

namespace {

HANDLE AsHandle(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

ScanState WhyNotOpen(DWORD error, LPCWSTR path) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return ScanState::FileMissing;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return ScanState::FolderMissing;
        case ERROR_ACCESS_DENIED: {
            // A folder at the path fails the same way; only here is it looked at.
            const DWORD attributes = GetFileAttributesW(path);
            return attributes != INVALID_FILE_ATTRIBUTES &&
                           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                       ? ScanState::NotAFile
                       : ScanState::AccessDenied;
        }
        default:
            return ScanState::Unreadable;
    }
}

}  // namespace

LogFile::LogFile(const std::string& windowsPath) {
    const std::u16string wide = Utf8ToUtf16(windowsPath);
    // Every share mode, so the server can go on appending, renaming and
    // deleting the log while we read it.
    HANDLE h = CreateFileW(reinterpret_cast<LPCWSTR>(wide.c_str()), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        state_ = WhyNotOpen(GetLastError(), reinterpret_cast<LPCWSTR>(wide.c_str()));
        return;
    }
    // A device or pipe name could block a read; only a disk file will do.
    BY_HANDLE_FILE_INFORMATION info{};
    const bool disk = GetFileType(h) == FILE_TYPE_DISK;
    if (!disk || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        state_ = disk && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0
                     ? ScanState::Unreadable
                     : ScanState::NotAFile;
        CloseHandle(h);
        return;
    }
    state_ = ScanState::Following;
    handle_ = reinterpret_cast<std::intptr_t>(h);
    size_ =
        static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    identity_ = {info.dwVolumeSerialNumber,
                 (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

LogFile::~LogFile() {
    if (IsOpen()) CloseHandle(AsHandle(handle_));
}

std::int64_t LogFile::ReadAt(std::int64_t offset, char* buffer, std::size_t count) const {
    if (!IsOpen() || offset < 0) return -1;
    const auto request = static_cast<DWORD>(count < 0x40000000 ? count : 0x40000000);
    OVERLAPPED at{};
    const auto position = static_cast<std::uint64_t>(offset);
    at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD read = 0;
    if (!ReadFile(AsHandle(handle_), buffer, request, &read, &at)) {
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return read;
}

}  // namespace activity
