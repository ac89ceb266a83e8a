// Paths of the editor. Paths it builds use '/'. Paths that come from stored
// documents, settings or other machines may use '\' as well, and may begin
// with a drive letter: they are split at both separators. Extensions are
// compared in any case; a path is never changed in case to be opened.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr char kPathSeparator = '/';

// True for '/' and '\'.
bool IsPathSeparator(char c);

// The parts of a path between its separators, '\' and '/' alike. An absolute
// path keeps its empty first part ("/a/b" gives "", "a", "b"), so joining the
// parts again gives an absolute path; a drive letter is an ordinary first
// part ("C:\a" gives "C:", "a"). Empty parts inside the path are dropped, and
// an empty path gives no parts.
std::vector<std::string> SplitPath(std::string_view path);
// The parts joined with '/'.
std::string JoinPath(const std::vector<std::string> &parts);
// A stored path with every separator made '/'; letters are left as they are.
std::string NativePath(std::string_view path);

// folder + '/' + name, without doubling a separator that folder ends with.
// An empty folder gives the name alone.
std::string PathJoin(std::string_view folder, std::string_view name);
// The path with a separator at its end ('/' added when it has none).
std::string IncludeTrailingSeparator(std::string_view path);

// The part after the last separator.
std::string ExtractFileName(std::string_view path);
// Everything up to and including the last separator (empty without one).
std::string ExtractFilePath(std::string_view path);
// The file name's extension with its point, as stored (".TIF"); empty when
// the file name has no point.
std::string ExtractFileExt(std::string_view path);
// The path with its file name's extension replaced by ext (which carries
// its point, or is empty to drop the extension).
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// True when the file name's extension is ext (with its point), in any case.
bool HasExtension(std::string_view path, std::string_view ext);
// Case-insensitive comparison of ASCII letters, for extensions and names
// that the system treats without case (never for opening files).
bool SameTextIgnoringCase(std::string_view a, std::string_view b);
