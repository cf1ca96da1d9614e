#pragma once
// Word lists written for a test: a frequency file and a stand-in for the aspell program whose
// "dump master" of fa-generic and fa prints the core and full lists given.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "WordList.h"

class TWordListFiles {
 public:
  TWordListFiles()
      : dir_(std::filesystem::temp_directory_path() /
             ("zefra-lists-" + std::to_string(getpid()) + "-" + std::to_string(++made_))) {
    std::filesystem::create_directories(dir_);
    Write("aspell",
          "#!/bin/sh\n"
          "dir=$(dirname \"$0\")\n"
          "for a; do case $a in\n"
          "  fa-generic) list=core;;\n"
          "  fa) list=full;;\n"
          "esac; done\n"
          "[ -n \"$list\" ] && exec cat \"$dir/$list.txt\"\n"
          "exit 1\n");
    std::filesystem::permissions(dir_ / "aspell", std::filesystem::perms::owner_all);
  }
  ~TWordListFiles() { std::filesystem::remove_all(dir_); }
  TWordListFiles(const TWordListFiles&) = delete;
  TWordListFiles& operator=(const TWordListFiles&) = delete;

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Sources reading the files that exist: core.txt and full.txt through the stand-in program,
  // frequency.txt as the frequency list.
  TWordListSources Sources() const {
    TWordListSources sources;
    sources.AspellProgram = Path("aspell");
    sources.FrequencyFile = Path("frequency.txt");
    return sources;
  }
  // Writes the three lists (an empty text: no such list) and makes them the engine's.
  void Use(const std::string& core, const std::string& full, const std::string& frequency) {
    for (const auto& [name, text] : {std::pair{"core.txt", core}, std::pair{"full.txt", full},
                                     std::pair{"frequency.txt", frequency}}) {
      std::filesystem::remove(dir_ / name);
      if (!text.empty()) Write(name, text);
    }
    SetWordListSources(Sources());
  }

 private:
  inline static int made_ = 0;
  std::filesystem::path dir_;
};
