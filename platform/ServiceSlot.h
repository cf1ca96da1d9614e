#pragma once
// The one service of a kind in use: installed by the application or a test, or made on first use.
#include <QGuiApplication>
#include <memory>
#include <utility>

/// Whether the Qt platform shows nothing on a screen ("offscreen", "minimal"): only in such
/// headless runs do the in-process services, which answer and record for a test, stand in.
inline bool IsHeadlessPlatform(const QString& platformName) {
  return platformName == QLatin1String("offscreen") || platformName == QLatin1String("minimal");
}

template <typename Service>
class ServiceSlot {
 public:
  // On a headless platform an InProcess service; on any other the one that makeX11 makes, or
  // none when the X server cannot give it (the program then refuses to start).
  template <typename InProcess, typename MakeX11>
  static std::unique_ptr<Service> ForPlatform(const QString& platformName, MakeX11 makeX11) {
    if (IsHeadlessPlatform(platformName)) return std::make_unique<InProcess>();
    return makeX11();
  }
  // Makes service the one in use, returning the one it replaces (nullptr: none installed yet).
  static std::unique_ptr<Service> Install(std::unique_ptr<Service> service) {
    std::swap(Installed(), service);
    return service;
  }
  // The service in use; the first use without Install takes the one that forPlatform gives for
  // the running Qt platform.
  template <typename ForPlatform>
  static Service& Current(ForPlatform forPlatform) {
    if (!Installed()) Installed() = forPlatform(QGuiApplication::platformName());
    // Only a program that skipped its start-up check gets here without one.
    if (!Installed()) qFatal("Zefra needs an X server with the XKB and XTEST extensions");
    return *Installed();
  }

 private:
  static std::unique_ptr<Service>& Installed() {
    static std::unique_ptr<Service> service;
    return service;
  }
};
