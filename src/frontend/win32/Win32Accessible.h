#pragma once
// What the windows tell assistive technology through MSAA: the parts a
// window paints itself, as children of its client object, and the table's
// role, name and description for a control that has a window of its own.
// oleacc and COM are loaded when a window is first asked (WM_GETOBJECT),
// never at start-up.

#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <functional>
#include <memory>
#include <vector>

#include "ui/Accessible.h"

namespace ui::win32 {

struct AccessiblePart {
  TAccessible Info;
  RECT Bounds{};          // client coordinates
  bool Visible = true;
  bool Enabled = true;
  HWND Window = nullptr;  // a control's own window: its object is the child
};

// What a window's client object reads, asked anew each time so that it is
// what the window shows now. The window empties it when it goes: an object
// a client still holds then answers nothing.
struct AccessibleSource {
  std::function<TAccessible()> Self;
  std::function<std::vector<AccessiblePart>()> Parts;
  std::function<void(int index)> Press;  // the default action of a painted button
  bool Annotated = false;
  std::vector<long> LiveChildren{};  // annotated live regions, cleared when the window goes
  void Disconnect() {
    Self = nullptr;
    Parts = nullptr;
    Press = nullptr;
  }
};

// Answers WM_GETOBJECT for the client object of `window`; 0 for any other
// object, or without oleacc (DefWindowProc answers then). The first answer
// makes each live part a live region whose setting is polite (Dynamic
// Annotation): Narrator reads a live region only with that setting.
LRESULT AnswerGetObject(HWND window, WPARAM wp, LPARAM lp,
                        const std::shared_ptr<AccessibleSource>& source);

// `control`'s own system object, with `info`'s role, name and description
// in place of what its window text says.
void ExposeControl(HWND control, std::function<TAccessible()> info);

// The window is going: its annotations are cleared and its objects answer
// nothing more.
void ForgetAccessible(HWND window, AccessibleSource& source);

// Tells what changed between `before` and `after`, the painted parts' infos
// in their order (AccessibleParts): a live part's new text as a live region's
// change too.
void TellChanges(HWND window, const std::vector<TAccessible>& before,
                 const std::vector<TAccessible>& after);

// The Dynamic Annotation service: the system's, made when first needed; a
// test hands in a stand-in (null: the system's again).
void UseAnnotationService(IAccPropServices* service);

}  // namespace ui::win32
