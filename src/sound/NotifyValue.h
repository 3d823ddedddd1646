// The outcomes a finished command reports, whether a command asks for one, and
// what a Play does with a sound that is at its end.
#pragma once

namespace sound {

enum class NotifyValue { Successful, Superseded, Aborted, Failure };

enum class NotifyRequest { None, Requested };

// Complete: the Play has nothing to play and is done at once. Rewind: it starts
// the sound again from the beginning.
enum class AtEnd { Complete, Rewind };

}  // namespace sound
