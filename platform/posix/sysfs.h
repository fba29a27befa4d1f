// What sysfs tells about block devices.
#pragma once

#include <sys/types.h>

#include <string>

namespace kelvor::os {

// A sysfs attribute's value: the file's first line, empty when there is none.
std::string ReadFirstLine(const std::string& path);

// The sysfs folder of the disk that holds the block device numbered
// `device` (a partition's disk is one folder up), or empty when there is none.
std::string DiskFolderOfNumber(dev_t device);

// The same for a device node (/dev/sda1); empty when the path is no block device.
std::string DiskFolderOf(const std::string& device_node);

}  // namespace kelvor::os
