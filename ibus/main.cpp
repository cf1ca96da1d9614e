// zefra-ibus: Zefra as an IBus input method, started by ibus-daemon from its component file.
#include <ibus.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "WordList.h"
#include "ZefraEngine.h"

namespace {

void Disconnected(IBusBus*, gpointer) {
  ibus_quit();
}

// The window's directory: given, or where the installed tree puts the programs.
std::string ProgramDir(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--program-dir") == 0) return argv[i + 1];
  std::error_code ignored;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path();
  return (self / ZEFRA_PROGRAMS_FROM_ENGINE).lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
  TEngineHost& host = EngineHost();
  host.Files = LocateSharedFiles(ProgramDir(argc, argv));
  SetWordListSources(DefaultWordListSources(host.Files.ProgramDir));
  host.ReloadIfChanged();

  ibus_init();
  IBusBus* bus = ibus_bus_new();
  if (!ibus_bus_is_connected(bus)) {
    std::fputs("zefra-ibus: cannot connect to ibus-daemon\n", stderr);
    return 1;
  }
  g_signal_connect(bus, "disconnected", G_CALLBACK(Disconnected), nullptr);
  IBusFactory* factory = ibus_factory_new(ibus_bus_get_connection(bus));
  ibus_factory_add_engine(factory, "zefra", ZEFRA_TYPE_ENGINE);
  if (!ibus_bus_request_name(bus, ZEFRA_IBUS_BUS_NAME, 0)) {
    std::fputs("zefra-ibus: cannot own the bus name " ZEFRA_IBUS_BUS_NAME "\n", stderr);
    return 1;
  }
  ibus_main();
  return 0;
}
