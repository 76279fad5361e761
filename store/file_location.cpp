#include "store/file_location.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace vexilo {
namespace {

// As many links as the system follows in one path before it gives up with ELOOP.
constexpr int mostLinksFollowed = 40;

}  // namespace

std::optional<std::string> pathAtEndOfLinks(const std::string& fileName) {
  namespace fs = std::filesystem;
  fs::path path = fileName;
  // Each step makes the directory canonical and looks at the last name alone, so that a link's
  // relative target is taken from the directory the link is in, as the system takes it.
  for (int link = 0; link <= mostLinksFollowed; ++link) {
    std::error_code error;
    const fs::path parent = path.parent_path();
    const fs::path directory = fs::canonical(parent.empty() ? fs::path(".") : parent, error);
    if (error) return std::nullopt;
    const fs::path end = directory / path.filename();
    if (!fs::is_symlink(fs::symlink_status(end, error))) return end.string();
    const fs::path target = fs::read_symlink(end, error);
    if (error) return std::nullopt;
    path = directory / target;  // an absolute target replaces the directory
  }
  return std::nullopt;
}

bool namesOneOf(const std::string& fileName, std::span<const std::string> fileNames) {
  struct stat named {};
  const bool exists = ::stat(fileName.c_str(), &named) == 0;
  const std::optional<std::string> end = pathAtEndOfLinks(fileName);
  for (const std::string& other : fileNames) {
    struct stat status {};
    if (exists && ::stat(other.c_str(), &status) == 0) {
      if (status.st_dev == named.st_dev && status.st_ino == named.st_ino) return true;
    } else if (end && pathAtEndOfLinks(other) == end) {
      return true;
    }
  }
  return false;
}

}  // namespace vexilo
