#include "app/ui/desktop/EventSound.h"

#include <canberra.h>

namespace quarlen {

EventSound::EventSound(bool useEventSound, std::function<void()> beep)
    : useEventSound_(useEventSound), beep_(std::move(beep)) {}

EventSound::~EventSound() {
  if (context_ != nullptr) ca_context_destroy(context_);
}

void EventSound::Play() {
  if (useEventSound_ && PlayEventSound()) return;
  if (beep_) beep_();
}

bool EventSound::PlayEventSound() {
  // Made at the first sound, not at start: opening the sound server costs
  // time that a user who never hears a sound should not pay.
  if (context_ == nullptr) {
    if (ca_context_create(&context_) != CA_SUCCESS) {
      context_ = nullptr;
      return false;
    }
    ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Quarlen Messenger", CA_PROP_APPLICATION_ID,
                            "quarlen-messenger", CA_PROP_APPLICATION_ICON_NAME, "quarlen-messenger", nullptr);
  }
  // The sound theme's name for an incoming message, as chat programs use it.
  // The call returns once the sound has started, not when it ends.
  return ca_context_play(context_, 0, CA_PROP_EVENT_ID, "message-new-instant", CA_PROP_EVENT_DESCRIPTION,
                         "New Quarlen article", nullptr) == CA_SUCCESS;
}

}  // namespace quarlen
