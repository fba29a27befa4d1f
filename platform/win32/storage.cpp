// Storage facts on Windows: the free-space calls (a quota shows as less free
// to this user than in all), GetVolumeInformationW's filesystem and flags,
// the root folder's compression, and the device's TRIM property. Under Wine
// the filesystem is the host's, whatever name Wine gives it: only the free
// space and the cluster are Wine's to tell.
#include <windows.h>
#include <winioctl.h>

#include <string>
#include <vector>

#include "device_query.h"
#include "platform/os_storage.h"
#include "wine.h"

namespace kelvor::os {
namespace {

constexpr DWORD kNameRoom = MAX_PATH + 1;

Known Of(bool yes) {
  return yes ? Known::kYes : Known::kNo;
}

Known TrimsOf(char letter) {
  HANDLE volume = OpenForQueries(letter);
  if (volume == INVALID_HANDLE_VALUE) return Known::kUnknown;
  std::vector<BYTE> trim = QueryProperty(volume, StorageDeviceTrimProperty);
  CloseHandle(volume);
  if (trim.size() < sizeof(DEVICE_TRIM_DESCRIPTOR)) return Known::kUnknown;
  return Of(reinterpret_cast<const DEVICE_TRIM_DESCRIPTOR*>(trim.data())->TrimEnabled);
}

void ReadFilesystem(const wchar_t* root, StorageFacts* facts) {
  wchar_t name[kNameRoom] = {};
  DWORD flags = 0;
  if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, name, kNameRoom)) return;
  std::wstring filesystem = name;
  bool fat = filesystem == L"FAT" || filesystem == L"FAT32";
  if (fat) facts->largest_file = kFatLargestFile;
  if (facts->answered_by_wine) return;
  DWORD attributes = GetFileAttributesW(root);
  bool compressed_root =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_COMPRESSED);
  facts->compresses = Of((flags & FILE_VOLUME_IS_COMPRESSED) || compressed_root);
  if (compressed_root) facts->compression = "the root folder compresses new files";
  bool ntfs = filesystem == L"NTFS";
  bool known = ntfs || fat || filesystem == L"exFAT";
  facts->copies_on_write = known ? Known::kNo : Known::kUnknown;
  // NTFS volumes may keep shadow copies, which only administrators list.
  facts->snapshots = ntfs || !known ? Known::kUnknown : Known::kNo;
  facts->journal = known ? Of(ntfs) : Known::kUnknown;
}

}  // namespace

StorageFacts QueryStorageFacts(std::string_view drive_root) {
  StorageFacts facts;
  if (drive_root.empty()) return facts;
  facts.answered_by_wine = UnderWine();
  wchar_t root[] = {static_cast<wchar_t>(drive_root[0]), L':', L'\\', 0};
  UINT previous_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  ULARGE_INTEGER to_user = {}, in_all = {};
  if (GetDiskFreeSpaceExW(root, &to_user, nullptr, &in_all)) {
    facts.free_bytes = in_all.QuadPart;
    facts.free_to_this_user = to_user.QuadPart;
  }
  DWORD sectors_per_cluster = 0, sector_bytes = 0, free_clusters = 0, clusters = 0;
  if (GetDiskFreeSpaceW(root, &sectors_per_cluster, &sector_bytes, &free_clusters, &clusters)) {
    facts.cluster_bytes = sectors_per_cluster * sector_bytes;
  }
  ReadFilesystem(root, &facts);
  if (!facts.answered_by_wine) facts.trims = TrimsOf(static_cast<char>(drive_root[0]));
  SetErrorMode(previous_mode);
  return facts;
}

}  // namespace kelvor::os
