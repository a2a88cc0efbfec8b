#pragma once
// The live notification settings as the refresh cycle sees them. The
// notification settings dialog implements this; each call reads the dialog's
// control at that moment, so edits in an open dialog are in force at once.
namespace quarlen {

class INotificationSettings {
 public:
  virtual ~INotificationSettings() = default;
  virtual bool PlaySound() const = 0;    // beep when new articles arrive
  virtual bool ShowBaloon() const = 0;   // show the tray balloon for new articles
  virtual bool ShowBrowser() const = 0;  // bring the main window to the front for new articles
  virtual int KeepArticles() const = 0;  // the store's keep limit, always within KeepArticlesMin..KeepArticlesMax
};

// Keys of the notification settings file, its defaults and ranges.
namespace NotificationSettings {
inline constexpr const char* FileName = "KVTSettings.xml";

inline constexpr const char* PlaySoundKey = "PlaySound";
inline constexpr const char* ShowBaloonKey = "ShowBaloon";
inline constexpr const char* ShowBrowserKey = "ShowBrowser";
inline constexpr const char* RefreshIntervalKey = "RefreshInterval";
inline constexpr const char* KeepArticlesKey = "KeepArticles";

inline constexpr bool PlaySoundDefault = true;
inline constexpr bool ShowBaloonDefault = true;
inline constexpr bool ShowBrowserDefault = true;
inline constexpr int RefreshIntervalDefault = 30;  // minutes
inline constexpr int KeepArticlesDefault = 20;

inline constexpr int RefreshIntervalMin = 5;
inline constexpr int RefreshIntervalMax = 60;
inline constexpr int KeepArticlesMin = 5;
inline constexpr int KeepArticlesMax = 50;

inline constexpr int MillisecondsPerMinute = 60 * 1000;
}  // namespace NotificationSettings

}  // namespace quarlen
