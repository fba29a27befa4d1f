#pragma once

namespace kelvor::os {
using NativeChar = char;
}
