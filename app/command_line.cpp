#include "app/command_line.h"

#include <cstddef>
#include <string_view>

#include "app/main_loop.h"
#include "settings/registry.h"
#include "store/component_files.h"

namespace vexilo {
namespace {

void writeUsage(std::ostream& out) {
  out << "Usage: vexilo [--help | --version]\n"
         "A console cipher machine of three rotors, a reflector and a plugboard over the\n"
         "letters a to z: a toy for learning how such a machine works, never for secrets.\n"
         "\n"
         "It is interactive: it asks its questions on standard output and reads the\n"
         "answers from standard input, one to a line, so a script can give them all in\n"
         "advance. Its machines are kept in four text files in the working directory:\n"
      << "  " << rotorFileName << " (rotors)\n"
      << "  " << reflectorFileName << " (reflectors)\n"
      << "  " << plugboardFileName << " (plugboards)\n"
      << "  " << registryFileName << " (settings)\n"
      << "\n"
         "Example: a random setting, file mode from in.txt to out.txt, then exit; the exit\n"
         "status is 1 when in.txt cannot be opened:\n"
         "  printf '1\\n4\\nin.txt\\nout.txt\\n1\\n' | vexilo > /dev/null\n"
         "\n"
         "Options:\n"
         "  --help     show this text and exit\n"
         "  --version  show the version and exit\n"
         "Any other argument is ignored. The whole manual: man vexilo\n";
}

}  // namespace

int runCommandLine(std::span<const char* const> arguments, std::istream& in, std::ostream& out,
                   std::ostream& err) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view argument(arguments[i]);
    if (argument == "--help") {
      writeUsage(out);
      return 0;
    }
    if (argument == "--version") {
      out << "vexilo " VEXILO_VERSION "\n";
      return 0;
    }
  }
  return runVexilo(in, out, err);
}

}  // namespace vexilo
