#pragma once
// File names relative to the plug-in library, the debug log and data-folder listings.

#include <string>

struct SliderDef;

// The library's folder (with its trailing separator) followed by the name; one leading
// "\" or "/" of the name is dropped. Both separators are accepted in the name.
std::string ResolvePath(const std::string& name);
// The same path with every "\" turned into the platform separator, ready to open.
std::string NativePath(const std::string& path);
// Appends one line to the debug log (and beeps); nothing happens when it cannot be opened.
void WriteLog(const std::string& text);
// Where the log goes: "/keld.log.txt", or $TOLVANGER_LOG_PATH read once, for tests.
const std::string& LogPath();
// Fills a file-list slider's option texts from its data folder.
void ListDataFiles(SliderDef& def);
