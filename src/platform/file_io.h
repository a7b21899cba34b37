#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvi {

// The whole content of a file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces a file with the given bytes. The bytes go to a temporary file in the
// same folder first and are renamed over the target, so a crash or a full disk
// never leaves a half-written file where a good one stood. False on failure,
// with the old file intact.
bool WriteWholeFile(const std::string& path, std::string_view data);

bool FileExists(const std::string& path);

// The folder of the running executable, ending in "/"; empty if unknown.
std::string ExecutableFolder();

// A folder path with exactly one "/" at its end.
std::string WithTrailingSlash(std::string folder);

}  // namespace orvi
