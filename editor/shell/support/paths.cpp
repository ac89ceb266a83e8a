#include "editor/shell/support/paths.h"

#include <algorithm>

namespace {

size_t LastSeparator(std::string_view path)
{
    const size_t slash = path.rfind('/');
    const size_t back = path.rfind('\\');
    if (slash == std::string_view::npos)
        return back;
    if (back == std::string_view::npos)
        return slash;
    return std::max(slash, back);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

} // namespace

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

std::vector<std::string> SplitPath(std::string_view path)
{
    std::vector<std::string> parts;
    if (path.empty())
        return parts;
    if (IsPathSeparator(path.front()))
        parts.emplace_back();
    size_t start = 0;
    while (start < path.size()) {
        size_t end = start;
        while (end < path.size() && !IsPathSeparator(path[end]))
            ++end;
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinPath(const std::vector<std::string> &parts)
{
    std::string path;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            path += kPathSeparator;
        path += parts[i];
    }
    // A path of the empty first part alone is the root.
    if (parts.size() == 1 && parts[0].empty())
        path = std::string(1, kPathSeparator);
    return path;
}

std::string NativePath(std::string_view path)
{
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', kPathSeparator);
    return native;
}

std::string PathJoin(std::string_view folder, std::string_view name)
{
    if (folder.empty())
        return std::string(name);
    std::string path(folder);
    if (!IsPathSeparator(path.back()))
        path += kPathSeparator;
    while (!name.empty() && IsPathSeparator(name.front()))
        name.remove_prefix(1);
    path += name;
    return path;
}

std::string IncludeTrailingSeparator(std::string_view path)
{
    std::string result(path);
    if (result.empty() || !IsPathSeparator(result.back()))
        result += kPathSeparator;
    return result;
}

std::string ExtractFileName(std::string_view path)
{
    const size_t sep = LastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string ExtractFilePath(std::string_view path)
{
    const size_t sep = LastSeparator(path);
    return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string ExtractFileExt(std::string_view path)
{
    const size_t sep = LastSeparator(path);
    const size_t nameStart = sep == std::string_view::npos ? 0 : sep + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart)
        return {};
    return std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext)
{
    const std::string old = ExtractFileExt(path);
    std::string result(path.substr(0, path.size() - old.size()));
    result += ext;
    return result;
}

bool HasExtension(std::string_view path, std::string_view ext)
{
    return SameTextIgnoringCase(ExtractFileExt(path), ext);
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}
