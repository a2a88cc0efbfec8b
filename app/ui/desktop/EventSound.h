#pragma once
// The new-articles sound: the desktop's "message-new-instant" event sound,
// played through libcanberra where the window system has no beep (Wayland).
#include <functional>

struct ca_context;

namespace quarlen {

class EventSound {
 public:
  // useEventSound: play the desktop's event sound instead of beep (true on
  // Wayland, whose Qt client has no beep). beep is the window system's bell.
  EventSound(bool useEventSound, std::function<void()> beep);
  ~EventSound();
  EventSound(const EventSound&) = delete;
  EventSound& operator=(const EventSound&) = delete;

  // Plays the sound; the bell when the event sound can't be played (no sound
  // server, no sound theme). Never fails.
  void Play();

 private:
  bool PlayEventSound();

  bool useEventSound_;
  std::function<void()> beep_;
  ca_context* context_ = nullptr;
};

}  // namespace quarlen
