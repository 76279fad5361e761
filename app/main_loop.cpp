#include "app/main_loop.h"

#include <cstdint>
#include <string>

#include "app/file_mode.h"
#include "app/prompts.h"
#include "core/cipher_table.h"
#include "core/signal_path.h"
#include "core/text_cipher.h"
#include "core/wiring_display.h"
#include "settings/setup_dialogue.h"
#include "store/component_files.h"

namespace vexilo {
namespace {

enum class ModeOutcome { done, outputUnwritten, inputEnded, inputFileUnusable };

ModeOutcome runLetterMode(Machine& machine, bool descriptive, std::istream& in, std::ostream& out) {
  for (;;) {
    const std::optional<std::int32_t> index = readLetter(in, out);
    if (!index) return ModeOutcome::inputEnded;
    if (*index == stopLetter) return ModeOutcome::done;
    if (descriptive) {
      descriptiveEncrypt(*index, machine.rotor1, machine.rotor2, machine.rotor3, machine.reflector,
                         machine.plugboard, out);
      advanceMachine(machine);
    } else {
      out << indexToLetter(encipherAndStep(machine, *index, out)) << '\n';
    }
  }
}

ModeOutcome runLineMode(Machine& machine, CipherTableCache& cipherTable, std::istream& in,
                        std::ostream& out) {
  std::string piece;
  for (;;) {
    if (!promptForLine(in, out)) return ModeOutcome::inputEnded;
    // A long line is enciphered and written a piece at a time as it is read; the machine steps
    // through the pieces as through the whole line.
    for (LinePiece got = LinePiece::morePieces; got == LinePiece::morePieces;) {
      got = readLinePiece(piece, in);
      if (got == LinePiece::inputEnded) return ModeOutcome::inputEnded;
      writeEncipheredText(machine, cipherTable, piece, out);
    }
    out << '\n';
    const std::optional<bool> stop = askStop(in, out);
    if (!stop) return ModeOutcome::inputEnded;
    if (*stop) return ModeOutcome::done;
  }
}

ModeOutcome runMode(std::int32_t mode, Machine& machine, CipherTableCache& cipherTable,
                    std::istream& in, std::ostream& out, std::ostream& err) {
  switch (mode) {
    case 1:
      return runLetterMode(machine, false, in, out);
    case 2:
      return runLetterMode(machine, true, in, out);
    case 3:
      return runLineMode(machine, cipherTable, in, out);
    case 4:
      switch (runFileMode(machine, cipherTable, in, out, err)) {
        case FileModeOutcome::done:
          return ModeOutcome::done;
        case FileModeOutcome::outputUnwritten:
          return ModeOutcome::outputUnwritten;
        case FileModeOutcome::inputUnusable:
          return ModeOutcome::inputFileUnusable;
        case FileModeOutcome::inputEnded:
          return ModeOutcome::inputEnded;
      }
      return ModeOutcome::done;
    default:
      // Only a negative number gets here: no mode runs.
      return ModeOutcome::done;
  }
}

}  // namespace

int runVexilo(std::istream& in, std::ostream& out, std::ostream& err) {
  std::string ID;
  std::int32_t R1 = 0;
  std::int32_t R2 = 0;
  std::int32_t R3 = 0;
  std::int32_t REF = 0;
  std::int32_t PB = 0;
  const SetupOutcome setup = setupDialogue(ID, R1, R2, R3, REF, PB, in, out, err);
  if (setup == SetupOutcome::inputEnded) return 0;

  Machine machine;
  // The table of all the machine's positions, built at the first text that line or file mode
  // enciphers through it and kept while the components stay the same.
  CipherTableCache cipherTable;
  setupRotor(machine.rotor1, R1, false, out, err);
  setupRotor(machine.rotor2, R2, false, out, err);
  setupRotor(machine.rotor3, R3, false, out, err);
  setupReflector(machine.reflector, REF, false, out, err);
  loadPlugboard(machine.plugboard, PB, out, err);
  showWiring(machine.rotor1, machine.rotor2, machine.rotor3, machine.reflector, machine.plugboard,
             out);

  // A script that typed its answers learns from the status that something was lost: 1 once file
  // mode could not write its output, or when the new setting in use could not be stored (its ID
  // names nothing), at whichever end the session comes to.
  int status = setup == SetupOutcome::settingUnstored ? 1 : 0;
  bool firstPass = true;
  for (;;) {
    if (!firstPass) {
      const std::optional<bool> reset = askReset(in, out);
      if (!reset) return status;
      if (*reset) resetMachine(machine);
    }
    firstPass = false;
    const std::optional<std::int32_t> mode = chooseMode(in, out);
    if (!mode) return status;
    const ModeOutcome outcome = runMode(*mode, machine, cipherTable, in, out, err);
    if (outcome == ModeOutcome::inputFileUnusable) return 1;
    if (outcome == ModeOutcome::outputUnwritten) status = 1;
    if (outcome == ModeOutcome::inputEnded) return status;
    const std::optional<bool> exitNow = askExit(in, out);
    if (!exitNow || *exitNow) return status;
  }
}

}  // namespace vexilo
