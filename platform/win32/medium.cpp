// The medium under a volume on Windows: the storage properties of the
// volume's device.
#include <string>

#include "device_query.h"
#include "platform/os_volume.h"
#include "wine.h"

namespace kelvor::os {
namespace {

// A text of the device descriptor: NUL-ended at `offset`, padded with blanks.
std::string TextAt(const std::vector<BYTE>& answer, DWORD offset) {
  std::string text;
  for (DWORD at = offset; offset != 0 && at < answer.size() && answer[at] != 0; ++at) {
    text += static_cast<char>(answer[at]);
  }
  std::size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  return text.substr(start, text.find_last_not_of(' ') - start + 1);
}

}  // namespace

MediumFacts QueryMediumFacts(std::string_view drive_root) {
  MediumFacts facts;
  if (drive_root.empty()) return facts;
  HANDLE volume = OpenForQueries(drive_root[0]);
  if (volume == INVALID_HANDLE_VALUE) return facts;
  std::vector<BYTE> device = QueryProperty(volume, StorageDeviceProperty);
  if (device.size() >= sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
    const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(device.data());
    std::string vendor = TextAt(device, descriptor->VendorIdOffset);
    std::string product = TextAt(device, descriptor->ProductIdOffset);
    facts.model = vendor.empty() || product.empty() ? vendor + product : vendor + " " + product;
    facts.serial = TextAt(device, descriptor->SerialNumberOffset);
  }
  // Wine says of every drive that it has no seek penalty.
  std::vector<BYTE> seek = QueryProperty(volume, StorageDeviceSeekPenaltyProperty);
  if (!UnderWine() && seek.size() >= sizeof(DEVICE_SEEK_PENALTY_DESCRIPTOR)) {
    bool penalty =
        reinterpret_cast<const DEVICE_SEEK_PENALTY_DESCRIPTOR*>(seek.data())->IncursSeekPenalty;
    facts.kind = penalty ? MediumKind::kRotational : MediumKind::kSolidState;
  }
  CloseHandle(volume);
  return facts;
}

}  // namespace kelvor::os
