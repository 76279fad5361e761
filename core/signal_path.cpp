#include "core/signal_path.h"

namespace vexilo {

std::array<std::int32_t, signalStageCount> signalStages(std::int32_t index, const Rotor& rotor1,
                                                        const Rotor& rotor2, const Rotor& rotor3,
                                                        const Reflector& reflector,
                                                        const Plugboard& plugboard,
                                                        std::ostream& out) {
  std::array<std::int32_t, signalStageCount> stages{};
  stages[0] = forwardLookup(plugboard, index);
  stages[1] = forwardLookup(rotor1, stages[0]);
  stages[2] = forwardLookup(rotor2, stages[1]);
  stages[3] = forwardLookup(rotor3, stages[2]);
  stages[4] = forwardLookup(reflector, stages[3]);
  stages[5] = reverseLookup(rotor3, stages[4], out);
  stages[6] = reverseLookup(rotor2, stages[5], out);
  stages[7] = reverseLookup(rotor1, stages[6], out);
  // The way back goes through the plugboard forwards again: its cables swap both ways.
  stages[8] = forwardLookup(plugboard, stages[7]);
  return stages;
}

std::int32_t quickEncrypt(std::int32_t index, Rotor rotor1, Rotor rotor2, Rotor rotor3,
                          Reflector reflector, Plugboard plugboard, std::ostream& out) {
  return signalStages(index, rotor1, rotor2, rotor3, reflector, plugboard, out).back();
}

std::int32_t descriptiveEncrypt(std::int32_t index, Rotor rotor1, Rotor rotor2, Rotor rotor3,
                                Reflector reflector, Plugboard plugboard, std::ostream& out) {
  static constexpr std::array<const char*, signalStageCount> labels = {
      " --Plugboard-> ",      " --Rotor1-> ",         " --Rotor2-> ",
      " --Rotor3-> ",         " --Reflector-> ",      " --Rotor3Reversed-> ",
      " --Rotor2Reversed-> ", " --Rotor1Reversed-> ", " --Plugboard-> "};
  // All stages are computed first, so failure lines of reverse lookups precede the trace.
  const auto stages = signalStages(index, rotor1, rotor2, rotor3, reflector, plugboard, out);
  out << indexToLetter(index) << ' ' << index;
  for (std::size_t stage = 0; stage < signalStageCount; ++stage) {
    out << labels[stage] << stages[stage];
  }
  out << " == encrypted letter" << ' ' << indexToLetter(stages.back()) << "\n\n";
  return stages.back();
}

void advanceMachine(Rotor& rotor1, Rotor& rotor2, Rotor& rotor3, std::int32_t& rotor1Steps,
                    std::int32_t& rotor2Steps) {
  rotateRotor(rotor1);
  rotor1Steps = (rotor1Steps + 1) % machinePeriod;
  if (rotor1Steps % alphabetSize == 0) {
    rotateRotor(rotor2);
    rotor2Steps = (rotor2Steps + 1) % rotor2Period;
    if (rotor2Steps % alphabetSize == 0) rotateRotor(rotor3);
  }
}

void resetMachine(Rotor& rotor1, Rotor& rotor2, Rotor& rotor3, std::int32_t& rotor1Steps,
                  std::int32_t& rotor2Steps) {
  resetRotor(rotor1);
  resetRotor(rotor2);
  resetRotor(rotor3);
  rotor1Steps = 0;
  rotor2Steps = 0;
}

std::int32_t encipherAndStep(Machine& machine, std::int32_t index, std::ostream& out) {
  const std::int32_t enciphered =
      quickEncrypt(index, machine.rotor1, machine.rotor2, machine.rotor3, machine.reflector,
                   machine.plugboard, out);
  advanceMachine(machine);
  return enciphered;
}

void advanceMachine(Machine& machine) {
  advanceMachine(machine.rotor1, machine.rotor2, machine.rotor3, machine.rotor1Steps,
                 machine.rotor2Steps);
}

void resetMachine(Machine& machine) {
  resetMachine(machine.rotor1, machine.rotor2, machine.rotor3, machine.rotor1Steps,
               machine.rotor2Steps);
}

}  // namespace vexilo
