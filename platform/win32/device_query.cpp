#include "device_query.h"

namespace kelvor::os {
namespace {

constexpr DWORD kDescriptorRoom = 1024;  // the descriptor and its texts

}  // namespace

HANDLE OpenForQueries(char letter) {
  wchar_t path[] = L"\\\\.\\?:";
  path[4] = static_cast<wchar_t>(letter);
  return CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

std::vector<BYTE> QueryProperty(HANDLE volume, STORAGE_PROPERTY_ID property) {
  STORAGE_PROPERTY_QUERY query = {};
  query.PropertyId = property;
  query.QueryType = PropertyStandardQuery;
  std::vector<BYTE> answer(kDescriptorRoom);
  DWORD returned = 0;
  if (!DeviceIoControl(volume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, answer.data(),
                       static_cast<DWORD>(answer.size()), &returned, nullptr)) {
    returned = 0;
  }
  answer.resize(returned);
  return answer;
}

}  // namespace kelvor::os
