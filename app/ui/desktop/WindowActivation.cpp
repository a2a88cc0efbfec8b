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
}  // namespace

bool ActivateWithToken(QWidget& window, const QString& token) {
  if (token.isEmpty() || !QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return false;
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  QWindow* handle = window.windowHandle();
  if (native == nullptr || handle == nullptr || !window.isVisible()) return false;
  auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
  auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", handle));
  if (display == nullptr || surface == nullptr) return false;

  // A registry of our own on a queue of our own: Qt's event queue and its
  // bound globals stay untouched, and the round trip dispatches only ours.
  wl_event_queue* queue = wl_display_create_queue(display);
  auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue);
  wl_registry* registry = wl_display_get_registry(wrapped);
  xdg_activation_v1* activation = nullptr;
  wl_registry_add_listener(registry, &RegistryListener, &activation);
  wl_display_roundtrip_queue(display, queue);
  const bool activated = activation != nullptr;
  if (activated) {
    xdg_activation_v1_activate(activation, token.toUtf8().constData(), surface);
    xdg_activation_v1_destroy(activation);
  }
  wl_registry_destroy(registry);
  wl_proxy_wrapper_destroy(wrapped);
  wl_display_flush(display);
  wl_event_queue_destroy(queue);
  return activated;
}

}  // namespace quarlen
