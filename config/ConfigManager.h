// Keeps the configuration in a JSON file: reads it back at start-up when it holds the
// layout this class writes, and writes it (once per run, after the setup dialog).
#pragma once

#include "config/Configuration.h"

#include <spdlog/spdlog.h>

#include <memory>
#include <string>

namespace ostrel {

class ConfigManager {
public:
  // Logs, remembers the file, puts the defaults into data, then reads the file over them.
  ConfigManager(Configuration* data, std::string fileName);

  // Reads the file over the tables: every entry it holds replaces or joins the entry of the
  // same key. A missing file is silent. A file that does not hold the layout save() writes
  // is ignored as a whole with a warning naming the file and the problem, leaving the
  // tables untouched, and is copied to the file name with ".bad" appended (replacing an
  // older copy), since the next save() replaces it. Returns true when the file was read.
  bool load();

  // Writes every table to the file: UTF-8 JSON, pretty-printed with 4 spaces, in text mode
  // (so with CR LF line ends on Windows). Written to a temporary file that then replaces the
  // old one, so a crash never leaves half a file. Returns false, with a warning, when the
  // file could not be written; the previous file is then unchanged.
  bool save() const;

private:
  void keepRejectedFile() const;

  Configuration* data;
  std::string fileName;
  const std::string rootName = "configuration";
  std::shared_ptr<spdlog::logger> logger;
};

}  // namespace ostrel
