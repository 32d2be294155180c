// The server as a preview reads it on Windows: the service manager, the
// registry, the program folder and Task Scheduler, read only.
#pragma once

#include "preview/Preview.h"

class WindowsServerReader final : public ServerReader {
public:
    std::string Text(int stringId) override;
    std::string ProgramFolder() override;
    std::string DriveOf(const std::string& path) override;
    std::string ProductRootPath() override;
    ServiceState QueryService(const std::string& name) override;
    std::string StartType(const std::string& name) override;
    StoredNumber VerifySecondsSetting() override;
    StoredNumber RebootMinutesSetting() override;
    std::string FolderWriters() override;
    std::string FindProgram(const std::string& nameOrPath) override;
    GatewayFacts Gateway() override;
    LogFolderFacts LogFolder() override;
    LockFacts Lock() override;
    std::string TaskSchedulerError() override;
    std::string PendingSkipText() override;

private:
    bool writersRead_ = false;
    std::string writers_;
};

// The whole preview of an action (a RestartAction code, the bounce's
// services), in the language the program speaks.
PreviewReport PreviewOf(const std::string& actionLine, std::int16_t action, const std::vector<std::string>& services);

// "The next run will be skipped, ..." while a skip holds; empty otherwise
// (the preview, "/Tasks" and the scheduler say it).
std::wstring PendingSkipText();
