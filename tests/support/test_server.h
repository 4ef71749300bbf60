#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

// A mail server's settings and log folder for tests: a throwaway Wine prefix
// on POSIX, the registry and a temporary folder on Windows.
class TestServer {
  public:
    TestServer();
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Sets "Activity Log Directory" of `key`, relative to the server's
    // settings root (e.g. "Connectors\\SMTP", or "Connectors\\" itself).
    void SetDirectory(const std::string& key, const std::string& windowsDir);

    // The log folder, as the settings name it and as this process opens it.
    std::string WindowsLogDir() const;
    std::filesystem::path LocalLogDir() const;

  private:
    std::filesystem::path root_;
    std::map<std::string, std::string> values_;
    std::optional<std::string> savedPrefix_;  // WINEPREFIX before, on POSIX
};
