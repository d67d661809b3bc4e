#pragma once
// What a form's logic is given at construction to reach its window and the
// world: a view, a timer, a message pump and the dialogs.

#include <cstdint>
#include <string>

#include <functional>

#include "dbserver/Probe.h"
#include "platform/Process.h"
#include "platform/Registry.h"

#include "ui/Layout.h"
#include "ui/_Dialogs.h"

namespace ui {

class IFormView {
 public:
  virtual ~IFormView() = default;
  virtual void SetCaption(const std::string& text) = 0;
  virtual void SetText(int control, const std::string& text) = 0;
  virtual void SetHint(int control, const std::string& hint) = 0;
  virtual void SetTop(int control, int top) = 0;
  virtual void SetVisible(int control, bool visible) = 0;
  virtual void SetEnabled(int control, bool enabled) = 0;
  virtual void SetCursor(TCursor cursor) = 0;
  // Asks the window to close; the request passes the close query.
  virtual void RequestClose() = 0;
};

class ITimer {
 public:
  virtual ~ITimer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetInterval(int milliseconds) = 0;
  virtual int Interval() const = 0;
};

class IMessagePump {
 public:
  virtual ~IMessagePump() = default;
  virtual void ProcessMessages() = 0;
};

// Child processes and the shell.
class ILauncher {
 public:
  virtual ~ILauncher() = default;
  virtual bool StartProcess(const std::string& path, platform::TProcessInformation& info,
                            std::int32_t& error) = 0;
  virtual bool GetExitCode(platform::TProcessInformation& info, std::uint32_t& code) = 0;
  virtual std::intptr_t ShellOpen(const std::string& path) = 0;
  // Openers ShellOpen started that ended in failure since the last call.
  virtual int EndedOpenerFailures(bool& running) {
    running = false;
    return 0;
  }
};

// The real thing.
class TPlatformLauncher : public ILauncher {
 public:
  bool StartProcess(const std::string& path, platform::TProcessInformation& info,
                    std::int32_t& error) override {
    return platform::StartProcess(path, info, error);
  }
  bool GetExitCode(platform::TProcessInformation& info, std::uint32_t& code) override {
    return platform::GetProcessExitCode(info, code);
  }
  std::intptr_t ShellOpen(const std::string& path) override { return platform::ShellOpen(path); }
  int EndedOpenerFailures(bool& running) override { return platform::EndedOpenerFailures(running); }
};

// Attaches to the database server's service manager and detaches again.
using TServiceAttach = std::function<bool(const dbserver::TProbeSettings&)>;

struct TFormDeps {
  IFormView& View;
  ITimer& Timer;
  IMessagePump& Pump;
  dialogs::IDialogs& Dialogs;
  ILauncher& Launcher;
  // The registry the server detection reads.
  platform::RegistryFactory Registry = platform::CreateRegistryReader;
  // The client library and service the probe uses.
  dbserver::TProbeSettings Probe = dbserver::DefaultProbeSettings();
  TServiceAttach Attach = dbserver::AttachService;
};

}  // namespace ui
