#include "app/ui/desktop/WindowActivation.h"

#include <wayland-client.h>

#include <qpa/qplatformnativeinterface.h>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstring>

#include "xdg-activation-v1-client-protocol.h"

namespace quarlen {

namespace {
void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t /*version*/) {
  if (std::strcmp(interface, xdg_activation_v1_interface.name) != 0) return;
  *static_cast<xdg_activation_v1**>(data) =
      static_cast<xdg_activation_v1*>(wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener RegistryListener{OnGlobal, OnGlobalRemove};

void OnTokenDone(void* data, xdg_activation_token_v1* /*token*/, const char* token) {
  *static_cast<QString*>(data) = QString::fromUtf8(token);
}
const xdg_activation_token_v1_listener TokenListener{OnTokenDone};

// The compositor's xdg-activation on a registry and queue of our own: Qt's
// event queue and its bound globals stay untouched, and the round trips
// dispatch only ours.
class Activation {
 public:
  explicit Activation(QWidget& window) {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    QWindow* handle = window.windowHandle();
    if (native == nullptr || handle == nullptr || !window.isVisible()) return;
    display_ = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    surface_ = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", handle));
    if (display_ == nullptr || surface_ == nullptr) return;
    queue_ = wl_display_create_queue(display_);
    wrapped_ = static_cast<wl_display*>(wl_proxy_create_wrapper(display_));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped_), queue_);
    registry_ = wl_display_get_registry(wrapped_);
    wl_registry_add_listener(registry_, &RegistryListener, &activation_);
    wl_display_roundtrip_queue(display_, queue_);
  }
  ~Activation() {
    if (activation_ != nullptr) xdg_activation_v1_destroy(activation_);
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    if (wrapped_ != nullptr) wl_proxy_wrapper_destroy(wrapped_);
    if (display_ != nullptr) wl_display_flush(display_);
    if (queue_ != nullptr) wl_event_queue_destroy(queue_);
  }
  Activation(const Activation&) = delete;
  Activation& operator=(const Activation&) = delete;

  bool Available() const { return activation_ != nullptr; }

  void Activate(const QString& token) { xdg_activation_v1_activate(activation_, token.toUtf8().constData(), surface_); }

  QString RequestToken() {
    QString token;
    xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation_);
    xdg_activation_token_v1_add_listener(request, &TokenListener, &token);
    // No serial: the program asks on its own, not in answer to an input event.
    xdg_activation_token_v1_set_surface(request, surface_);
    xdg_activation_token_v1_commit(request);
    wl_display_roundtrip_queue(display_, queue_);
    xdg_activation_token_v1_destroy(request);
    return token;
  }

 private:
  wl_display* display_ = nullptr;
  wl_surface* surface_ = nullptr;
  wl_event_queue* queue_ = nullptr;
  wl_display* wrapped_ = nullptr;
  wl_registry* registry_ = nullptr;
  xdg_activation_v1* activation_ = nullptr;
};
}  // namespace

bool ActivateWithToken(QWidget& window, const QString& token) {
  if (token.isEmpty()) return false;
  Activation activation(window);
  if (!activation.Available()) return false;
  activation.Activate(token);
  return true;
}

bool ActivateWithOwnToken(QWidget& window) {
  Activation activation(window);
  if (!activation.Available()) return false;
  const QString token = activation.RequestToken();
  if (token.isEmpty()) return false;
  activation.Activate(token);
  return true;
}

}  // namespace quarlen
