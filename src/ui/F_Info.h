#pragma once
// Unit F_Info: TInfoForm, the small window that names the file being copied
// while a looping animation runs. At most one exists at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ui/Layout.h"

namespace ui {

namespace info {
enum Control : int { FileNameLabel, Animate1 };
}

const TFormLayout& InfoLayout();

// The progress window as a front end draws it.
class IInfoForm {
 public:
  virtual ~IInfoForm() = default;
  virtual void SetFileName(const std::string& name) = 0;
  virtual void RepaintFileName() = 0;  // at once, not at the next paint
  virtual void SetAnimationActive(bool active) = 0;
  virtual void Show() = 0;             // without making it modal
  // Paints the frames of the animation due by now, at once: the pause
  // blocks the toolkit's timers.
  virtual void CatchUpAnimation() {}
};

// The animation's pace: about 11 frames a second.
inline constexpr int kFrameMs = 90;

// Which frame a looping animation shows. A timer every kFrameMs steps it on;
// a pause that blocks the timer catches up by the frames due since.
class TFrameClock {
 public:
  static std::int64_t NowMs();  // a monotonic clock

  void SetFrames(int frames);  // keeps its place in the loop
  int Frames() const { return frames_; }
  int Frame() const { return frame_; }
  void Start(std::int64_t now) { stepped_ = now; }
  void Step(std::int64_t now, int frames = 1);
  // True when frames were due, and the frame moved.
  bool CatchUp(std::int64_t now);

 private:
  int frames_ = 0;
  int frame_ = 0;
  std::int64_t stepped_ = 0;
};

// What the unit needs of the front end: making the window (null when that
// fails) and a pass over pending messages. The pause is the thread's sleep
// in steps of a frame, the window catching up after each; tests may put
// another in.
struct TInfoEnvironment {
  std::function<std::unique_ptr<IInfoForm>()> Create;
  std::function<void()> ProcessMessages;
  std::function<void(int milliseconds)> Sleep;
};
void SetInfoEnvironment(TInfoEnvironment environment);

// The window while it exists; null otherwise.
extern std::unique_ptr<IInfoForm> InfoForm;

inline constexpr int kInfoPauseMs = 500;

// The pause after each file: the thread sleeps, the animation moves on.
void AnimatedPause(int milliseconds);

void ShowInfo(const std::string& FileName);
void HideInfo();

}  // namespace ui
