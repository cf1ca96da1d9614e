#pragma once
// The one service of a kind in use: installed by the application or a test, or made on first use.
#include <QGuiApplication>
#include <memory>
#include <utility>

template <typename Service>
class ServiceSlot {
 public:
  // On "xcb" the service that makeX11 makes, unless it makes none; else an InProcess one.
  template <typename InProcess, typename MakeX11>
  static std::unique_ptr<Service> ForPlatform(const QString& platformName, MakeX11 makeX11) {
    if (platformName == QLatin1String("xcb"))
      if (std::unique_ptr<Service> service = makeX11()) return service;
    return std::make_unique<InProcess>();
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
    return *Installed();
  }

 private:
  static std::unique_ptr<Service>& Installed() {
    static std::unique_ptr<Service> service;
    return service;
  }
};
