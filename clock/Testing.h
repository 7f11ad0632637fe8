#pragma once
// What tests and fuzzing harnesses may reset inside the clock; the program includes none of it.

namespace clockcore {

// Forgets that the text tables were read, so that other ones can be read.
void ResetTableTextsForTesting();

}  // namespace clockcore
