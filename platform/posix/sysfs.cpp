#include "sysfs.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>

namespace kelvor::os {

std::string ReadFirstLine(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  return line;
}

std::string DiskFolderOfNumber(dev_t device) {
  std::string link =
      "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  char resolved[PATH_MAX];
  if (!realpath(link.c_str(), resolved)) return {};
  std::string folder = resolved;
  struct stat partition;
  if (stat((folder + "/partition").c_str(), &partition) == 0) {
    folder = folder.substr(0, folder.find_last_of('/'));
  }
  return folder;
}

std::string DiskFolderOf(const std::string& device_node) {
  struct stat info;
  if (stat(device_node.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) return {};
  return DiskFolderOfNumber(info.st_rdev);
}

}  // namespace kelvor::os
