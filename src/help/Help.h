#pragma once
// Help dispatch: every help request goes to one provider object standing for
// the external help library. Nothing in the menu creates a provider, so a
// request normally ends in the error box.

#include <cstdint>
#include <memory>
#include <string>

namespace help {

inline constexpr const char* kHelpCaption = "Помощь";
inline constexpr const char* kHelpInitError = "Ошибка инициализации подсистемы помощи!";
inline constexpr const char* kHelpNotLoaded =
    "Библиотека для работы с документацией/помощью (zeziva.dll)\rне загружена!";

inline constexpr std::int32_t kMainHelpContext = 10;
inline constexpr std::int32_t kVerHelpContext = 100;
inline constexpr std::int32_t kFBInstallHelpContext = 200;

class THelpProvider {
 public:
  // A provider may fail while going away; ReleaseHelp swallows that.
  virtual ~THelpProvider() noexcept(false) = default;
  virtual bool Loaded() const = 0;
  virtual void ShowContents() = 0;
  virtual void ShowTopic(std::int32_t context) = 0;
};

// The platform message box that shows help errors (caption "Помощь", error
// icon, OK), owned by the active window. Installed by the front end.
class IHelpErrorBox {
 public:
  virtual ~IHelpErrorBox() = default;
  virtual void Show(const std::string& caption, const std::string& text) = 0;
};

extern std::unique_ptr<THelpProvider> HelpProvider;

void SetHelpErrorBox(IHelpErrorBox* box);

void ShowHelpTopic(std::int32_t context);
void ShowHelpContents();

// A window's help event on F1: the topic of the context the window passes;
// the toolkit is told to start no help of its own.
bool FormHelp(std::intptr_t Data, bool& CallHelp);
void ReleaseHelp();
void ShowHelpError(const std::string& text);

}  // namespace help
