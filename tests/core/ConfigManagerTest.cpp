// "config.json": the exact bytes written, reading a file back, and what a bad file does.
#include "config/ConfigManager.h"

#include "registry/DemoLogger.h"

#include "ScratchPath.h"

#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace ostrel {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A file written by hand, with the line ends the platform's text mode writes.
std::string expectedFile(const std::string& name) {
  std::string text = readBytes(fs::path(OSTREL_TEST_DATA) / "config" / name);
#ifdef _WIN32
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
    text.insert(at, 1, '\r');
  }
#endif
  return text;
}

Configuration defaults() {
  Configuration configuration;
  configuration.setDefaults();
  return configuration;
}

void expectSameTables(const Configuration& actual, const Configuration& expected) {
  EXPECT_EQ(actual.uiState, expected.uiState);
  EXPECT_EQ(actual.audioState, expected.audioState);
  EXPECT_EQ(actual.debug, expected.debug);
  EXPECT_EQ(actual.release, expected.release);
}

// A fresh folder per test, and the "demo" logger captured into a string.
class ConfigManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder = testing::scratchPath("ostrel-config");
    fs::remove_all(folder);
    fs::create_directories(folder);
    file = folder / "config.json";

    auto sink = std::make_shared<spdlog::sinks::ostream_sink_st>(log);
    spdlog::drop(kDemoLoggerName);
    auto logger = std::make_shared<spdlog::logger>(kDemoLoggerName, sink);
    logger->set_level(spdlog::level::trace);
    spdlog::register_logger(logger);
  }

  void TearDown() override {
    spdlog::drop(kDemoLoggerName);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  std::string warnings() const {
    std::string found;
    std::istringstream lines(log.str());
    for (std::string line; std::getline(lines, line);) {
      if (line.find("[warning]") != std::string::npos) {
        found += line + "\n";
      }
    }
    return found;
  }

  fs::path folder;
  fs::path file;
  std::ostringstream log;
};

TEST_F(ConfigManagerTest, DefaultsAreWrittenByteForByteInTheLayout) {
  Configuration configuration;
  ConfigManager manager(&configuration, file.string());
  ASSERT_TRUE(manager.save());

  EXPECT_EQ(readBytes(file), expectedFile("defaults.json"));
  EXPECT_NE(log.str().find("Initializing ConfigManager and reading " + file.string() +
                           " (if exists)"),
            std::string::npos)
      << log.str();
  EXPECT_EQ(warnings(), "");
}

TEST_F(ConfigManagerTest, DialogResultGoesIntoReleaseAndIsWrittenByteForByte) {
  Configuration configuration;
  ConfigManager manager(&configuration, file.string());
  ScreenSettings chosen;
  chosen.width = 1280;
  chosen.height = 720;
  chosen.windowed = 1;
  chosen.alwaysOnTop = 1;
  chosen.vsync = 0;
  chosen.multiSample = 1;
  configuration.writeReleaseScreen(chosen);
  ASSERT_TRUE(manager.save());

  EXPECT_EQ(readBytes(file), expectedFile("windowed-1280x720.json"));
}

TEST_F(ConfigManagerTest, ReleaseTableMapsOntoTheScreenSettings) {
  Configuration configuration = defaults();
  ScreenSettings settings;
  settings.colorDepth = 24;
  configuration.readReleaseScreen(settings);
  EXPECT_EQ(settings.width, 1920u);
  EXPECT_EQ(settings.height, 1080u);
  EXPECT_EQ(settings.windowed, 0u);
  EXPECT_EQ(settings.alwaysOnTop, 1u);
  EXPECT_EQ(settings.vsync, 1u);
  EXPECT_EQ(settings.multiSample, 1u);
  EXPECT_EQ(settings.colorDepth, 24u);  // not the table's business
}

TEST_F(ConfigManagerTest, SetDefaultsReplacesWhatTheTablesHeld) {
  Configuration configuration;
  configuration.uiState["extra"] = {1, 2};
  configuration.release["width"] = 640;
  configuration.audioState.clear();
  configuration.setDefaults();
  expectSameTables(configuration, defaults());
}

TEST_F(ConfigManagerTest, AFileItWroteIsReadBackWhole) {
  Configuration written;
  ConfigManager writer(&written, file.string());
  written.uiState["mainWindowPosition"] = {-300, 2000};
  written.audioState["position"] = 0x1'0000'0000ull;
  written.debug["vsync"] = 1;
  written.release["width"] = 3840;
  written.release["height"] = 2160;
  ASSERT_TRUE(writer.save());

  Configuration read;
  ConfigManager reader(&read, file.string());
  expectSameTables(read, written);
  EXPECT_EQ(warnings(), "");
}

TEST_F(ConfigManagerTest, HandEditedFileIsHonouredOverTheDefaults) {
  fs::copy_file(fs::path(OSTREL_TEST_DATA) / "config" / "hand-edited.json", file);

  Configuration configuration;
  ConfigManager manager(&configuration, file.string());

  Configuration expected = defaults();
  expected.uiState["mainWindowPosition"] = {40, 150};
  expected.uiState["consoleWindowPosition"] = {-1280, INT_MIN};
  expected.audioState["position"] = UINT64_MAX;
  expected.release["width"] = 1280;
  expected.release["height"] = 720;
  expected.release["refreshRate"] = 144;  // unknown keys are kept and written back
  expectSameTables(configuration, expected);
  EXPECT_EQ(warnings(), "");
  EXPECT_FALSE(fs::exists(file.string() + ".bad"));  // a file that reads is not set aside

  ASSERT_TRUE(manager.save());
  Configuration reread;
  ConfigManager rereader(&reread, file.string());
  expectSameTables(reread, expected);
}

TEST_F(ConfigManagerTest, MissingFileIsSilentAndLeavesTheDefaults) {
  Configuration configuration;
  ConfigManager manager(&configuration, file.string());
  expectSameTables(configuration, defaults());
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(warnings(), "");
}

// Each file is ignored as a whole, with a warning that names the file and the problem.
TEST_F(ConfigManagerTest, MalformedFileIsIgnoredWithAWarningAndChangesNothing) {
  const std::string valid = readBytes(fs::path(OSTREL_TEST_DATA) / "config" / "defaults.json");
  auto edited = [&valid](const std::string& from, const std::string& to) {
    std::string text = valid;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  const struct {
    std::string content;
    std::string problem;
  } cases[] = {
      {"", "not valid JSON (at byte 0"},
      {"not json", "not valid JSON"},
      {valid.substr(0, valid.size() / 2), "not valid JSON"},
      {"[]", "the document is not an object"},
      {"{\"config\": {}}", "has no member \"configuration\""},
      {edited("\"uiState\": [", "\"uiState\": {\"a\": 1}, \"x\": ["), "configuration.uiState is not an array"},
      {edited("\"key\": \"consoleWindowPosition\",", ""), "configuration.uiState[0] has no member \"key\""},
      {edited("\"consoleWindowPosition\"", "7"), "configuration.uiState[0].key is not a string"},
      {edited("\"first\": 0", "\"first\": 2147483648"), "uiState[0].value does not hold two signed 32-bit integers"},
      {edited("\"second\": 0", "\"second\": 0.5"), "uiState[0].value does not hold two signed 32-bit integers"},
      {edited("\"key\": \"paused\",\n                \"value\": 0", "\"key\": \"paused\", \"value\": -1"),
       "configuration.audioState[0].value is not an unsigned 64-bit integer"},
      {edited("\"value\": 1080", "\"value\": \"1080\""), "configuration.debug.screen[1].value is not an unsigned 32-bit integer"},
      {edited("\"value\": 1920", "\"value\": 4294967296"), "configuration.debug.screen[4].value is not an unsigned 32-bit integer"},
      {edited("\"release\": {\n            \"screen\"", "\"release\": {\n            \"screens\""),
       "configuration.release has no member \"screen\""},
      {edited("\"debug\"", "\"Debug\""), "configuration has no member \"debug\""},
  };
  for (const auto& [content, problem] : cases) {
    SCOPED_TRACE(problem);
    writeBytes(file, content);
    log.str("");

    Configuration configuration;
    ConfigManager manager(&configuration, file.string());

    expectSameTables(configuration, defaults());
    const std::string warning = warnings();
    EXPECT_NE(warning.find(file.string()), std::string::npos) << warning;
    EXPECT_NE(warning.find(problem), std::string::npos) << warning;
    EXPECT_NE(warning.find("keeps its defaults"), std::string::npos) << warning;
    EXPECT_EQ(readBytes(file), content);  // reading never touches the file
    EXPECT_EQ(readBytes(file.string() + ".bad"), content);  // and keeps it from the next save
  }
}

TEST_F(ConfigManagerTest, SaveReplacesAnExistingFileAndLeavesNoTemporaryFile) {
  writeBytes(file, "{ an older, broken file }");
  Configuration configuration;
  ConfigManager manager(&configuration, file.string());
  ASSERT_TRUE(manager.save());

  EXPECT_EQ(readBytes(file), expectedFile("defaults.json"));
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  // The broken file was set aside when it was read; no temporary file is left.
  EXPECT_EQ(names, (std::set<std::string>{"config.json", "config.json.bad"}));
  EXPECT_EQ(readBytes(file.string() + ".bad"), "{ an older, broken file }");
}

TEST_F(ConfigManagerTest, SaveThatCannotWriteSaysSoAndKeepsWhatWasThere) {
  Configuration configuration;
  ConfigManager inMissingFolder(&configuration, (folder / "missing" / "config.json").string());
  EXPECT_FALSE(inMissingFolder.save());
  EXPECT_NE(warnings().find("the configuration was not saved"), std::string::npos) << log.str();

  // A folder in the file's place cannot be replaced by a file.
  fs::create_directories(file / "kept");
  log.str("");
  ConfigManager overFolder(&configuration, file.string());
  EXPECT_FALSE(overFolder.save());
  EXPECT_NE(warnings().find("the configuration was not saved"), std::string::npos) << log.str();
  EXPECT_TRUE(fs::is_directory(file / "kept"));
  EXPECT_FALSE(fs::exists(folder / "config.json.tmp"));
}

}  // namespace
}  // namespace ostrel
