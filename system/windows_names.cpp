#include "system/windows_names.h"

namespace vexilo {

std::wstring longPathForm(std::wstring_view fullPath) {
  if (fullPath.starts_with(L"\\\\?\\") || fullPath.starts_with(L"\\\\.\\")) {
    return std::wstring(fullPath);
  }
  if (fullPath.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + std::wstring(fullPath.substr(2));
  return L"\\\\?\\" + std::wstring(fullPath);
}

WindowsPathParts splitWindowsPath(std::wstring_view path) {
  const std::size_t lastSeparator = path.find_last_of(L'\\');
  if (lastSeparator == std::wstring_view::npos) return {std::wstring(), std::wstring(path)};
  WindowsPathParts parts{std::wstring(path.substr(0, lastSeparator)),
                         std::wstring(path.substr(lastSeparator + 1))};
  if (parts.directory.ends_with(L':')) parts.directory += L'\\';
  return parts;
}

bool namesADevice(std::wstring_view path) {
  return path.starts_with(L"\\\\.\\") && path.size() > 4 &&
         path.find(L'\\', 4) == std::wstring_view::npos;
}

bool namesAStream(std::wstring_view name) { return name.find(L':') != std::wstring_view::npos; }

}  // namespace vexilo
