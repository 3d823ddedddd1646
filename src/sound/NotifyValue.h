// The outcomes a finished command reports, and whether a command asks for one.
#pragma once

namespace sound {

enum class NotifyValue { Successful, Superseded, Aborted, Failure };

enum class NotifyRequest { None, Requested };

}  // namespace sound
