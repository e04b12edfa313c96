// The conversion side of an instance.
#pragma once

namespace dvdc {

struct ConvertSession {
};

} // namespace dvdc
