#pragma once

namespace kelvor::os {
using NativeChar = wchar_t;
}
