// The registry of every name the production uses to find its data. Fixed in the program:
// complete once constructed, nothing read from disk. A value type: each component keeps its
// own copy, and a lookup of a missing key inserts an empty entry into that copy only.
#pragma once

#include "registry/MarkerScene.h"

#include <map>
#include <string>

namespace ostrel {

class Resources {
public:
  // A path relative to the working directory, with backslashes. Entries point at constant
  // texts of the program; a missing key reads as null.
  using Path = const wchar_t*;
  using NoteParameterMap = std::map<std::string, std::string>;
  using TrackParameterMapping = std::map<std::string, NoteParameterMap>;

  Resources();

  std::map<std::string, Path> files;
  std::map<std::string, Path> postShaders;
  std::map<std::string, Path> shaders;
  std::map<std::string, Path> scenes;
  std::map<std::string, MarkerScene> markerScenes;
  // Track name -> note name ("D#0") -> effect parameter name.
  TrackParameterMapping trackParameterMapping;
};

// The process-wide master copy, built on first use.
const Resources& masterResources();

}  // namespace ostrel
