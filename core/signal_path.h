// The path of one letter through the machine (plugboard, three rotors, reflector, the rotors
// backwards, plugboard again) and the stepping of the rotors between letters.
#ifndef VEXILO_CORE_SIGNAL_PATH_H_
#define VEXILO_CORE_SIGNAL_PATH_H_

#include <array>
#include <cstdint>
#include <iostream>

#include "core/plugboard.h"
#include "core/reflector.h"
#include "core/rotor.h"

namespace vexilo {

// The machine returns to its start after 26 * 26 * 26 letters; `rotor1Steps` counts modulo this
// and `rotor2Steps` modulo 26 * 26, so the counters never overflow and keep every remainder that
// the stepping tests.
inline constexpr std::int32_t machinePeriod = alphabetSize * alphabetSize * alphabetSize;
inline constexpr std::int32_t rotor2Period = alphabetSize * alphabetSize;

inline constexpr std::size_t signalStageCount = 9;

// Outputs of the nine stages for `index`, in path order: plugboard, rotor 1, 2, 3, reflector,
// rotor 3, 2, 1 reversed, plugboard. A failed reverse stage writes its line to `out` and yields -1,
// which flows on through the later stages.
std::array<std::int32_t, signalStageCount> signalStages(std::int32_t index, const Rotor& rotor1,
                                                        const Rotor& rotor2, const Rotor& rotor3,
                                                        const Reflector& reflector,
                                                        const Plugboard& plugboard,
                                                        std::ostream& out = std::cout);

// Enciphered letter index of `index` (0 to 25) with the machine in the given position. Writes only
// the failure lines of failed reverse lookups.
std::int32_t quickEncrypt(std::int32_t index, Rotor rotor1, Rotor rotor2, Rotor rotor3,
                          Reflector reflector, Plugboard plugboard, std::ostream& out = std::cout);

// As `quickEncrypt`, and writes the trace of all nine stages on one line followed by an empty one.
std::int32_t descriptiveEncrypt(std::int32_t index, Rotor rotor1, Rotor rotor2, Rotor rotor3,
                                Reflector reflector, Plugboard plugboard,
                                std::ostream& out = std::cout);

// Steps the machine after one letter: rotor 1 every letter, rotor 2 every 26th, rotor 3 every
// 676th.
void advanceMachine(Rotor& rotor1, Rotor& rotor2, Rotor& rotor3, std::int32_t& rotor1Steps,
                    std::int32_t& rotor2Steps);

// Returns the rotors to their start positions and zeroes both counters.
void resetMachine(Rotor& rotor1, Rotor& rotor2, Rotor& rotor3, std::int32_t& rotor1Steps,
                  std::int32_t& rotor2Steps);

// The whole machine state of a run: the five components and the two step counters.
struct Machine {
  Rotor rotor1;
  Rotor rotor2;
  Rotor rotor3;
  Reflector reflector;
  Plugboard plugboard;
  std::int32_t rotor1Steps = 0;
  std::int32_t rotor2Steps = 0;
};

// Enciphers `index` (0 to 25) with `quickEncrypt` on copies of the machine's components, then
// steps the machine. Failure lines of reverse lookups go to `out`.
std::int32_t encipherAndStep(Machine& machine, std::int32_t index, std::ostream& out = std::cout);

// `advanceMachine` and `resetMachine` on the machine's own rotors and counters.
void advanceMachine(Machine& machine);
void resetMachine(Machine& machine);

}  // namespace vexilo

#endif  // VEXILO_CORE_SIGNAL_PATH_H_
