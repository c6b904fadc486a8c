// "config.json": cereal's JSON archive writes it, a strict reader takes it back.
#include "config/ConfigManager.h"

#include "registry/DemoLogger.h"

// cereal's JSON archive sets rapidjson's assertion and parsing macros: include it before
// any rapidjson header so that every rapidjson template here is built the same way.
#include <cereal/archives/json.hpp>
#include <cereal/types/map.hpp>
#include <cereal/types/string.hpp>
#include <cereal/types/utility.hpp>
#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace ostrel {
namespace {

// ---- Writing -------------------------------------------------------------------------

// "debug" and "release" are objects whose one member "screen" holds the table.
void writeScreenTable(cereal::JSONOutputArchive& archive, const char* name,
                      const Configuration::ScreenTable& table) {
  archive.setNextName(name);
  archive.startNode();
  archive(cereal::make_nvp("screen", table));
  archive.finishNode();
}

void writeDocument(std::ostream& out, const Configuration& data, const std::string& rootName) {
  using Options = cereal::JSONOutputArchive::Options;
  cereal::JSONOutputArchive archive(
      out, Options(std::numeric_limits<double>::max_digits10, Options::IndentChar::space, 4));
  archive.setNextName(rootName.c_str());
  archive.startNode();
  archive(cereal::make_nvp("uiState", data.uiState),
          cereal::make_nvp("audioState", data.audioState));
  writeScreenTable(archive, "debug", data.debug);
  writeScreenTable(archive, "release", data.release);
  archive.finishNode();
}  // the archive closes the root object when it goes

// ---- Reading -------------------------------------------------------------------------

// A document that parses but does not hold the configuration's layout.
class LayoutError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

using JsonValue = rapidjson::Value;

const JsonValue& requireObject(const JsonValue& value, const std::string& path) {
  if (!value.IsObject()) {
    throw LayoutError(path + " is not an object");
  }
  return value;
}

const JsonValue& member(const JsonValue& object, const char* name, const std::string& path) {
  requireObject(object, path);
  const auto found = object.FindMember(name);
  if (found == object.MemberEnd()) {
    throw LayoutError(path + " has no member \"" + name + "\"");
  }
  return found->value;
}

Configuration::Position readPosition(const JsonValue& value, const std::string& path) {
  const JsonValue& first = member(value, "first", path);
  const JsonValue& second = member(value, "second", path);
  if (!first.IsInt() || !second.IsInt()) {
    throw LayoutError(path + " does not hold two signed 32-bit integers");
  }
  return {first.GetInt(), second.GetInt()};
}

std::uint64_t readUnsigned64(const JsonValue& value, const std::string& path) {
  if (!value.IsUint64()) {
    throw LayoutError(path + " is not an unsigned 64-bit integer");
  }
  return value.GetUint64();
}

std::uint32_t readUnsigned32(const JsonValue& value, const std::string& path) {
  if (!value.IsUint()) {
    throw LayoutError(path + " is not an unsigned 32-bit integer");
  }
  return value.GetUint();
}

// A table is an array of {"key": text, "value": ...}; a key listed twice keeps its last value.
template <class Value, class ReadValue>
std::map<std::string, Value> readTable(const JsonValue& array, const std::string& path,
                                       ReadValue readValue) {
  if (!array.IsArray()) {
    throw LayoutError(path + " is not an array");
  }
  std::map<std::string, Value> table;
  for (rapidjson::SizeType index = 0; index < array.Size(); ++index) {
    const std::string elementPath = path + "[" + std::to_string(index) + "]";
    const JsonValue& key = member(array[index], "key", elementPath);
    if (!key.IsString()) {
      throw LayoutError(elementPath + ".key is not a string");
    }
    table[std::string(key.GetString(), key.GetStringLength())] =
        readValue(member(array[index], "value", elementPath), elementPath + ".value");
  }
  return table;
}

Configuration::ScreenTable readScreenTable(const JsonValue& tables, const char* name,
                                           const std::string& path) {
  const std::string tablePath = path + "." + name;
  return readTable<std::uint32_t>(member(member(tables, name, path), "screen", tablePath),
                                  tablePath + ".screen", readUnsigned32);
}

// The tables of a document, each complete; throws LayoutError where the layout differs.
Configuration readDocument(const rapidjson::Document& document, const std::string& rootName) {
  const JsonValue& tables = requireObject(member(document, rootName.c_str(), "the document"),
                                          rootName);
  Configuration read;
  read.uiState = readTable<Configuration::Position>(member(tables, "uiState", rootName),
                                                    rootName + ".uiState", readPosition);
  read.audioState = readTable<std::uint64_t>(member(tables, "audioState", rootName),
                                             rootName + ".audioState", readUnsigned64);
  read.debug = readScreenTable(tables, "debug", rootName);
  read.release = readScreenTable(tables, "release", rootName);
  return read;
}

template <class Table>
void mergeInto(Table& target, const Table& read) {
  for (const auto& [key, value] : read) {
    target[key] = value;
  }
}

bool readWholeFile(const std::string& fileName, std::string& text) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileName, error)) {
    return false;
  }
  try {
    std::ifstream in(fileName, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
  } catch (const std::exception&) {  // the stream buffer throws on some read errors
    return false;
  }
}

std::string withoutByteOrderMark(std::string text) {
  static constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
  if (text.compare(0, 3, kUtf8Mark) == 0) {
    text.erase(0, 3);
  }
  return text;
}

}  // namespace

ConfigManager::ConfigManager(Configuration* data, std::string fileName)
    : data(data), fileName(std::move(fileName)), logger(demoLogger()) {
  logger->info("Initializing ConfigManager and reading {} (if exists)", this->fileName);
  data->setDefaults();
  load();
}

bool ConfigManager::load() {
  std::error_code error;
  if (!std::filesystem::exists(fileName, error)) {
    return false;
  }
  std::string text;
  if (!readWholeFile(fileName, text)) {
    logger->warn("{} could not be read; the configuration keeps its defaults", fileName);
    keepRejectedFile();
    return false;
  }

  rapidjson::Document document;
  document.Parse(withoutByteOrderMark(std::move(text)).c_str());
  if (document.HasParseError()) {
    logger->warn("{} is not valid JSON (at byte {}: {}); the configuration keeps its defaults",
                    fileName, document.GetErrorOffset(),
                    rapidjson::GetParseError_En(document.GetParseError()));
    keepRejectedFile();
    return false;
  }

  Configuration read;
  try {
    read = readDocument(document, rootName);
  } catch (const LayoutError& layoutError) {
    logger->warn("{} does not hold a configuration: {}; the configuration keeps its defaults",
                    fileName, layoutError.what());
    keepRejectedFile();
    return false;
  }
  mergeInto(data->uiState, read.uiState);
  mergeInto(data->audioState, read.audioState);
  mergeInto(data->debug, read.debug);
  mergeInto(data->release, read.release);
  logger->debug("Read the configuration from {}", fileName);
  return true;
}

// The next save replaces a rejected file with the defaults: keep the user's bytes beside it
// first, so that a typo in a hand edit never loses the rest of the edit.
void ConfigManager::keepRejectedFile() const {
  const std::string keptName = fileName + ".bad";
  std::error_code error;
  // Removed first: MinGW's copy_file refuses to overwrite an existing file.
  std::filesystem::remove(keptName, error);
  std::filesystem::copy_file(fileName, keptName, error);
  if (error) {
    logger->warn("Could not keep {} as {}: {}", fileName, keptName, error.message());
  } else {
    logger->warn("{} was kept as {}", fileName, keptName);
  }
}

bool ConfigManager::save() const {
  const std::string temporaryName = fileName + ".tmp";
  std::error_code error;
  {
    std::ofstream out(temporaryName);  // text mode, as configuration files are on each system
    if (out) {
      writeDocument(out, *data, rootName);
      out.close();
    }
    if (!out) {
      logger->warn("Could not write {}; the configuration was not saved", temporaryName);
      std::filesystem::remove(temporaryName, error);
      return false;
    }
  }
  std::filesystem::rename(temporaryName, fileName, error);
  if (error) {
    logger->warn("Could not replace {} with {}: {}; the configuration was not saved",
                    fileName, temporaryName, error.message());
    std::filesystem::remove(temporaryName, error);
    return false;
  }
  return true;
}

}  // namespace ostrel
