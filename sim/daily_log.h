#pragma once

#include <string>
#include <string_view>

#include "local_date.h"

namespace sim {

// One component's log of the day, kept open for appending as the server
// keeps it; a new date closes it and opens that day's file.
class DailyLog {
  public:
    DailyLog(std::string prefix, std::string windowsDirectory, std::string serviceName);
    ~DailyLog();
    DailyLog(const DailyLog&) = delete;
    DailyLog& operator=(const DailyLog&) = delete;

    // Switches to the file of `date`, creating it; false when it cannot.
    bool Use(const activity::LocalDate& date);
    // Appends all of `bytes` in one write() where the system allows; false on failure.
    bool Write(std::string_view bytes);
    // The open file, on disk.
    const std::string& Path() const { return path_; }

  private:
    std::string prefix_;
    std::string windowsDirectory_;
    std::string serviceName_;
    activity::LocalDate date_;
    std::string path_;
    int fd_ = -1;
};

}  // namespace sim
